#include "support/recent_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace tavrel {
namespace {

// A store of plain values, as the settings file holds them.
class MapStore : public TRecentFileStore {
 public:
  bool CanOpen = true;
  std::map<std::string, std::string> Values;
  int Writes = 0;

  bool Open() override { return CanOpen; }
  std::string ReadValue(const std::string& name) override {
    auto it = Values.find(name);
    return it == Values.end() ? std::string() : it->second;
  }
  void WriteValue(const std::string& name, const std::string& value) override {
    Values[name] = value;
    ++Writes;
  }
};

std::vector<std::string> Captions(const TRecentFileList& list) {
  std::vector<std::string> captions;
  for (const TRecentMenuEntry& entry : list.MenuEntries()) captions.push_back(entry.Caption);
  return captions;
}

TEST(RecentFilesTest, ListRulesKeepTheMostRecentFirstInExactlyMaxCountSlots) {
  struct Case {
    const char* Name;
    std::vector<std::string> Added;  // in order
    std::string Current;
    int MaxCount;
    std::vector<std::string> ExpectedFront;
    std::vector<std::string> ExpectedCaptions;
  };
  const std::vector<Case> cases = {
      {"the same path again moves to the front without a duplicate",
       {"/t/a.tpg", "/t/b.tpg", "/t/a.tpg"},
       "",
       9,
       {"/t/a.tpg", "/t/b.tpg", ""},
       {"1  a.tpg", "2  b.tpg"}},
      {"names that differ in letter case are two files, two entries",
       {"/t/News.tpg", "/t/b.tpg", "/t/news.tpg"},
       "",
       9,
       {"/t/news.tpg", "/t/b.tpg", "/t/News.tpg", ""},
       {"1  news.tpg", "2  b.tpg", "3  News.tpg"}},
      {"blanks around a path are trimmed; a blank path changes nothing",
       {"  /t/a.tpg\t", "   "},
       "",
       9,
       {"/t/a.tpg", ""},
       {"1  a.tpg"}},
      {"a tenth path pushes out the oldest",
       {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9", "/10"},
       "",
       9,
       {"/10", "/9"},
       {"1  10", "2  9", "3  8", "4  7", "5  6", "6  5", "7  4", "8  3", "9  2"}},
      {"the current file is hidden: eight entries numbered 1 to 8",
       {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"},
       "/5",
       9,
       {"/5", "/9"},
       {"1  9", "2  8", "3  7", "4  6", "5  4", "6  3", "7  2", "8  1"}},
      {"ten shown entries are zero-padded",
       {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9", "/10"},
       "",
       12,
       {"/10"},
       {"01  10", "02  9", "03  8", "04  7", "05  6", "06  5", "07  4", "08  3", "09  2", "10  1"}},
      {"making a path current in other letter case keeps the other one offered",
       {"/t/News.tpg"},
       "/t/news.tpg",
       9,
       {"/t/news.tpg", "/t/News.tpg", ""},
       {"1  News.tpg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRecentFileList list;
    list.SetMaxCount(c.MaxCount);
    for (const std::string& path : c.Added) list.AddFile(path);
    if (!c.Current.empty()) list.SetCurrentFile(c.Current);
    ASSERT_EQ(list.Files().size(), static_cast<std::size_t>(c.MaxCount));
    for (std::size_t i = 0; i < c.ExpectedFront.size(); ++i) {
      EXPECT_EQ(list.Files()[i], c.ExpectedFront[i]) << "slot " << i;
    }
    EXPECT_EQ(Captions(list), c.ExpectedCaptions);
  }
}

TEST(RecentFilesTest, StoreHoldsExactlyMaxCountValuesAndIsLeftAloneUntilTheListHasSlots) {
  MapStore store;
  TRecentFileList untouched;
  untouched.SaveTo(store);
  EXPECT_EQ(store.Writes, 0);

  TRecentFileList list;
  for (int i = 1; i <= 10; ++i) list.AddFile("/f" + std::to_string(i));
  list.SaveTo(store);
  ASSERT_EQ(store.Values.size(), 9u);
  EXPECT_EQ(store.Values["Mru1"], "/f10");
  EXPECT_EQ(store.Values["Mru9"], "/f2");
  EXPECT_EQ(store.Values.count("Mru10"), 0u);

  // Read back; a store that cannot be opened gives only empty slots and takes no writes.
  TRecentFileList loaded;
  loaded.LoadFrom(store);
  EXPECT_EQ(loaded.Files(), list.Files());
  store.CanOpen = false;
  store.Writes = 0;
  loaded.LoadFrom(store);
  EXPECT_EQ(loaded.Files(), std::vector<std::string>(9));
  loaded.AddFile("/new");
  loaded.SaveTo(store);
  EXPECT_EQ(store.Writes, 0);
}

TEST(RecentFilesTest, OnlyExistingSkipsMissingFilesAndGapsCloseUp) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrel_mru_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string present = (folder / "present.tpg").string();
  std::ofstream(present) << "x";
  MapStore store;
  store.Values = {{"Mru1", (folder / "gone.tpg").string()}, {"Mru2", ""}, {"Mru3", present}};
  TRecentFileList list;
  list.SetOnlyExisting(true);
  list.LoadFrom(store);
  EXPECT_EQ(list.Files().front(), present);
  EXPECT_EQ(list.Files().size(), 9u);
  std::filesystem::remove_all(folder);
}

TEST(RecentFilesTest, TakeMostRecentMakesTheFirstShownEntryCurrent) {
  TRecentFileList list;
  EXPECT_EQ(list.TakeMostRecent(), "");
  list.AddFile("/old.tpg");
  list.AddFile("/new.tpg");
  EXPECT_EQ(list.TakeMostRecent(), "/new.tpg");
  EXPECT_EQ(list.CurrentFile(), "/new.tpg");
  EXPECT_EQ(Captions(list), std::vector<std::string>{"1  old.tpg"});
  list.SetShowFullPath(true);
  EXPECT_EQ(Captions(list), std::vector<std::string>{"1  /old.tpg"});
}

TEST(RecentFilesTest, RegistryKeysMapToSettingsGroups) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\software\\dravik\\Tavrel\\mru\\", "mru"},
      {"\\Software\\Dravik\\TAVREL\\Editor\\mru", "Editor/mru"},
      {"\\software\\other\\mru\\", "software/other/mru"},
      {"\\software\\dravik\\Tavrel\\", ""},
      {"", ""},
  };
  for (const auto& [key, group] : cases) {
    SCOPED_TRACE(key);
    EXPECT_EQ(RecentFileGroupOfKey(key), group);
  }
}

}  // namespace
}  // namespace tavrel
