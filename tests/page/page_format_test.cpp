#include "page/page_format.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {
namespace {

// The format table as the operator's handbook gives it, one pattern per style for a black and
// for another background: 'b' background, 'f' foreground, 'g' graphics colour (f + 16), 'N' New
// Background (29), 'D' double height (13), 'S' separated graphics (26); on black, white text
// leaves out its colour ('w').
struct StyleRow {
  TPageStyle Style;
  const char* OnBlack;
  const char* OnColour;
};
constexpr StyleRow kTable[] = {
    {TPageStyle::Text, "w", "bNf"},
    {TPageStyle::DoubleHeight, "wD", "bNfD"},
    {TPageStyle::Graphics, "g", "bNg"},
    {TPageStyle::SeparatedGraphics, "gS", "bNgS"},
};

std::string Expand(const char* pattern, int f, int b) {
  std::string out;
  for (const char* p = pattern; *p; ++p) {
    switch (*p) {
      case 'w':
        if (f != 7) out += static_cast<char>(f);
        break;
      case 'f':
        out += static_cast<char>(f);
        break;
      // Black graphics: the graphics-black code rather than 24, which would conceal the row.
      case 'g':
        out += static_cast<char>(f == 8 ? 16 : f + 16);
        break;
      case 'b':
        out += static_cast<char>(b);
        break;
      case 'N':
        out += static_cast<char>(29);
        break;
      case 'D':
        out += static_cast<char>(13);
        break;
      case 'S':
        out += static_cast<char>(26);
        break;
    }
  }
  return out;
}

std::string Codes(const std::string& prefix) {
  std::string text;
  for (unsigned char c : prefix) text += std::to_string(c) + " ";
  return text;
}

TEST(PageFormatTest, EveryChoiceBuildsTheTablePrefixAndReadsBackToItself) {
  int choices = 0;
  for (const StyleRow& row : kTable) {
    for (int f = 1; f <= 8; ++f) {
      for (int b = 1; b <= 8; ++b) {
        const TPageFormat format{f, b, row.Style};
        SCOPED_TRACE("f=" + std::to_string(f) + " b=" + std::to_string(b) +
                     " style=" + std::to_string(static_cast<int>(row.Style)));
        const std::string expected = Expand(b == 8 ? row.OnBlack : row.OnColour, f, b);
        const std::string prefix = BuildFormatPrefix(format);
        EXPECT_EQ(Codes(prefix), Codes(expected));
        EXPECT_LE(prefix.size(), kMaxFormatPrefixLength);
        EXPECT_EQ(prefix.find(static_cast<char>(24)), std::string::npos) << "never Conceal";
        EXPECT_EQ(ReadFormatPrefix(prefix), format);
        ++choices;
      }
    }
  }
  EXPECT_EQ(choices, 256);
}

TEST(PageFormatTest, NamedFormatsAndForeignPrefixes) {
  struct Case {
    const char* Name;
    std::string Prefix;
    TPageFormat Expected;
  };
  const Case cases[] = {
      {"empty prefix is white text on black", "", {}},
      {"graphics red", "\x11", {1, 8, TPageStyle::Graphics}},
      {"yellow double height on blue", "\x04\x1D\x03\x0D", {3, 4, TPageStyle::DoubleHeight}},
      {"lone double height", "\x0D", {7, 8, TPageStyle::DoubleHeight}},
      {"unknown codes keep the defaults", "\x1E\x1F", {}},
      {"Conceal is no colour", "\x18", {}},
      {"unknown background, known foreground", "\x1E\x1D\x02", {2, 8, TPageStyle::Text}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ReadFormatPrefix(c.Prefix), c.Expected);
  }
  EXPECT_EQ(BuildFormatPrefix({}), "");
  EXPECT_EQ(Codes(BuildFormatPrefix({3, 4, TPageStyle::DoubleHeight})), "4 29 3 13 ");
}

TEST(PageFormatTest, SampleHoldsTextAndPrefixWithBlackAndDoubleHeightAsTheGridNeedsThem) {
  // Black text double height on green: 2, 29, 8, 13.
  const std::string prefix = BuildFormatPrefix({8, 2, TPageStyle::DoubleHeight});
  const TPrestPage page = PageFormatSample(prefix, "Example Text");
  for (int row = 1; row <= 4; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(page.Cell(row, 0), 2);
    EXPECT_EQ(page.Cell(row, 1), 29);
    EXPECT_EQ(page.Cell(row, 2), 0) << "alphanumeric black is the byte 0 in a page";
    EXPECT_EQ(page.Cell(row, 3), row == 2 ? 13 : 0x20);
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&page.Cells[2 * 40 + 5]), 12),
            "Example Text");
  EXPECT_EQ(page.Cell(2, 4), 0x20);
  EXPECT_EQ(page.Cell(0, 0), 0x20);
  EXPECT_EQ(page.Cell(5, 0), 0x20);
}

}  // namespace
}  // namespace tavrel
