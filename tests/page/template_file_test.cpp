#include "page/template_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string Golden(const std::string& name) {
  return ReadBytes(std::string(TAVREL_TEST_DATA_DIR) + "/page/" + name);
}

// The page of the golden template: row 1 alphanumeric red and ABC, rows 2..5 every cell value
// in turn, all else spaces.
TPrestPage GoldenPage() {
  TPrestPage page = TPrestPage::Blank();
  page.Cell(1, 0) = 0x01;
  page.Cell(1, 1) = 'A';
  page.Cell(1, 2) = 'B';
  page.Cell(1, 3) = 'C';
  for (int row = 2; row <= 5; ++row) {
    for (int column = 0; column < kPageColumns; ++column) {
      page.Cell(row, column) = static_cast<std::uint8_t>(((row - 2) * 40 + column) & 0x7F);
    }
  }
  return page;
}

TEST(TPageFile, NewTemplateIsTheExactTwentySevenLineLayout) {
  TempFolder folder;
  const std::string path = folder / "new.tpg";
  {
    TPageFile file(path, 8);
    file.SetBlockText(TTextBlock{});
    file.WriteRows(GoldenPage());
    file.Save();
  }
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes, Golden("new_template.tpg"));

  // Every row line is 46 bytes: "rowNN", "=", 40 cells.
  std::size_t start = 0;
  int lines = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    ++lines;
    if (lines >= 5) {
      EXPECT_EQ(end - start, 46u) << "line " << lines;
    }
  }
  EXPECT_EQ(lines, 27);
}

TEST(TPageFile, GoldenTemplateReadsBackAsThePage) {
  TempFolder folder;
  const std::string path = folder / "t.tpg";
  WriteBytes(path, Golden("new_template.tpg"));
  TPageFile file(path);
  TPrestPage page = TPrestPage::Blank();
  page.Cell(0, 5) = 'X';
  page.FrameColor = 3;
  page.RowPrefixLength = 2;
  file.ReadRows(page);
  EXPECT_EQ(page.Cells, GoldenPage().Cells);
  EXPECT_EQ(page.FrameColor, 0);
  EXPECT_EQ(page.RowPrefixLength, 0);
  EXPECT_EQ(file.GetCharSet(), 8);
  EXPECT_EQ(file.GetBlockText(), TTextBlock{});
  EXPECT_FALSE(file.Modified());
}

TEST(TPageFile, CharSetSetAfterCreationIsReplacedInPlace) {
  TempFolder folder;
  const std::string path = folder / "t.tpg";
  {
    TPageFile file(path, 8);
    file.SetCharSet(12);
  }
  EXPECT_EQ(ReadBytes(path), "[PAGE]\r\ntitle=\r\ncharset=12\r\n");
}

struct RowCase {
  const char* Name;
  std::string StoredValue;  // the bytes after "row01="
  std::string Cells;        // the 40 cells row 1 reads as
};

TEST(TPageFile, RowValuesArePaddedCutAndMasked) {
  const std::string spaces40(40, ' ');
  const std::vector<RowCase> cases = {
      {"alpha red and ABC", "\x81\xC1\xC2\xC3" + std::string(36, '\xA0'),
       "\x01"
       "ABC" +
           std::string(36, ' ')},
      {"short value padded with spaces", "\xC1\xC2", "AB" + std::string(38, ' ')},
      {"long value cut to 40", std::string(50, '\xC1'), std::string(40, 'A')},
      {"hand-typed ASCII loses its blanks to trimming", "  Hello \x01 ",
       "Hello" + std::string(35, ' ')},
      {"hand-typed ASCII inner blanks stay", "A  B", "A  B" + std::string(36, ' ')},
      {"empty value", "", spaces40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string path = folder / "t.tpg";
    WriteBytes(path, "[PAGE]\r\nrow01=" + c.StoredValue + "\r\n");
    TPageFile file(path);
    TPrestPage page = TPrestPage::Blank();
    file.ReadRows(page);
    const std::string row(page.Cells.begin() + 40, page.Cells.begin() + 80);
    EXPECT_EQ(row, c.Cells);
    const std::string row2(page.Cells.begin() + 80, page.Cells.begin() + 120);
    EXPECT_EQ(row2, spaces40) << "a missing row key reads as spaces";
  }
}

struct HeaderCase {
  const char* Name;
  std::string Content;
  int CharSet;
  TTextBlock Block;
};

TEST(TPageFile, CharSetAndTextBlockKeys) {
  const std::vector<HeaderCase> cases = {
      {"both missing", "[PAGE]\r\n", 8, {3, 6, 38, 22}},
      {"stored values", "[PAGE]\r\ncharset=12\r\nblocktext1=01020304\r\n", 12, {1, 2, 3, 4}},
      {"charset not a number", "[PAGE]\r\ncharset=de\r\n", -1, {3, 6, 38, 22}},
      {"charset empty", "[PAGE]\r\ncharset=\r\n", -1, {3, 6, 38, 22}},
      {"keys in capitals", "[page]\r\nCHARSET=0\r\nBLOCKTEXT1=00003923\r\n", 0, {0, 0, 39, 23}},
      {"short block text", "[PAGE]\r\nblocktext1=0306\r\n", 8, {3, 6, 0, 0}},
      {"odd-length block text", "[PAGE]\r\nblocktext1=03063\r\n", 8, {3, 6, 3, 0}},
      {"piece not a number", "[PAGE]\r\nblocktext1=0x063822\r\n", 8, {0, 6, 38, 22}},
      {"piece with a blank", "[PAGE]\r\nblocktext1=03 63822\r\n", 8, {3, 6, 38, 22}},
      {"empty block text", "[PAGE]\r\nblocktext1=\r\n", 8, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string path = folder / "t.tpg";
    WriteBytes(path, c.Content);
    TPageFile file(path);
    EXPECT_EQ(file.GetCharSet(), c.CharSet);
    EXPECT_EQ(file.GetBlockText(), c.Block);
  }
}

TEST(TPageFile, MissingKeysOfAnExistingFileAreInsertedBeforeTheNextSection) {
  TempFolder folder;
  const std::string path = folder / "t.tpg";
  WriteBytes(path, "; made by hand\r\n[PAGE]\r\ntitle=x\r\n[EXTRA]\r\nk=v\r\n");
  {
    TPageFile file(path);
    EXPECT_FALSE(file.Modified()) << "an existing file gets no title and charset lines";
    file.SetBlockText(TTextBlock{1, 2, 38, 22});
  }
  EXPECT_EQ(ReadBytes(path),
            "; made by hand\r\n[PAGE]\r\ntitle=x\r\nblocktext1=01023822\r\n[EXTRA]\r\nk=v\r\n");
}

}  // namespace
}  // namespace tavrel
