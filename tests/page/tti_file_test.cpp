// The TTI page file reader and writer: what other tools write must come in as they meant it,
// and bad files must be refused with the file and line named.
#include "page/tti_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error.h"

namespace tavrel {
namespace {

std::string Row(std::string text) {
  text.resize(40, ' ');
  return text;
}

std::string RowOf(const TTtiPage& page, int row) {
  return std::string(page.Cells.begin() + row * 40, page.Cells.begin() + row * 40 + 40);
}

TEST(TtiFileTest, ReadsWhatOtherToolsWrite) {
  struct TCase {
    const char* Name;
    std::string Text;
    std::size_t Pages;
    std::string PageText;  // of the last page
    int SubPageIndex;
    int Row;
    std::string Cells;
    std::optional<int> CharSet;
  };
  const std::vector<TCase> cases = {
      {"escaped control codes, CR LF",
       "DE,x\r\nPN,10100\r\nPS,8000\r\nOL,2,\x1b"
       "AHi\x1b]\r\n",
       1, "101", 0, 2, Row("\x01Hi\x1d"), 0},
      {"8-bit control codes, LF only", "PN,1FF03\nOL,5,\x81\x97X\n", 1, "1FF", 3, 5,
       Row("\x01\x17X"), std::nullopt},
      {"sub-pages each start with PN", "PN,20001\nOL,1,A\nPN,20002\nPS,8248\nOL,1,B\n", 2, "200", 2,
       1, Row("B"), 8},
      {"rows before any PN, PN without sub-page", "CT,8,T\nOL,3,top\nPN,888\n", 1, "888", 0, 3,
       Row("top"), std::nullopt},
      {"enhancement rows and unknown tags are read past", "PN,10000\nOL,26,xyz\nRE,1\nOL,24,F\n", 1,
       "100", 0, 24, Row("F"), std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TTtiFile file = TTtiFile::Parse(c.Text, "in.tti");
    ASSERT_EQ(file.Pages.size(), c.Pages);
    const TTtiPage& page = file.Pages.back();
    EXPECT_EQ(page.PageText(), c.PageText);
    EXPECT_EQ(page.SubPageIndex, c.SubPageIndex);
    EXPECT_EQ(RowOf(page, c.Row), c.Cells);
    EXPECT_EQ(page.CharSet(), c.CharSet);
  }
}

TEST(TtiFileTest, RefusesBadInputNamingFileAndLine) {
  struct TCase {
    const char* Name;
    std::string Text;
    std::string Message;
  };
  const std::vector<TCase> cases = {
      {"row out of range", "PN,10000\r\nOL,30,x\r\n",
       "bad.tti:2:1: \"OL\" row \"30\" is out of range"},
      {"row not a number", "PN,10000\nOL,a,x\n", "bad.tti:2:1: \"OL\" row \"a\" is out of range"},
      {"magazine 9", "PN,90000\n", "bad.tti:1:1: \"PN\" value \"90000\" is not a page number"},
      {"page not hex", "OL,1,x\nPN,1G000\n", "bad.tti:2:1: \"PN\" value \"1G000\""},
      {"sub-page not decimal", "PN,1000A\n", "bad.tti:1:1: \"PN\" value \"1000A\""},
      {"four links", "PN,10000\nFL,100,101,102,103\n", "bad.tti:2:1: \"FL\" value"},
      {"link beyond 8FF", "PN,10000\nFL,100,101,102,103,8FF,9FF\n", "bad.tti:2:1: \"FL\" value"},
      {"sub-code too long", "PN,10000\nSC,10000\n", "bad.tti:2:1: \"SC\" value \"10000\""},
      {"status not hex", "PN,10000\nPS,80x0\n", "bad.tti:2:1: \"PS\" value \"80x0\""},
      {"row too long", "PN,10000\nOL,1," + std::string(41, 'x') + "\n",
       "bad.tti:2:1: row 1 holds more than 40 characters"},
      {"dangling escape", "PN,10000\nOL,1,ab\x1b\n", "bad.tti:2:1: row 1 ends in an escape"},
      {"no page at all", "DE,nothing\r\n", "bad.tti: holds no page"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      TTtiFile::Parse(c.Text, "bad.tti");
      ADD_FAILURE() << "accepted";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.Message, 0), 0u) << error.what();
    }
  }
}

TEST(TtiFileTest, WrittenFileReadsBackTheSame) {
  TTtiFile file;
  file.Description = "two\r\nlines";
  for (int sub = 1; sub <= 2; ++sub) {
    TTtiPage page;
    page.PageAddress = 0x345;
    page.HasPageNumber = true;
    page.SubPageIndex = sub;
    page.SubCode = sub;
    page.PageStatus = 0x8248;
    page.CycleTime = 8;
    page.Links = std::array<int, 6>{0x100, 0x898, 0x1AB, 0x8FF, 0x8FF, 0x8FF};
    // Every code once, control codes and DEL included, spread over the rows.
    for (int code = 0; code < 128; ++code) page.Cell(1 + code / 40, code % 40) = code;
    page.Cell(23, 39) = 'Z';
    file.Pages.push_back(page);
  }
  const std::string text = file.Text();
  EXPECT_EQ(text.rfind("DE,two  lines\r\nPN,34501\r\nSC,0001\r\nPS,8248\r\nCT,8,T\r\nOL,1,\x1b@\x1b"
                       "A",
                       0),
            0u);
  EXPECT_NE(text.find("FL,100,898,1AB,8FF,8FF,8FF\r\n"), std::string::npos);
  EXPECT_EQ(text.find("OL,5,"), std::string::npos) << "a row of spaces is left out";

  const TTtiFile back = TTtiFile::Parse(text, "back.tti");
  ASSERT_EQ(back.Pages.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back.Pages[i].Cells, file.Pages[i].Cells);
    EXPECT_EQ(back.Pages[i].PageAddress, 0x345);
    EXPECT_EQ(back.Pages[i].SubPageIndex, static_cast<int>(i + 1));
    EXPECT_EQ(back.Pages[i].SubCode, static_cast<int>(i + 1));
    EXPECT_EQ(back.Pages[i].Links, file.Pages[i].Links);
    EXPECT_EQ(back.Pages[i].CharSet(), kCharSetGerman);
  }
}

}  // namespace
}  // namespace tavrel
