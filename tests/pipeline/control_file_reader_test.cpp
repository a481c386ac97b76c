#include "pipeline/control_file_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "pipeline/control_file.h"
#include "support/error.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

using testing::TempFolder;

using Lines = std::vector<std::string>;

std::string CrLf(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST(ControlFileReader, PageSectionsAreTheSectionsWithKeysInCaseIgnoringOrder) {
  struct Case {
    const char* name;
    std::string text;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"page entries written out of order",
       CrLf({"[101.0000]", "Filename=101-0000.pag", "[100.0000]", "Filename=100-0000.pag",
             "[101.0001]", "Filename=101-0001.pag"}),
       {"100.0000", "101.0000", "101.0001"}},
      {"clearing entries have no keys",
       CrLf({"[102.*]", "[101.*]", "[100.*]", "[100.0000]", "Level=0"}),
       {"100.0000"}},
      {"a clearing-only file has no page sections", CrLf({"[202.*]", "[201.*]", "[200.*]"}), {}},
      {"letter case does not decide the order",
       CrLf({"[ABD]", "x=1", "[abc]", "x=1", "[Abe]", "x=1"}),
       {"abc", "ABD", "Abe"}},
      {"a section holding only a line without = counts as empty",
       CrLf({"[300.0000]", "garbage", "[301.0000]", "Level=0"}),
       {"301.0000"}},
      {"bare LF line ends read the same",
       "[200.0000]\nLevel=0\n[100.0000]\nLevel=0",
       {"100.0000", "200.0000"}},
  };
  TempFolder dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Path() + "Control.dat";
    std::ofstream(path, std::ios::binary) << c.text;
    EXPECT_EQ(TPTxtControlFile(path).PageSections(), c.expected);
  }
  EXPECT_EQ(TPTxtControlFile(dir.Path() + "absent.dat").PageSections(), Lines{});
}

TEST(ControlFileReader, ReadEntryGivesTheBracketLineAndTheKeysInFileOrder) {
  const std::string text =
      CrLf({"[100.*]", "[101.0002]", "Filename=101-0002.pag", "Level=0", "CharSet=4",
            "Prompts=\"a=b\" \"Test\" \"Test\" \"Test\"", "Links=100 898 898 898"});
  struct Case {
    const char* section;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"101.0002",
       {"[101.0002]", "Filename=101-0002.pag", "Level=0", "CharSet=4",
        "Prompts=\"a=b\" \"Test\" \"Test\" \"Test\"", "Links=100 898 898 898"}},
      {"100.*", {"[100.*]"}},
      {"999.0000", {"[999.0000]"}},
  };
  TempFolder dir;
  std::ofstream(dir.Path() + "Control.dat", std::ios::binary) << text;
  const TPTxtControlFile reader(dir.Path() + "Control.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    Lines lines = {"left over from before"};
    reader.ReadEntry(c.section, lines);
    EXPECT_EQ(lines, c.expected);
  }
}

TEST(ControlFileReader, EntryValueIsEverythingAfterTheFirstEquals) {
  const Lines entry = {"[a=b]", "Filename=101-0002.pag", "CharSet=4", "Prompts=\"x=y\" \"z\""};
  struct Case {
    const char* key;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"Filename", "101-0002.pag"}, {"CHARSET", "4"},     {"prompts", "\"x=y\" \"z\""},
      {"Links", std::nullopt},      {"[a", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(TPTxtControlFile::EntryValue(entry, c.key), c.expected);
  }
}

// The entry as the preview and the export read it: a page file of the export folder only, never
// a path that reaches outside it, and a character set that is not a number read as 0.
TEST(ControlFileReader, EntryNamesOnlyFilesOfTheExportFolder) {
  TempFolder dir;
  const std::string path = dir.Path() + "Control.dat";
  std::ofstream(path, std::ios::binary)
      << CrLf({"[100.0000]", "Filename=100-0000.pag", "CharSet=4", "Links=101 102 103 104",
               "[101.0000]", "Filename= 101-0000.pag ", "CharSet=x", "[102.0000]",
               "Filename=../outside.pag", "[103.0000]", "Filename=sub\\103.pag", "[104.0000]",
               "Filename=..", "[105.0000]", "Filename=", "[106.0000]", "CharSet=1"});
  const TPTxtControlFile reader(path);
  struct Case {
    const char* Section;
    const char* FileName;
    int CharSet;
    bool HasLinks;
  };
  const Case cases[] = {
      {"100.0000", "100-0000.pag", 4, true},
      {"101.0000", "101-0000.pag", 0, false},
      {"102.0000", "", 0, false},
      {"103.0000", "", 0, false},
      {"104.0000", "", 0, false},
      {"105.0000", "", 0, false},
      {"106.0000", "", 1, false},
      {"107.0000", "", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Section);
    const TControlEntry entry = reader.Entry(c.Section);
    EXPECT_EQ(entry.FileName, c.FileName);
    EXPECT_EQ(entry.CharSet, c.CharSet);
    EXPECT_EQ(entry.Links.has_value(), c.HasLinks);
  }
}

TEST(ControlFileReader, UnreadableFilesAreErrorsNamingTheFile) {
  TempFolder dir;
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"a folder in its place", [](const std::string& path) { fs::create_directory(path); },
       "cannot read: Is a directory"},
      {"far too large for a control file",
       [](const std::string& path) {
         std::ofstream(path, std::ios::binary) << "[100.0000]";
         fs::resize_file(path, TSettingsFile::kMaxFileBytes + 1);
       },
       "file is larger than the limit of 16777216 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::create_directory(dir.Path() + c.name);
    const std::string path = dir.Path() + c.name + "/Control.dat";
    c.make(path);
    try {
      TPTxtControlFile reader(path);
      ADD_FAILURE() << "read";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), path + ": " + c.reason);
    }
  }
}

TEST(ControlFileReader, ReadsBackWhatTheWriterSaved) {
  TControlFastext fastext;
  fastext.Prompts = {"Index", "Sport", "Weather", "News"};
  fastext.Links = {100, 200, 300, 400};
  TControlFileWriter writer(true);
  writer.AddPageEntry(201, 1, fastext, "201-0001.pag", 4, 0);
  writer.AddPageEntry(200, 0, fastext, "200-0000.pag", 2, 0);
  writer.AddPageEntry(201, 2, fastext, "201-0002.pag", 4, 0);
  writer.AddClearEntries({{true, 200, 201, 2}});
  TempFolder dir;
  writer.Save(dir.Path());

  const TPTxtControlFile reader(dir.Path() + "Control.dat");
  ASSERT_EQ(reader.PageSections(), (Lines{"200.0000", "201.0001", "201.0002"}));
  // Each entry reads back as the lines the writer made for it.
  const Lines& written = writer.Lines();
  for (const std::string& section : reader.PageSections()) {
    SCOPED_TRACE(section);
    const auto start = std::find(written.begin(), written.end(), "[" + section + "]");
    ASSERT_NE(start, written.end());
    Lines entry;
    reader.ReadEntry(section, entry);
    EXPECT_EQ(entry, Lines(start, start + 8));
    EXPECT_EQ(TPTxtControlFile::EntryValue(entry, "Links"), "100 200 300 400");
  }
}

}  // namespace
}  // namespace tavrel
