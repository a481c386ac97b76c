#include "editor/block_text.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEditGrid GridWithRow(int row, int column, const std::string& bytes) {
  TEditGrid grid;
  grid.FillSpaces();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    grid.At(row, column + static_cast<int>(i)) = static_cast<std::uint8_t>(bytes[i]);
  }
  return grid;
}

TEST(BlockText, AttributesAskFirst) {
  const TTextBlock block{4, 6, 20, 10};
  struct {
    const char* Name;
    std::string Bytes;
    int Column;
    bool Asks;
  } const cases[] = {
      {"plain text", "Hello", 5, false},
      {"alpha colours only", std::string("\x01Red \x07White"), 5, false},
      {"a flash code",
       std::string("\x08"
                   "Flash"),
       5, true},
      {"alpha black", std::string(1, '\0') + "x", 5, true},
      {"graphics colour", "\x11", 20, true},
      {"release graphics", "\x1F", 4, true},
      {"a flash code left of the block", "\x08", 3, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(BlockHasAttributes(GridWithRow(8, c.Column, c.Bytes), block), c.Asks);
  }
}

TEST(BlockText, LinesAndWriteBack) {
  const TTextBlock block{2, 3, 9, 5};  // 8 x 3
  TEditGrid grid = GridWithRow(3, 2, std::string("Ab\x03yz\x0F\x7F!"));
  grid.At(4, 2) = 'x';
  grid.At(4, 8) = 0x02;  // a colour code at the end of a blank-looking row
  grid.At(4, 9) = 0x8D;  // bit 7 set: not text
  EXPECT_EQ(BlockTextLines(grid, block),
            (std::vector<std::string>{std::string("Ab\x03yz \x7F!"), "x", ""}));

  struct {
    const char* Name;
    std::vector<std::string> Lines;
    std::string Row3, Row4, Row5;
  } const cases[] = {
      {"the lines as read come back as they were", BlockTextLines(grid, block),
       std::string("Ab\x03yz \x7F!"), std::string("x     \x02 "), "        "},
      {"a shorter text keeps the colour code under a blank",
       {"Hi"},
       std::string("Hi\x03     "),
       std::string("      \x02 "),
       "        "},
      {"letters overwrite codes; long lines are cut",
       {"0123456789", "abcdefghij", "XY"},
       "01234567",
       "abcdefgh",
       "XY      "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditGrid g = grid;
    WriteBackBlockText(g, block, c.Lines);
    auto row = [&](int r) {
      std::string s;
      for (int col = 2; col <= 9; ++col) s += static_cast<char>(g.At(r, col));
      return s;
    };
    EXPECT_EQ(row(3), c.Row3);
    EXPECT_EQ(row(4), c.Row4);
    EXPECT_EQ(row(5), c.Row5);
    EXPECT_EQ(g.At(3, 1), 0x20);  // outside the block nothing changes
    EXPECT_EQ(g.At(3, 10), 0x20);
  }
}

TEST(BlockText, KeysOnTheLastLine) {
  const TTextBlock block{4, 6, 13, 8};  // 10 wide, 3 lines
  using K = TBlockTextKey;
  struct {
    const char* Name;
    K Key;
    std::uint8_t Typed;
    int Line, Column;
    bool Accepted;
  } const cases[] = {
      {"typing inside the width", K::Character, 'a', 2, 9, true},
      {"typing at the width on the last line", K::Character, 'a', 2, 10, false},
      {"typing at the width on an earlier line", K::Character, 'a', 1, 10, true},
      {"backspace at the width", K::Backspace, 8, 2, 10, true},
      {"right at the width", K::Right, 0, 2, 10, false},
      {"right inside", K::Right, 0, 2, 3, true},
      {"down on the last line", K::Down, 0, 2, 0, false},
      {"down before", K::Down, 0, 1, 0, true},
      {"page down on the last line", K::PageDown, 0, 2, 0, false},
      {"enter on the last line", K::Enter, 13, 2, 0, false},
      {"enter before", K::Enter, 13, 0, 0, true},
      {"line feed on the last line", K::LineFeed, 10, 2, 0, false},
      {"ctrl+c typed", K::Character, 3, 0, 0, false},
      {"ctrl+v typed", K::Character, 22, 0, 0, false},
      {"the tab key: no hidden steady code", K::Tab, 9, 0, 0, false},
      {"a typed tab", K::Character, 9, 1, 2, false},
      {"other keys", K::Other, 0, 2, 12, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(BlockTextKeyAccepted(c.Key, c.Typed, {c.Line, c.Column}, block), c.Accepted);
  }
}

TEST(BlockText, ClipboardConversions) {
  // German teletext: [ \ ] are the capital umlauts, { | } ~ the small ones and sharp s.
  EXPECT_EQ(BlockTextForClipboard("Gr{~e [rger", 8),
            "Gr\xE4\xDF"
            "e \xC4rger");
  EXPECT_EQ(BlockTextFromClipboard("Gr\xE4\xDF"
                                   "e \xC4rger",
                                   8),
            "Gr{~e [rger");
  EXPECT_EQ(BlockTextForClipboard("#1", 0),
            "\xA3"
            "1");  // English: the pound sign
  // Control bytes would stay in the block as hidden attributes (a tab is Steady): spaces. Line
  // breaks and the field's own alpha colour codes pass.
  EXPECT_EQ(BlockTextFromClipboard(std::string("a\tb\x0B\x1F\x00"
                                               "c\r\nd\x03"
                                               "e",
                                               12),
                                   8),
            "a b   c\r\nd\x03"
            "e");
  const std::string longText(2000, 'a');
  EXPECT_EQ(BlockTextForClipboard(longText, 8).size(), kBlockTextClipboardLimit);
  EXPECT_EQ(BlockTextFromClipboard(longText, 8).size(), kBlockTextClipboardLimit);
  EXPECT_STREQ(BlockTextFaceName(8), "PrestD");
  EXPECT_STREQ(BlockTextFaceName(14), "PrestUK");
  EXPECT_STREQ(BlockTextFaceName(12), "PrestI");
}

}  // namespace
}  // namespace tavrel
