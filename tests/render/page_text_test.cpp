// The page's text as a screen reader hears it.
#include "render/page_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrel {
namespace {

TEST(PageText, ReadsTheTextAPageShowsRowByRow) {
  struct Case {
    const char* Name;
    int CharSet;
    std::string Row21;  // bytes from column 0 of page row 21
    std::string Row22;
    std::string Expected;  // rows 21..23
  };
  const std::vector<Case> cases = {
      {"control codes read as spaces", kCharSetEnglish, "\x01HELLO\x07world", "",
       " HELLO world\n\n"},
      {"mosaics and the solid block are not text; capitals in mosaic mode are", kCharSetEnglish,
       "\x11\x7f\x23\x2c"
       "AB\x01"
       "x\x7f",
       "", "    AB x\n\n"},
      {"national positions as the character set shows them", kCharSetEnglish, "#1 @", "",
       "\xa3"
       "1 @\n\n"},
      {"the same codes on a German page", kCharSetGerman, "#1 @", "", "#1 \xa7\n\n"},
      {"bit 7 carries no meaning", kCharSetEnglish, std::string("\xc1\xc2"), "", "AB\n\n"},
      // The row below a double-height row shows the lower halves, whatever its own bytes are.
      {"double height", kCharSetEnglish,
       "\x0d"
       "BIG",
       "hidden", " BIG\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPrestPage page = TPrestPage::Blank(c.CharSet);
    for (std::size_t i = 0; i < c.Row21.size(); ++i) {
      page.Cell(21, static_cast<int>(i)) = static_cast<std::uint8_t>(c.Row21[i]);
    }
    for (std::size_t i = 0; i < c.Row22.size(); ++i) {
      page.Cell(22, static_cast<int>(i)) = static_cast<std::uint8_t>(c.Row22[i]);
    }
    EXPECT_EQ(PageText(page, 21), c.Expected);
  }
  // The whole page: 24 lines, the first row included.
  TPrestPage page = TPrestPage::Blank();
  page.Cell(0, 0) = 'P';
  page.Cell(23, 39) = 'Z';
  const std::string all = PageText(page);
  EXPECT_EQ(all, "P" + std::string(22, '\n') + "\n" + std::string(39, ' ') + "Z");
  // A view of one row reads that row alone.
  EXPECT_EQ(PageText(page, 0, 0), "P");
  EXPECT_EQ(PageText(page, 23, 5), std::string(39, ' ') + "Z");
}

}  // namespace
}  // namespace tavrel
