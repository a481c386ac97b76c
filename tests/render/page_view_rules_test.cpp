// The page view's decisions without a window: the fastext row, the control file's fastext
// values and the page number under the pointer.
#include "render/page_view_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The links of a line of page text are the numbers the window finds under the pointer: each
// found link is checked against PageNumberAt on a page holding the same line.
TEST(PageNumberLinksTest, ThreeDigitNumbersTheWindowFollows) {
  struct Case {
    std::string line;
    std::vector<TPageNumberLink> links;
  };
  const Case cases[] = {
      {"Harbour bridge reopens...... 101", {{29, "101"}}},
      {"News 100  Sport 200", {{16, "200"}}},  // 100 is not above 100
      {"897 898 099 1000", {{0, "897"}}},      // out of range, or four digits
      {"in 2026, 12 goals; 345-346", {{19, "345"}, {23, "346"}}},
      {"p.150/151", {{2, "150"}, {6, "151"}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::vector<TPageNumberLink> links = PageNumberLinks(c.line);
    EXPECT_EQ(links, c.links);
    TPrestPage page = TPrestPage::Blank();
    Put(page, 5, 0, c.line);
    for (const TPageNumberLink& link : links) {
      for (int column = link.Column; column < link.Column + 3; ++column) {
        EXPECT_EQ(PageNumberAt(page, kGeometry, X(column), Y(5)), link.Number) << column;
      }
    }
  }
}

TEST(FastextSpansTest, EachPromptFromItsColourCodeToTheNext) {
  const TFastextRow row = BuildFastextRow({"News", "Sport", "Money", "Weather"});
  const std::array<TFastextSpan, 4> spans = FastextSpans(row);
  int expectedFirst = 0;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(spans[i].First, expectedFirst);
    EXPECT_LT(spans[i].First, spans[i].End);
    expectedFirst = spans[i].End;
  }
  EXPECT_EQ(spans[3].End, kPageColumns);
  EXPECT_EQ(RowText(row).substr(static_cast<std::size_t>(spans[1].First + 1), 5), "Sport");
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
