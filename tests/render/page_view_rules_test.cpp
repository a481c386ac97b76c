// The page view's decisions without a window: the fastext row, the control file's fastext
// values and the page number under the pointer.
#include "render/page_view_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {
namespace {

std::string RowText(const TFastextRow& row) { return std::string(row.begin(), row.end()); }

TEST(BuildFastextRowTest, PadsAndCutsPromptsToFillTheRow) {
  struct Case {
    TFastextTexts prompts;
    std::string row;
  };
  const Case cases[] = {
      // 4, 5, 7, 2 characters: five, five, four and four spaces, added from the first on.
      {{"News", "Sport", "Weather", "TV"}, "\x01News     \x02Sport     \x03Weather    \x06TV    "},
      // 20, 20, 5, 5: the first of the longest loses a character each time, down to 13, 13.
      {{"AAAAAAAAAAAAAAAAAAAA", "BBBBBBBBBBBBBBBBBBBB", "CCCCC", "DDDDD"},
       "\x01"
       "AAAAAAAAAAAAA\x02"
       "BBBBBBBBBBBBB\x03"
       "CCCCC\x06"
       "DDDDD"},
      // Trimmed of blanks and control codes; "_" stands for a space inside a prompt.
      {{"  Top_news\x07", "\tB", "", "D "},
       "\x01Top news" + std::string(7, ' ') +
           "\x02"
           "B" +
           std::string(7, ' ') + "\x03" + std::string(6, ' ') +
           "\x06"
           "D" +
           std::string(6, ' ')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prompts[0]);
    EXPECT_EQ(RowText(BuildFastextRow(c.prompts)), c.row);
  }
}

TEST(ParseFastextControlTest, NeedsFourPromptsAndFourLinks) {
  const auto values =
      ParseFastextControl("\"Index\" \"Sport\" \"Weer_en_verkeer\" \"TV\"", "100  200 300 400");
  ASSERT_TRUE(values.has_value());
  EXPECT_EQ(values->Prompts, (TFastextTexts{"Index", "Sport", "Weer_en_verkeer", "TV"}));
  EXPECT_EQ(values->Links, (TFastextTexts{"100", "200", "300", "400"}));

  struct Case {
    const char* prompts;
    const char* links;
  };
  const Case refused[] = {
      {"\"Index\" \"Sport\" \"Weer en verkeer\" \"TV\"", "100 200 300 400"},  // five pieces
      {"\"Index\" \"Sport\" \"TV\"", "100 200 300 400"},
      {"\"Index\" \"Sport\" \"Weer\" \"TV\"", "100 200 300"},
      {"", ""},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.prompts);
    EXPECT_FALSE(ParseFastextControl(c.prompts, c.links).has_value());
  }
}

constexpr TPageViewGeometry kGeometry{6, 6, 12, 16};

// The pixel in the middle of a cell of page row `row` (the view draws from row 1).
int X(int column) { return kGeometry.LeftOrigin + column * kGeometry.CellWidth + 5; }
int Y(int row) { return kGeometry.TopOrigin + (row - 1) * kGeometry.CellHeight + 7; }

void Put(TPrestPage& page, int row, int column, std::string_view text) {
  for (char c : text) page.Cell(row, column++) = static_cast<std::uint8_t>(c);
}

TEST(PageNumberAtTest, FindsLinkNumbersAroundThePointer) {
  TPrestPage page = TPrestPage::Blank();
  Put(page, 5, 10, "123");
  Put(page, 5, 20, "100");
  Put(page, 5, 30, "898");
  Put(page, 6, 0,
      "\x03"
      "45");  // a colour code and 45: never a number above 100
  Put(page, 7, 5,
      "\x0D\x03"
      "456");  // double height: row 8 holds only spaces
  Put(page, 10, 37, "897");
  Put(page, 12, 0, "101");
  struct Case {
    int row;
    int column;
    std::string number;
  };
  const Case cases[] = {
      {5, 10, "123"},  {5, 11, "123"}, {5, 12, "123"}, {5, 9, ""},    {5, 13, ""},   {5, 21, ""},
      {5, 31, ""},     {6, 1, ""},     {7, 8, "456"},  {8, 8, "456"}, {8, 9, "456"}, {9, 8, ""},
      {10, 39, "897"}, {12, 0, "101"}, {1, 11, ""},    {24, 11, ""},  {-3, 11, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << c.row << " column " << c.column);
    EXPECT_EQ(PageNumberAt(page, kGeometry, X(c.column), Y(c.row)), c.number);
  }
}

TEST(PageNumberAtTest, AViewWithoutCellSizeFindsNothing) {
  TPrestPage page = TPrestPage::Blank();
  Put(page, 1, 0, "123");
  EXPECT_FALSE(CellAt(TPageViewGeometry{}, 10, 10).has_value());
  EXPECT_EQ(PageNumberAt(page, TPageViewGeometry{}, 10, 10), "");
}

TEST(PageViewSizeTest, FrameRoundTheCells) {
  EXPECT_EQ(PageViewSize(40, 23, 12, 16), (TViewSize{492, 380}));
  EXPECT_EQ(PageViewSize(40, 1, 12, 16), (TViewSize{492, 28}));
  EXPECT_EQ(PageViewSize(40, 23, 0, 0), (TViewSize{12, 12}));
}

}  // namespace
}  // namespace tavrel
