// The T42 stream fed to a real teletext decoder, libzvbi, packet by packet as a receiver
// would get them: every page must arrive under its page and sub-page number with its rows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/teletext_export.h"
#include "teletext_export_pages.h"
#include "testing/temp_folder.h"
#include "testing/zvbi_receiver.h"

namespace tavrel {
namespace {

using testing::ShownRow;
using testing::TZvbiReceiver;

int Bcd(int number) { return std::stoi(std::to_string(number), nullptr, 16); }

TEST(TeletextExportZvbiTest, RealDecoderReceivesEveryPageWithItsRows) {
  testing::TempFolder folder;
  const std::vector<TTestExportPage> made = WriteTestExport(folder.Path(), true);
  const std::string stream = TTeletextExport(folder.Path()).T42Stream();
  TZvbiReceiver receiver;
  receiver.Feed(stream);

  std::vector<std::pair<int, int>> expected;
  for (const TTestExportPage& page : made)
    expected.emplace_back(Bcd(page.Number), Bcd(page.SubPage));
  EXPECT_EQ(receiver.Announced, expected);

  for (const TTestExportPage& page : made) {
    SCOPED_TRACE(page.FileName);
    const std::vector<std::u16string> rows = receiver.Rows(Bcd(page.Number), Bcd(page.SubPage));
    ASSERT_EQ(rows.size(), 23u);
    for (int row = 1; row < 24; ++row) {
      std::string cells =
          static_cast<std::size_t>(row) <= page.Rows.size() ? page.Rows[row - 1] : "";
      cells.resize(40, ' ');
      EXPECT_TRUE(rows[row - 1] == ShownRow(cells)) << "row " << row;
    }
  }
}

}  // namespace
}  // namespace tavrel
