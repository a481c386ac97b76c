#include "editor/template_document.h"

#include <gtest/gtest.h>

#include <string>

#include "support/error.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// The bytes the template file rules give for a page of spaces: the section, an empty title, the
// character set, the text block and 23 rows of 40 spaces with bit 7 set, each line ended CR LF.
std::string BlankTemplateBytes(const std::string& charSet, const std::string& blockText) {
  std::string bytes =
      "[PAGE]\r\ntitle=\r\ncharset=" + charSet + "\r\nblocktext1=" + blockText + "\r\n";
  for (int row = 1; row <= 23; ++row) {
    bytes +=
        (row < 10 ? "row0" : "row") + std::to_string(row) + "=" + std::string(40, '\xA0') + "\r\n";
  }
  return bytes;
}

TEST(TemplateDocument, ANewDefaultTemplateSavesAsTheTwentySevenLinesOfTheFileRules) {
  TempFolder folder;
  WriteTemplateDocument(folder / "new.tpg", NewTemplateDocument(8));
  const std::string bytes = ReadBytes(folder / "new.tpg");
  EXPECT_EQ(bytes, BlankTemplateBytes("8", "02063922"));
  std::size_t lines = 0;
  for (char c : bytes) lines += c == '\n';
  EXPECT_EQ(lines, 27u);
}

TEST(TemplateDocument, MissingAndDamagedKeysReadAsTheDefaults) {
  struct Row {
    const char* Name;
    std::string Text;
    int CharSet;
    TTextBlock Block;
  };
  const Row rows[] = {
      {"no charset, no blocktext1", "[PAGE]\r\ntitle=x\r\n", 8, {3, 6, 38, 22}},
      {"both keys", "[PAGE]\r\ncharset=4\r\nblocktext1=05071520\r\n", 4, {5, 7, 15, 20}},
      // A "charset" that is not a number, or no option of the editor, opens as the default set.
      {"charset not a number", "[PAGE]\r\ncharset=x\r\n", 8, {3, 6, 38, 22}},
      {"odd charset", "[PAGE]\r\ncharset=3\r\n", 8, {3, 6, 38, 22}},
  };
  TempFolder folder;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    WriteBytes(folder / "t.tpg", row.Text);
    const TTemplateDocument document = ReadTemplateDocument(folder / "t.tpg");
    EXPECT_EQ(document.Page.CharSet, row.CharSet);
    EXPECT_EQ(document.TextBlock, row.Block);
    EXPECT_EQ(document.Page.Cell(5, 0), 0x20);
  }
}

// A file without [PAGE] is no template: an error naming the file, and the file left as it was.
TEST(TemplateDocument, AFileWithoutThePageSectionIsRefusedAndLeftAlone) {
  const std::pair<const char*, std::string> files[] = {
      {"another section", "[TITLE]\r\nrow01=Hello\r\n"},
      {"keys before any section", "charset=4\r\nrow01=Hello\r\n"},
      {"empty", ""},
  };
  TempFolder folder;
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    WriteBytes(folder / "foreign.tpg", text);
    try {
      ReadTemplateDocument(folder / "foreign.tpg");
      FAIL() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()),
                folder / "foreign.tpg" + ": not a template: it has no [PAGE] section");
    }
    EXPECT_EQ(ReadBytes(folder / "foreign.tpg"), text);
  }
}

TEST(TemplateDocument, SaveWritesBlockRowsAndCharSetIntoAnExistingFileAndReadsBack) {
  TempFolder folder;
  // An existing file keeps its title and its key order; the new values replace the old.
  WriteBytes(folder / "t.tpg", "[PAGE]\r\ntitle=Weather\r\ncharset=2\r\n");
  TTemplateDocument document = NewTemplateDocument(6);
  document.TextBlock = {1, 2, 30, 21};
  document.Page.Cell(1, 0) = 0x11;
  document.Page.Cell(23, 39) = 'Z';
  WriteTemplateDocument(folder / "t.tpg", document);
  const std::string bytes = ReadBytes(folder / "t.tpg");
  EXPECT_EQ(bytes.substr(0, 50), "[PAGE]\r\ntitle=Weather\r\ncharset=6\r\nblocktext1=01023");
  const TTemplateDocument back = ReadTemplateDocument(folder / "t.tpg");
  EXPECT_EQ(back.TextBlock, document.TextBlock);
  EXPECT_EQ(back.Page.Cells, document.Page.Cells);
  EXPECT_EQ(back.Page.CharSet, 6);
}

TEST(TemplateDocument, AFolderThatCannotBeWrittenIsAnErrorNamingTheFile) {
  TempFolder folder;
  const std::string path = folder / "missing/t.tpg";
  try {
    WriteTemplateDocument(path, NewTemplateDocument(8));
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("t.tpg"), std::string::npos) << error.what();
  }
}

TEST(TemplateDocument, CaptionNamesTheFileWithoutItsFolder) {
  EXPECT_EQ(TemplateEditorCaption("/home/op/Templates/news.tpg", "<no name>"),
            "Template Editor - news.tpg");
  EXPECT_EQ(TemplateEditorCaption("", "<geen naam>"), "Template Editor - <geen naam>");
}

}  // namespace
}  // namespace tavrel
