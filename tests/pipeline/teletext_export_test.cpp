// The generated pages as TTI files and a T42 stream: what an inserter reads back must be the
// pages we made, and a damaged export folder must be named, not half exported.
#include "pipeline/teletext_export.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "page/broadcast_page_file.h"
#include "pipeline/control_file.h"
#include "support/error.h"
#include "teletext_export_pages.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using testing::TempFolder;

TEST(TeletextExportTest, TtiFilesReadBackAsThePagesWeMade) {
  TempFolder folder;
  const std::vector<TTestExportPage> made = WriteTestExport(folder.Path(), true);
  const std::vector<std::string> names =
      TTeletextExport(folder.Path()).WriteTtiFolder(folder.Path() + "tti");
  EXPECT_EQ(names, (std::vector<std::string>{"100.tti", "101.tti", "200.tti", "899.tti"}));

  std::size_t index = 0;
  for (const std::string& name : names) {
    const TTtiFile file = TTtiFile::Read(folder.Path() + "tti/" + name);
    for (const TTtiPage& sub : file.Pages) {
      ASSERT_LT(index, made.size());
      const TTestExportPage& expected = made[index++];
      SCOPED_TRACE(expected.FileName);
      // The page as the .pag reader sees it, against the page as the TTI reader sees it.
      TPrestPage fromPag = TPrestPage::Blank();
      TPrestPageHeader header;
      ASSERT_TRUE(ReadPagFile(folder.Path() + expected.FileName, fromPag, header));
      // A row left out of the page file (42 zero bytes) is blank on screen and in the TTI file.
      for (int row = 1; row < kPageRows; ++row) {
        if (expected.Record[row * kPacketBytes] == 0) {
          std::fill_n(fromPag.Cells.begin() + row * kPageColumns, kPageColumns, 0x20);
        }
      }
      EXPECT_EQ(sub.ToPage(-1).Cells, fromPag.Cells);
      EXPECT_EQ(sub.CharSet(), expected.CharSet);
      EXPECT_EQ(sub.PageText(), std::to_string(expected.Number));
      EXPECT_EQ(sub.SubPageIndex, expected.SubPage);
      char subCode[8];
      std::snprintf(subCode, sizeof subCode, "%04X", sub.SubCode.value_or(-1));
      EXPECT_EQ(subCode, ZeroPadded(expected.SubPage));
      ASSERT_TRUE(sub.Links.has_value());
      for (int i = 0; i < 4; ++i) {
        char link[8];
        std::snprintf(link, sizeof link, "%X", (*sub.Links)[i]);
        EXPECT_EQ(std::to_string(expected.Links[i]), link);
      }
      EXPECT_EQ((*sub.Links)[4], TTtiFile::kNoLink);
      EXPECT_EQ(sub.CycleTime, TTeletextExport::kDefaultCycleSeconds);
    }
  }
  EXPECT_EQ(index, made.size());
}

TEST(TeletextExportTest, WithoutFastextTheFilesCarryNoLinks) {
  TempFolder folder;
  WriteTestExport(folder.Path(), false);
  for (const TTtiFile& file : TTeletextExport(folder.Path()).TtiFiles()) {
    for (const TTtiPage& page : file.Pages) EXPECT_FALSE(page.Links.has_value());
  }
}

TEST(TeletextExportTest, T42StreamIsThePagePacketsInPageOrder) {
  TempFolder folder;
  const std::vector<TTestExportPage> made = WriteTestExport(folder.Path(), true);
  const std::string stream = TTeletextExport(folder.Path()).T42Stream();
  std::string expected;
  for (const TTestExportPage& page : made) {
    for (int row = 0; row < kPageRows; ++row) {
      const std::string packet(reinterpret_cast<const char*>(page.Record.data()) + row * 42, 42);
      if (packet != std::string(42, '\0')) expected += packet;
    }
    // The time-filling header that closes the page: page FF of its magazine.
    std::string closing(reinterpret_cast<const char*>(page.Record.data()), 42);
    closing[2] = closing[3] = static_cast<char>(kHamming84[0xF]);
    for (int i = 4; i < 8; ++i) closing[i] = static_cast<char>(kHamming84[0]);
    for (int i = 10; i < 42; ++i) closing[i] = ' ';
    expected += closing;
  }
  EXPECT_EQ(stream.size() % kPacketBytes, 0u);
  EXPECT_EQ(stream, expected);
}

TEST(TeletextExportTest, DamagedExportFolderIsNamed) {
  struct TCase {
    const char* Name;
    std::string Control;  // "" leaves Control.dat out
    std::string Message;  // after the folder
  };
  const std::string entry = "[100.0000]\r\nFilename=100-0000.pag\r\nCharSet=8\r\n";
  const std::vector<TCase> cases = {
      {"no control file", "", "Control.dat: no such file: generate the pages first"},
      {"missing page file", "[101.0000]\r\nFilename=101-0000.pag\r\n", "101-0000.pag: "},
      {"short page file", "[102.0000]\r\nFilename=short.pag\r\n",
       "short.pag: not a broadcast page: 100 bytes"},
      {"path in file name", "[100.0000]\r\nFilename=../100-0000.pag\r\n",
       "Control.dat: entry [100.0000] names no page file of the folder"},
      {"bad links", entry + "Links=100 898 x 898\r\n",
       "Control.dat: entry [100.0000]: \"Links=100 898 x 898\" is not four page numbers"},
      {"three links", entry + "Links=100 898 898\r\n", "Control.dat: entry [100.0000]: \"Links="},
      {"page not broadcast", "[900.0000]\r\nFilename=100-0000.pag\r\n",
       "Control.dat: entry [900.0000] is not a page and sub-page number"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    WriteTestExport(folder.Path(), true);
    std::ofstream(folder.Path() + "short.pag") << std::string(100, ' ');
    std::filesystem::remove(folder.Path() + "Control.dat");
    if (!c.Control.empty()) std::ofstream(folder.Path() + "Control.dat") << c.Control;
    try {
      TTeletextExport pages(folder.Path());
      ADD_FAILURE() << "accepted";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()).rfind(folder.Path() + c.Message, 0), 0u) << error.what();
    }
  }
}

}  // namespace
}  // namespace tavrel
