#include "support/dialog_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavrel {
namespace {

TEST(MessageBoxLayout, SizesAndPlacesTextIconAndButtons) {
  struct Case {
    const char* Name;
    TSize Text;
    TSize Icon;
    int ButtonCount;
    TSize Client;
    TRect IconRect;
    TRect TextRect;
    std::vector<int> ButtonLefts;
    int ButtonTop;
  };
  const Case cases[] = {
      // The icon is taller than one line: the text is centred on the icon's middle.
      {"one line, icon, OK",
       {200, 13},
       {32, 32},
       1,
       {262, 85},
       {10, 10, 32, 32},
       {52, 20, 200, 13},
       {95},
       52},
      // The text is taller: the icon is centred on the text's middle.
      {"five lines, icon, Yes No Cancel",
       {300, 65},
       {32, 32},
       3,
       {362, 118},
       {10, 26, 32, 32},
       {52, 10, 300, 65},
       {64, 145, 226},
       85},
      // Custom kind: no icon, the minimum width of 150 holds.
      {"short text, no icon",
       {40, 13},
       {0, 0},
       1,
       {150, 66},
       {0, 0, 0, 0},
       {10, 10, 40, 13},
       {39},
       33},
      // Nine buttons make the box wider than the text.
      {"every button",
       {50, 13},
       {0, 0},
       9,
       {751, 66},
       {0, 0, 0, 0},
       {10, 10, 50, 13},
       {15, 96, 177, 258, 339, 420, 501, 582, 663},
       33},
      // No text at all still leaves the minimum height of 55.
      {"empty text", {0, 0}, {0, 0}, 1, {150, 55}, {0, 0, 0, 0}, {10, 10, 0, 0}, {39}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const TMessageBoxLayout layout = LayoutMessageBox(c.Text, c.Icon, c.ButtonCount);
    EXPECT_EQ(layout.Client, c.Client);
    EXPECT_EQ(layout.Icon, c.IconRect);
    EXPECT_EQ(layout.Text, c.TextRect);
    ASSERT_EQ(layout.Buttons.size(), c.ButtonLefts.size());
    for (std::size_t i = 0; i < layout.Buttons.size(); ++i) {
      EXPECT_EQ(layout.Buttons[i], (TRect{c.ButtonLefts[i], c.ButtonTop, 73, 25})) << i;
      EXPECT_LE(layout.Buttons[i].Bottom(), layout.Client.Height);
      EXPECT_LE(layout.Buttons[i].Right(), layout.Client.Width);
    }
  }
}

// Every character 10 pixels wide, so a line of at most 100 pixels holds 10 characters.
TEST(WrapMessageText, BreaksAtLineBreaksBetweenWordsAndInsideOverlongWords) {
  const auto measure = [](std::string_view text) {
    int characters = 0;
    for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters * 10;
  };
  struct Case {
    const char* Name;
    std::string Text;
    std::vector<std::string> Lines;
  };
  const std::vector<Case> cases = {
      {"short", "Not found.", {"Not found."}},
      {"a bare carriage return", "UserID:\r\\ / :", {"UserID:", "\\ / :"}},
      {"CR LF and LF, with an empty line", "one\r\ntwo\n\nthree", {"one", "two", "", "three"}},
      {"between words",
       "Delete category sport and news?",
       {"Delete", "category", "sport and", "news?"}},
      {"an overlong word fills lines",
       "Delete \"abcdefghijklmnopqrstuvwxyz\"?",
       {"Delete", "\"abcdefghi", "jklmnopqrs", "tuvwxyz\"?"}},
      {"UTF-8 characters stay whole",
       "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
       "\xc3\xa9\xc3\xa9\xc3\xa9",
       {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9",
        "\xc3\xa9"}},
      {"empty", "", {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(WrapMessageText(c.Text, 100, measure), c.Lines);
  }
  // The 1,000-character category name of a delete question: no line wider than the limit.
  const std::string name(1000, 'x');
  const std::vector<std::string> lines =
      WrapMessageText("Delete category \"" + name + "\" ?", 100, measure);
  EXPECT_EQ(lines.size(), 103u);
  for (const std::string& line : lines) EXPECT_LE(measure(line), 100) << line;
  // A limit narrower than one character still shows every character, one to a line.
  EXPECT_EQ(WrapMessageText("ab", 5, measure), (std::vector<std::string>{"a", "b"}));
}

TEST(MessageBoxLayout, IsCentredOnTheScreenUnlessAPositionIsGiven) {
  const TRect screen{0, 0, 1280, 1024};
  EXPECT_EQ(PlaceMessageBox({262, 85}, screen, -1, -1), (TPoint{509, 469}));
  EXPECT_EQ(PlaceMessageBox({262, 85}, screen, 100, -1), (TPoint{100, 469}));
  EXPECT_EQ(PlaceMessageBox({262, 85}, screen, -1, 7), (TPoint{509, 7}));
  // A second screen to the right of the first.
  EXPECT_EQ(PlaceMessageBox({362, 118}, {1280, 0, 1920, 1080}, -1, -1), (TPoint{2059, 481}));
}

TEST(MessageBoxButtons, OrderDefaultAndCancelRoles) {
  using B = TMsgDlgBtn;
  using R = TModalResult;
  const auto bits = [](std::initializer_list<B> buttons) {
    TMsgDlgButtons set = 0;
    for (B button : buttons) set |= ButtonBit(button);
    return set;
  };
  struct Case {
    const char* Name;
    TMsgDlgButtons Buttons;
    std::vector<TMessageButton> Expected;
    R Escape;
  };
  const Case cases[] = {
      {"OK alone answers Escape too", bits({B::OK}), {{B::OK, R::OK, true, true}}, R::OK},
      {"Yes No Cancel: Escape is Cancel, not No",
       bits({B::Cancel, B::No, B::Yes}),
       {{B::Yes, R::Yes, true, false},
        {B::No, R::No, false, false},
        {B::Cancel, R::Cancel, false, true}},
       R::Cancel},
      {"Yes No: Escape is No",
       bits({B::No, B::Yes}),
       {{B::Yes, R::Yes, true, false}, {B::No, R::No, false, true}},
       R::No},
      {"OK Cancel",
       bits({B::OK, B::Cancel}),
       {{B::OK, R::OK, true, false}, {B::Cancel, R::Cancel, false, true}},
       R::Cancel},
      {"Abort Retry Ignore: Escape does nothing",
       bits({B::Ignore, B::Abort, B::Retry}),
       {{B::Abort, R::Abort, false, false},
        {B::Retry, R::Retry, false, false},
        {B::Ignore, R::Ignore, false, false}},
       R::None},
      {"Help closes nothing",
       bits({B::Help, B::All}),
       {{B::All, R::All, false, false}, {B::Help, R::None, false, false}},
       R::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(MessageBoxButtons(c.Buttons), c.Expected);
    EXPECT_EQ(MessageBoxEscapeResult(c.Buttons), c.Escape);
  }
  EXPECT_EQ(kMessageBoxCloseResult, R::Cancel);
}

TEST(ArrangeButtons, FourLayouts) {
  struct Case {
    bool ShowHelp;
    bool CloseOnly;
    TButtonArrangement Expected;
  };
  const int w = 388;
  const Case cases[] = {
      {true, false, {false, true, true, w - 241, w - 161, w - 81}},
      {true, true, {true, false, true, w - 161, 0, w - 81}},
      {false, false, {false, true, false, w - 161, w - 81, 0}},
      {false, true, {true, false, false, w - 81, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "ShowHelp " << c.ShowHelp << ", CloseOnly " << c.CloseOnly);
    EXPECT_EQ(ArrangeButtons(c.ShowHelp, c.CloseOnly, w), c.Expected);
  }
}

TEST(CheckMark, ThreePixelThickStrokesCentredInTheRectangle) {
  const std::vector<TPoint> pixels = CheckMarkPixels({0, 0, 13, 13});
  ASSERT_EQ(pixels.size(), 27u);
  // x = (13 - 9) div 2 = 2, y = (13 - 6) div 2 = 3: the corners are at (5, 8..10), the line
  // ends (exclusive) at (11, 2..4).
  for (TPoint p :
       {TPoint{2, 5}, TPoint{2, 7}, TPoint{5, 8}, TPoint{5, 10}, TPoint{10, 3}, TPoint{10, 5}}) {
    EXPECT_NE(std::find(pixels.begin(), pixels.end(), p), pixels.end()) << p.X << "," << p.Y;
  }
  for (TPoint p : {TPoint{11, 2}, TPoint{1, 4}, TPoint{2, 8}}) {
    EXPECT_EQ(std::find(pixels.begin(), pixels.end(), p), pixels.end()) << p.X << "," << p.Y;
  }
  // Halves of a rectangle smaller than the mark truncate toward zero: x = 10 + (-4 / 2).
  const std::vector<TPoint> small = CheckMarkPixels({10, 10, 5, 4});
  EXPECT_EQ(small.front(), (TPoint{8, 9 + 2}));
}

}  // namespace
}  // namespace tavrel
