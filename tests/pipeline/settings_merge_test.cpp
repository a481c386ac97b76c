#include "pipeline/settings_merge.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrel {
namespace {

// A file's text in the encoding it names.
TSettingsFile Parse(const std::string& text, bool utf8) {
  TSettingsFile file;
  if (utf8) file.ConvertToUtf8();
  file.LoadText(text);
  return file;
}

struct ExpectedValue {
  const char* Section;
  const char* Key;
  std::optional<std::string> Value;  // as UTF-8; nothing: the key (or section) is gone
};

struct MergeCase {
  const char* Name;
  std::string Read;                              // the file as the program read it
  bool Utf8 = false;                             // the encoding of both files
  std::function<void(TSettingsValues&)> Change;  // what the program changed
  std::optional<std::string> Disk;               // the file on disk at the save; nothing: missing
  bool Write = false;
  std::vector<ExpectedValue> Values;  // in the file to write
  std::vector<std::string> DiskKeys;
  std::vector<std::string> ConflictKeys;
  bool BecameUtf8 = false;
};

const std::string kRead =
    "[Settings]\r\nFTPPassword=old\r\nScanInterval=10\r\nXMLFilePath=/feeds/news.xml\r\n"
    "[XMLItem001]\r\nCategory=Sport\r\nFirstNumber=101\r\n"
    "[XMLItem002]\r\nCategory=News\r\nFirstNumber=201\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(MergeSettingsChanges, KeepsTheDisksEditsAndWritesOnlyWhatChangedHere) {
  const auto nothing = [](TSettingsValues&) {};
  const std::vector<MergeCase> cases = {
      {"unchanged here, edited on disk: nothing is written",
       kRead,
       false,
       nothing,
       Replaced(kRead, "FTPPassword=old", "FTPPassword=admin"),
       false,
       {},
       {"[Settings] FTPPassword"},
       {},
       false},
      {"changed here, file untouched: the change is written",
       kRead,
       false,
       [](TSettingsValues& v) { v.ScanInterval = 30; },
       kRead,
       true,
       {{"Settings", "ScanInterval", "30"}, {"Settings", "FTPPassword", "old"}},
       {},
       {},
       false},
      {"changed here and a different key on disk: both survive",
       kRead,
       false,
       [](TSettingsValues& v) { v.ScanInterval = 30; },
       Replaced(kRead, "FTPPassword=old", "FTPPassword=admin"),
       true,
       {{"Settings", "ScanInterval", "30"}, {"Settings", "FTPPassword", "admin"}},
       {"[Settings] FTPPassword"},
       {},
       false},
      {"the same key on both sides: the value set here wins and is named",
       kRead,
       false,
       [](TSettingsValues& v) { v.ScanInterval = 30; },
       Replaced(kRead, "ScanInterval=10", "ScanInterval=60"),
       true,
       {{"Settings", "ScanInterval", "30"}},
       {"[Settings] ScanInterval"},
       {"[Settings] ScanInterval"},
       false},
      {"a category renamed here, one added on disk: both survive",
       kRead,
       false,
       [](TSettingsValues& v) { v.Categories[0].Category = "Sports"; },
       kRead + "[XMLItem003]\r\nCategory=Weather\r\n",
       true,
       {{"XMLItem001", "Category", "Sports"}, {"XMLItem003", "Category", "Weather"}},
       {"[XMLItem003] Category"},
       {},
       false},
      {"a category deleted here: its section goes, the disk's edit stays",
       kRead,
       false,
       [](TSettingsValues& v) { v.Categories.pop_back(); },
       Replaced(kRead, "FTPPassword=old", "FTPPassword=admin"),
       true,
       {{"XMLItem002", "Category", std::nullopt},
        {"Settings", "FTPPassword", "admin"},
        {"XMLItem001", "Category", "Sport"}},
       {"[Settings] FTPPassword"},
       {},
       false},
      {"an entry deleted on disk, another renamed here: the table is written whole",
       kRead,
       false,
       [](TSettingsValues& v) { v.Categories[0].Category = "Sports"; },
       "[Settings]\r\nFTPPassword=old\r\nScanInterval=10\r\nXMLFilePath=/feeds/news.xml\r\n"
       "[XMLItem001]\r\nCategory=News\r\nFirstNumber=201\r\n",
       true,
       {{"XMLItem001", "Category", "Sports"},
        {"XMLItem002", "Category", "News"},
        {"XMLItem002", "FirstNumber", "201"}},
       {"[XMLItem001] Category", "[XMLItem001] FirstNumber", "[XMLItem002] Category",
        "[XMLItem002] FirstNumber"},
       {"[XMLItem001] Category", "[XMLItem001] FirstNumber", "[XMLItem002] Category",
        "[XMLItem002] FirstNumber"},
       false},
      {"a path Windows-1252 lacks turns the file into UTF-8, other values intact",
       Replaced(kRead, "Category=Sport",
                "Category=\xC9"
                "conomie"),
       false,
       [](TSettingsValues& v) { v.XMLFilePath = "/feeds/\xD0\x9F.xml"; },
       Replaced(kRead, "Category=Sport",
                "Category=\xC9"
                "conomie"),
       true,
       {{"Settings", "XMLFilePath", "/feeds/\xD0\x9F.xml"},
        {"XMLItem001", "Category",
         "\xC3\x89"
         "conomie"}},
       {},
       {},
       true},
      {"a path with ö in a Windows-1252 file stays Windows-1252",
       kRead,
       false,
       [](TSettingsValues& v) { v.XMLFilePath = "/h\xC3\xB6me/news.xml"; },
       kRead,
       true,
       {{"Settings", "XMLFilePath", "/h\xC3\xB6me/news.xml"}},
       {},
       {},
       false},
      {"a UTF-8 value Windows-1252 lacks is kept when another key changes",
       Replaced(kRead, "Category=Sport",
                "Category=\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0"),
       true,
       [](TSettingsValues& v) { v.ScanInterval = 30; },
       Replaced(kRead, "Category=Sport",
                "Category=\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0"),
       true,
       {{"XMLItem001", "Category", "\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0"},
        {"Settings", "ScanInterval", "30"}},
       {},
       {},
       false},
      {"removed on disk and unchanged here: not brought back",
       kRead,
       false,
       nothing,
       std::nullopt,
       false,
       {},
       {},
       {},
       false},
      {"keys the file never had are added when writing anyway",
       "[Settings]\r\nScanInterval=10\r\n",
       false,
       [](TSettingsValues& v) { v.ScanInterval = 5; },
       "[Settings]\r\nScanInterval=10\r\n",
       true,
       {{"Settings", "ScanInterval", "5"}, {"Settings", "TransferDir", "Varnex\\Transfer\\"}},
       {},
       {},
       false},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TSettingsFile read = Parse(c.Read, c.Utf8);
    const TSettingsValues readValues = ReadSettingsValues(read);
    TSettingsValues current = readValues;
    c.Change(current);
    std::optional<TSettingsFile> disk;
    if (c.Disk) disk = Parse(*c.Disk, c.Utf8);
    const TSettingsMerge merge = MergeSettingsChanges(readValues, current, read, true, disk);
    EXPECT_EQ(merge.Write, c.Write);
    EXPECT_EQ(merge.DiskKeys, c.DiskKeys);
    EXPECT_EQ(merge.ConflictKeys, c.ConflictKeys);
    EXPECT_EQ(merge.BecameUtf8, c.BecameUtf8);
    for (const ExpectedValue& expected : c.Values) {
      SCOPED_TRACE(std::string(expected.Section) + " " + expected.Key);
      std::optional<std::string> value;
      if (merge.File.KeyExists(expected.Section, expected.Key)) {
        value = merge.File.ReadPath(expected.Section, expected.Key, "");
      }
      EXPECT_EQ(value, expected.Value);
    }
  }
}

TEST(MergeSettingsChanges, FirstStartWritesEveryKeyAndTheMessageNamesTheKeys) {
  TSettingsFile none;
  none.ConvertToUtf8();  // a new file is UTF-8
  const TSettingsValues defaults;
  const TSettingsMerge first = MergeSettingsChanges(defaults, defaults, none, false, std::nullopt);
  EXPECT_TRUE(first.Write);
  EXPECT_EQ(first.File.KeyNames("Settings").size(), kSettingKeys.size());

  TSettingsMerge merge;
  merge.ProgramKeys = {"[Settings] ScanInterval"};
  merge.DiskKeys = {"[Settings] FTPPassword", "[Settings] ScanInterval"};
  merge.ConflictKeys = {"[Settings] ScanInterval"};
  EXPECT_EQ(SettingsMergeMessage("/h\xC3\xB6me/tavrel.ini", merge),
            "/h\xC3\xB6me/tavrel.ini was changed on disk since it was read: only the settings "
            "changed here were written ([Settings] ScanInterval); the disk's values were kept "
            "for [Settings] FTPPassword. Changed on both sides, the value set here replaced the "
            "disk's for [Settings] ScanInterval.");
  EXPECT_EQ(SettingsMergeMessage("/x/tavrel.ini", TSettingsMerge{}), "");
}

}  // namespace
}  // namespace tavrel
