// edit.tf addresses: a page drawn there must come in cell for cell, ours must go out so the
// editor shows them, and a damaged address must be refused naming the part that is wrong.
#include "page/edit_tf_url.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error.h"

namespace tavrel {
namespace {

// Six spaces (0x20 = 0100000) are 42 bits, exactly seven base64 digits: 010000 001000 000100
// 000010 000001 000000 100000, "QIECBAg". A page of spaces is that group over and over.
const std::string kSixSpaces = "QIECBAg";

std::string Repeat(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

// Made by hand: row 3 starts at bit 840, digit 140, so rows 0..2 are 20 groups of spaces. Its
// first six cells "HELLO!" are 1001000 1000101 1001100 1001100 1001111 0100001; cut into six
// bits that is 100100 010001 011001 100100 110010 011110 100001 = 36 17 25 36 50 30 33, the
// digits "kRZkyeh". The other 139 groups of six cells are spaces: 1,120 digits for 24 rows.
const std::string kHelloPage = Repeat(kSixSpaces, 20) + "kRZkyeh" + Repeat(kSixSpaces, 139);

TEST(EditTfUrlTest, HandMadeAddressGivesTheExpectedCells) {
  struct TCase {
    std::string Url;
    int CharacterSet;
    bool Black;
    int OurCharSet;
  };
  const std::vector<TCase> cases = {
      {"https://edit.tf/#0:" + kHelloPage, 0, false, kCharSetEnglish},
      {"#1:" + kHelloPage + ":PN=10000", 1, false, kCharSetGerman},
      {"  c:" + kHelloPage + "\n", 4, true, kCharSetFrench},
      // 25 rows: 1,167 digits, the last two bits unused.
      {"#2:" + kHelloPage + Repeat(kSixSpaces, 6) + "QIECA", 2, false, kCharSetSwedish},
      {"#3:" + kHelloPage, 3, false, kCharSetItalian},
      {"#5:" + kHelloPage, 5, false, -1},
  };
  TPrestPage expected = TPrestPage::Blank();
  for (int i = 0; i < 6; ++i) expected.Cell(3, i) = "HELLO!"[i];
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Url.substr(0, 20));
    const TEditTfPage page = TEditTfPage::Parse(c.Url);
    EXPECT_EQ(page.CharacterSet, c.CharacterSet);
    EXPECT_EQ(page.BlackForeground, c.Black);
    EXPECT_EQ(TEditTfPage::CharSetFromEditTf(page.CharacterSet), c.OurCharSet);
    EXPECT_EQ(page.ToPage(kDefaultCharSet).Cells, expected.Cells);
  }
  EXPECT_EQ(TEditTfPage::Parse("#1:" + kHelloPage + ":PN=10000:zx=1").MoreParts, ":PN=10000:zx=1");
}

TEST(EditTfUrlTest, PageGoesOutAndComesBackCellForCell) {
  for (const int charSet : {kCharSetEnglish, kCharSetGerman, kCharSetSwedish, kCharSetItalian,
                            kCharSetFrench, kCharSetSpanish}) {
    SCOPED_TRACE(charSet);
    TPrestPage page = TPrestPage::Blank(charSet);
    // Every 7-bit code, control codes and mosaics alike, over rows 1..4, and the last cell.
    for (int code = 0; code < 128; ++code) page.Cell(1 + code / 40, code % 40) = code;
    page.Cell(23, 39) = 0x7F;
    const std::string url = TEditTfPage::FromPage(page).Url();
    ASSERT_EQ(url.size(), std::string("https://edit.tf/#0:").size() + 1120);
    const TEditTfPage back = TEditTfPage::Parse(url);
    EXPECT_EQ(back.ToPage(charSet).Cells, page.Cells);
    const int expectedSet = charSet == kCharSetSpanish ? kCharSetEnglish : charSet;
    EXPECT_EQ(TEditTfPage::CharSetFromEditTf(back.CharacterSet), expectedSet);
  }
  EXPECT_EQ(TEditTfPage::FromPage(TPrestPage::Blank(kCharSetEnglish)).Fragment(),
            "#0:" + Repeat(kSixSpaces, 160));
}

TEST(EditTfUrlTest, RefusesDamagedAddressesNamingThePart) {
  struct TCase {
    std::string Url;
    std::string Message;
  };
  const std::vector<TCase> cases = {
      {"#0:" + kHelloPage.substr(1), "edit.tf URL: the page data part holds 1119 base64 digits"},
      {"#0:" + kHelloPage + "A", "edit.tf URL: the page data part holds 1121 base64 digits"},
      {"#0:", "edit.tf URL: the page data part holds 0 base64 digits"},
      {"#0:" + kHelloPage.substr(0, 99) + "+" + kHelloPage.substr(100),
       "edit.tf URL: the page data part holds '+' at digit 100"},
      {"#0:" + kHelloPage.substr(0, 99) + "=" + kHelloPage.substr(100),
       "edit.tf URL: the page data part holds '=' at digit 100"},
      {"#g:" + kHelloPage, "edit.tf URL: the character set part \"g\""},
      {"#10:" + kHelloPage, "edit.tf URL: the character set part \"10\""},
      {"#" + kHelloPage, "edit.tf URL: no page in the address"},
      {"https://edit.tf/", "edit.tf URL: the address has no \"#\" part"},
      {std::string(70000, 'A'), "edit.tf URL: too long"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Message);
    try {
      TEditTfPage::Parse(c.Url);
      ADD_FAILURE() << "accepted";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.Message, 0), 0u) << error.what();
    }
  }
}

}  // namespace
}  // namespace tavrel
