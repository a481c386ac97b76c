#include "page/ini_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/temp_folder.h"
#include "support/error.h"

namespace tavrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct Write {
  std::string Section;
  std::string Key;
  std::string Value;
};

struct WriteCase {
  const char* Name;
  std::string Before;  // empty: no file yet
  std::vector<Write> Writes;
  std::string After;
};

TEST(TPIniFile, WritesChangeOnlyTheirLinesAndSaveWithCrLf) {
  const std::vector<WriteCase> cases = {
      {"new file gets the section, then the keys",
       "",
       {{"PAGE", "title", ""}, {"PAGE", "charset", "8"}},
       "[PAGE]\r\ntitle=\r\ncharset=8\r\n"},
      {"existing key replaced in place, key spelled as written",
       "[PAGE]\r\nCHARSET = 8\r\nx=1\r\n",
       {{"page", "charset", "12"}},
       "[PAGE]\r\ncharset=12\r\nx=1\r\n"},
      {"new key goes before the next [ line, after blank and comment lines",
       "[PAGE]\r\ntitle=\r\n\r\n; note\r\n[OTHER]\r\nx=1\r\n",
       {{"PAGE", "charset", "2"}},
       "[PAGE]\r\ntitle=\r\n\r\n; note\r\ncharset=2\r\n[OTHER]\r\nx=1\r\n"},
      {"new key at the end of the last section",
       "[A]\r\nx=1\r\n[PAGE]\r\ntitle=\r\n",
       {{"PAGE", "charset", "4"}},
       "[A]\r\nx=1\r\n[PAGE]\r\ntitle=\r\ncharset=4\r\n"},
      {"header with a trailing space is not the section",
       "[PAGE] \r\ncharset=8\r\n",
       {{"PAGE", "charset", "0"}},
       "[PAGE] \r\ncharset=8\r\n[PAGE]\r\ncharset=0\r\n"},
      {"header in lower case is the section",
       "[page]\r\ncharset=8\r\n",
       {{"PAGE", "CHARSET", "10"}},
       "[page]\r\nCHARSET=10\r\n"},
      {"same key in another section is not touched",
       "[A]\r\ncharset=1\r\n[PAGE]\r\n",
       {{"PAGE", "charset", "2"}},
       "[A]\r\ncharset=1\r\n[PAGE]\r\ncharset=2\r\n"},
      {"first of two equal keys wins",
       "[PAGE]\r\nk=1\r\nk=2\r\n",
       {{"PAGE", "k", "3"}},
       "[PAGE]\r\nk=3\r\nk=2\r\n"},
      {"first of two equal headers wins",
       "[PAGE]\r\na=1\r\n[PAGE]\r\nb=2\r\n",
       {{"PAGE", "b", "3"}},
       "[PAGE]\r\na=1\r\nb=3\r\n[PAGE]\r\nb=2\r\n"},
      {"missing section is appended, name kept as written",
       "[A]\r\nx=1\r\n",
       {{"Page", "k", "v"}},
       "[A]\r\nx=1\r\n[Page]\r\nk=v\r\n"},
      {"LF and CR line ends become CR LF, last line without end kept",
       "[A]\nx=1\rhigh=\xE9\xFF\r\n;c",
       {{"A", "y", "2"}},
       "[A]\r\nx=1\r\nhigh=\xE9\xFF\r\n;c\r\ny=2\r\n"},
      {"line breaks inside a value become spaces",
       "",
       {{"PAGE", "title", "a\r\nb\nc"}},
       "[PAGE]\r\ntitle=a  b c\r\n"},
      {"value bytes above 0x7F stand as they are",
       "",
       {{"PAGE", "row01", "\x81\xC1\xA0"}},
       "[PAGE]\r\nrow01=\x81\xC1\xA0\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string path = folder / "t.tpg";
    if (!c.Before.empty()) WriteBytes(path, c.Before);
    TPIniFile file(path);
    for (const auto& w : c.Writes) file.WriteString(w.Section, w.Key, w.Value);
    EXPECT_TRUE(file.Modified());
    file.Save();
    EXPECT_FALSE(file.Modified());
    EXPECT_EQ(ReadBytes(path), c.After);
  }
}

struct ReadCase {
  const char* Name;
  std::string Content;
  std::string Section;
  std::string Key;
  std::string StringResult;    // ReadString with default "dflt"
  std::int32_t IntegerResult;  // ReadInteger with default 8
};

TEST(TPIniFile, ReadsTrimmedValuesWithDefaults) {
  const std::string longValue(300, 'x');
  const std::vector<ReadCase> cases = {
      {"plain", "[PAGE]\r\ncharset=12\r\n", "PAGE", "charset", "12", 12},
      {"any letter case", "[page]\r\nCharSet=4\r\n", "PAGE", "CHARSET", "4", 4},
      {"blanks and control bytes trimmed", "[PAGE]\r\n \t k \t= \x01 -3 \t\r\n", "PAGE", "k", "-3",
       -3},
      {"missing key", "[PAGE]\r\nx=1\r\n", "PAGE", "k", "dflt", 8},
      {"missing section", "[A]\r\nk=1\r\n", "PAGE", "k", "dflt", 8},
      {"key of the next section not found", "[PAGE]\r\n[B]\r\nk=1\r\n", "PAGE", "k", "dflt", 8},
      {"header with trailing space not found", "[PAGE] \r\nk=1\r\n", "PAGE", "k", "dflt", 8},
      {"not a number reads as -1", "[PAGE]\r\nk=abc\r\n", "PAGE", "k", "abc", -1},
      {"partly a number reads as -1", "[PAGE]\r\nk=12a\r\n", "PAGE", "k", "12a", -1},
      {"empty value reads as -1", "[PAGE]\r\nk=\r\n", "PAGE", "k", "", -1},
      {"value after the first =", "[PAGE]\r\nk=a=b\r\n", "PAGE", "k", "a=b", -1},
      {"line without = never matches", "[PAGE]\r\nk\r\nk=5\r\n", "PAGE", "k", "5", 5},
      {"values are cut at 255 characters", "[PAGE]\r\nk=" + longValue + "\r\n", "PAGE", "k",
       std::string(255, 'x'), -1},
      {"too large for 32 bits reads as -1", "[PAGE]\r\nk=2147483648\r\n", "PAGE", "k", "2147483648",
       -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string path = folder / "t.ini";
    WriteBytes(path, c.Content);
    TPIniFile file(path);
    EXPECT_EQ(file.ReadString(c.Section, c.Key, "dflt"), c.StringResult);
    EXPECT_EQ(file.ReadInteger(c.Section, c.Key, 8), c.IntegerResult);
    EXPECT_FALSE(file.Modified());
  }
}

TEST(TPIniFile, DestructorSavesOnlyUnsavedWritesAndNeverThrows) {
  TempFolder folder;
  const std::string path = folder / "t.tpg";
  const std::string original = "[PAGE]\nk=1\n";
  WriteBytes(path, original);
  { TPIniFile reader(path); }
  EXPECT_EQ(ReadBytes(path), original) << "reading alone must not rewrite the file";

  {
    TPIniFile writer(path);
    writer.WriteString("PAGE", "k", "2");
  }
  EXPECT_EQ(ReadBytes(path), "[PAGE]\r\nk=2\r\n");

  // Saving into a folder that does not exist fails: Save() says so, the destructor stays quiet.
  const std::string unreachable = folder / "missing/t.tpg";
  TPIniFile broken(unreachable);
  broken.WriteString("PAGE", "k", "1");
  try {
    broken.Save();
    ADD_FAILURE() << "Save() into a missing folder succeeded";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), unreachable + ": cannot save: No such file or directory");
  }
  EXPECT_TRUE(broken.Modified());
}

TEST(TPIniFile, FileThatCannotBeReadIsAnErrorNamingIt) {
  TempFolder folder;
  const std::string path = folder / "dir.tpg";
  std::filesystem::create_directory(path);
  try {
    TPIniFile file(path);
    ADD_FAILURE() << "a folder loaded as a template";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), path + ": cannot read: Is a directory");
  }
}

}  // namespace
}  // namespace tavrel
