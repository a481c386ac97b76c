#include "pipeline/category_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pipeline/feed_reader.h"
#include "pipeline/settings_file.h"
#include "pipeline/settings_store.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TRssTxtPageProperty Entry(std::string category, std::int32_t first = 0) {
  TRssTxtPageProperty entry;
  entry.Category = std::move(category);
  entry.FirstNumber = first;
  return entry;
}

std::vector<std::string> SectionNames(const std::string& iniText) {
  TSettingsFile file;
  file.LoadText(iniText);
  return file.SectionNames();
}

TEST(CategoryTable, LoadsEverySectionStartingWithXMLItemInFileOrder) {
  TRssTxtPageProperty full;
  full.Category = "Sport";
  full.IndexNumber = 200;
  full.FirstNumber = 201;
  full.ShowTitle = false;
  full.EmptyRowAfterTitle = false;
  full.TitleUpperCase = false;
  full.IndexNumberColor = 8;
  full.IndexTemplateFileName = "/t/index.tpg";
  full.MessageTemplateFileName = "/t/message.tpg";
  full.FastextPrompt1 = "Home";
  full.FastextPrompt2 = "Sport";
  full.FastextPrompt3 = "News";
  full.FastextPrompt4 = "Weather";
  full.FastextLinkNr1 = 100;
  full.FastextLinkNr2 = 200;
  full.FastextLinkNr3 = 300;
  full.FastextLinkNr4 = 400;
  full.PreserveIndexCharset = true;
  full.PreserveMessageCharset = true;

  TRssTxtPageProperty unreadable = Entry("Odd", 0);
  unreadable.IndexNumber = 16;           // "$10" is hexadecimal
  unreadable.ShowTitle = true;           // "2" is non-zero
  unreadable.EmptyRowAfterTitle = true;  // "yes" is no number: the default

  struct Case {
    const char* Name;
    std::string Ini;
    TRssTxtPageProperties Expected;
  };
  const std::vector<Case> cases = {
      {"mixed order with Settings between, lower case ignored",
       "[XMLItem001]\nCategory=News\nFirstNumber=110\n"
       "[Settings]\nScanInterval=5\n"
       "[XMLItem002]\nCategory=Weather\nFirstNumber=150\n"
       "[xmlitem003]\nCategory=Hidden\n",
       {Entry("News", 110), Entry("Weather", 150)}},
      {"only Category: every default", "[XMLItem001]\nCategory=Culture\n", {Entry("Culture")}},
      {"every key",
       "[XMLItem001]\nCategory=Sport\nIndexNumber=200\nFirstNumber=201\nShowTitle=0\n"
       "EmptyRowAfterTitle=0\nTitleUpperCase=0\nIndexNumberColor=8\n"
       "IndexTemplateFileName=/t/index.tpg\nMessageTemplateFileName=/t/message.tpg\n"
       "FastextPrompt1=Home\nFastextPrompt2=Sport\nFastextPrompt3=News\n"
       "FastextPrompt4=Weather\nFastextLinkNr1=100\nFastextLinkNr2=200\nFastextLinkNr3=300\n"
       "FastextLinkNr4=400\nPreserveIndexCharset=1\nPreserveMessageCharset=1\n",
       {full}},
      {"unreadable values give the defaults",
       "[XMLItem001]\nCategory=Odd\nFirstNumber=one\nIndexNumber=$10\nShowTitle=2\n"
       "EmptyRowAfterTitle=yes\n",
       {unreadable}},
      {"the prefix is enough; the number does not order the table",
       "[XMLItem009]\nCategory=First\n[XMLItemExtra]\nCategory=Second\n"
       "[XMLItem001]\nCategory=Third\n",
       {Entry("First"), Entry("Second"), Entry("Third")}},
      {"no category sections", "[Settings]\nUseFastext=1\n", {}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TSettingsFile file;
    file.LoadText(row.Ini);
    EXPECT_EQ(LoadCategoryTable(file), row.Expected);

    // The store reads its file the same way when it starts.
    TempFolder home;
    WriteBytes(home / "tavrel.ini", row.Ini);
    TRIGlobals settings(home.Path());
    EXPECT_EQ(settings.Categories, row.Expected);
  }
}

TEST(CategoryTable, SavesNumberedSectionsWithTheKeysInOrder) {
  TRssTxtPageProperty sport = Entry("Sport", 201);
  sport.IndexNumber = 200;
  sport.IndexNumberColor = 8;
  sport.IndexTemplateFileName = "/t/index.tpg";
  sport.MessageTemplateFileName = "/t/message.tpg";
  sport.ShowTitle = false;
  sport.PreserveMessageCharset = true;

  TSettingsFile file;
  file.LoadText("[Settings]\nUseFastext=1\n[XMLItem007]\nCategory=Stale\n");
  SaveCategoryTable({sport, Entry("News", 110)}, file);
  EXPECT_EQ(file.ToText(),
            ReadBytes(std::string(TAVREL_TEST_DATA_DIR) + "/pipeline/categories_saved.ini"));
}

TEST(CategoryTable, SavingRenumbersAndReloads) {
  struct Case {
    const char* Name;
    std::string Ini;
    // What to do with the loaded table before saving.
    void (*Change)(TRssTxtPageProperties&);
    std::vector<std::string> ExpectedSections;
    std::vector<std::string> ExpectedCategories;
  };
  const std::vector<Case> cases = {
      {"delete the second of three",
       "[XMLItem001]\nCategory=A\n[XMLItem002]\nCategory=B\n[XMLItem003]\nCategory=C\n",
       [](TRssTxtPageProperties& table) { table.erase(table.begin() + 1); },
       {"Settings", "XMLItem001", "XMLItem002"},
       {"A", "C"}},
      {"gaps in the numbering close",
       "[XMLItem005]\nCategory=A\n[Settings]\n[XMLItem010]\nCategory=B\n",
       [](TRssTxtPageProperties& table) { table[0].FirstNumber = 150; },
       {"Settings", "XMLItem001", "XMLItem002"},
       {"A", "B"}},
      // The lower-case section is not a category; left in the file it would swallow the third
      // entry's keys under its own name and hide that entry from the next load.
      {"a lower-case section does not swallow an entry",
       "[XMLItem001]\nCategory=A\n[xmlitem003]\nCategory=Hidden\n[XMLItem002]\nCategory=B\n",
       [](TRssTxtPageProperties& table) { table.push_back(Entry("C")); },
       {"Settings", "XMLItem001", "XMLItem002", "XMLItem003"},
       {"A", "B", "C"}},
      {"an empty table leaves no category section",
       "[XMLItem001]\nCategory=A\n",
       [](TRssTxtPageProperties& table) { table.clear(); },
       {"Settings"},
       {}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TempFolder home;
    WriteBytes(home / "tavrel.ini", row.Ini);
    {
      TRIGlobals settings(home.Path());
      row.Change(settings.Categories);
      settings.SaveSettings();
    }
    std::vector<std::string> sections = SectionNames(ReadBytes(home / "tavrel.ini"));
    std::sort(sections.begin(), sections.end());
    EXPECT_EQ(sections, row.ExpectedSections);
    TRIGlobals reloaded(home.Path());
    std::vector<std::string> categories;
    for (const auto& entry : reloaded.Categories) categories.push_back(entry.Category);
    EXPECT_EQ(categories, row.ExpectedCategories);
  }
}

TEST(CategoryTable, SectionNumbersHaveAtLeastThreeDigits) {
  struct Case {
    std::size_t Number;
    const char* Name;
  };
  const std::vector<Case> cases = {
      {1, "XMLItem001"},   {10, "XMLItem010"},    {99, "XMLItem099"},
      {999, "XMLItem999"}, {1000, "XMLItem1000"}, {12345, "XMLItem12345"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(CategorySectionName(row.Number), row.Name);
  }
}

TEST(CategoryTable, FindsEntriesAndTellsWhichAreUsable) {
  TempFolder folder;
  const std::string present = folder / "present.tpg";
  WriteBytes(present, "[PAGE]\r\ntitle=\r\ncharset=8\r\n");
  const std::string missing = folder / "missing.tpg";

  TRssTxtPageProperty sportWithoutFiles = Entry("Sport", 201);
  sportWithoutFiles.IndexTemplateFileName = missing;
  sportWithoutFiles.MessageTemplateFileName = missing;
  TRssTxtPageProperty sportWithFiles = Entry("sport", 301);
  sportWithFiles.IndexTemplateFileName = present;
  sportWithFiles.MessageTemplateFileName = present;
  TRssTxtPageProperty newsIndexOnly = Entry("News", 401);
  newsIndexOnly.IndexTemplateFileName = present;
  newsIndexOnly.MessageTemplateFileName = missing;
  TRssTxtPageProperty weatherFolder = Entry("Weather", 501);
  weatherFolder.IndexTemplateFileName = folder.Path();  // a folder is not a template
  weatherFolder.MessageTemplateFileName = present;
  TRssTxtPageProperty noFileNames = Entry("Culture", 601);
  const TRssTxtPageProperties table = {sportWithoutFiles, sportWithFiles, newsIndexOnly,
                                       weatherFolder, noFileNames};

  struct Case {
    const char* Name;
    int FoundFirstNumber;  // 0: not found
    bool Usable;
  };
  const std::vector<Case> cases = {
      {"SPORT", 201, true},  // found: the first; usable: the second
      {"sport", 201, true},    {"News", 401, false},  {"Weather", 501, false},
      {"Culture", 601, false}, {"Economy", 0, false}, {"Sport ", 0, false},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    const TRssTxtPageProperty* found = FindCategory(table, row.Name);
    EXPECT_EQ(found ? found->FirstNumber : 0, row.FoundFirstNumber);
    EXPECT_EQ(IsCategoryUsable(table, row.Name), row.Usable);
  }
  EXPECT_FALSE(std::filesystem::exists(missing)) << "a lookup created a template";
}

// A workspace names its templates relative to its own folder, so that it can move as a whole.
TEST(CategoryTable, RelativeTemplateNamesAreTakenFromTheProgramFolder) {
  TempFolder home;
  std::filesystem::create_directory(home / "Templates");
  WriteBytes(home / "Templates/index.tpg", "[PAGE]\r\nblocktext1=02041020\r\n");
  WriteBytes(home / "Templates/message.tpg", "[PAGE]\r\n");
  TRssTxtPageProperty entry = Entry("News", 101);
  entry.IndexTemplateFileName = "Templates/index.tpg";
  entry.MessageTemplateFileName = "Templates/message.tpg";
  TRssTxtPageProperty absolute = Entry("Sport", 201);
  absolute.IndexTemplateFileName = home / "Templates/index.tpg";
  absolute.MessageTemplateFileName = home / "Templates/message.tpg";
  const TRssTxtPageProperties table = {entry, absolute};

  struct Case {
    const char* Name;
    std::string ProgramDir;
    bool Usable;
    int MaxPages;
  };
  const std::vector<Case> cases = {
      {"News", home.Path(), true, 17},
      {"News", "/nowhere/", false, 0},
      {"Sport", "/nowhere/", true, 17},  // absolute names stand
      {"Sport", "", true, 17},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(std::string(row.Name) + " from " + row.ProgramDir);
    EXPECT_EQ(IsCategoryUsable(table, row.Name, row.ProgramDir), row.Usable);
    EXPECT_EQ(MaxPages(*FindCategory(table, row.Name), row.ProgramDir), row.MaxPages);
  }
}

TEST(CategoryTable, MaxPagesCountsTheRowsOfTheIndexTemplatesTextBlock) {
  TempFolder folder;
  struct Case {
    const char* Name;
    const char* Content;  // null: no file
    TTextBlock Block;
    int Width;
    int MaxPages;
  };
  const std::vector<Case> cases = {
      {"missing", nullptr, {0, 0, -1, -1}, 0, 0},
      {"no_block", "[PAGE]\r\ntitle=\r\ncharset=8\r\n", {3, 6, 38, 22}, 36, 17},
      {"stored_block", "[PAGE]\r\nblocktext1=02041020\r\n", {2, 4, 10, 20}, 9, 17},
      {"one_row", "[PAGE]\r\nblocktext1=01050905\r\n", {1, 5, 9, 5}, 9, 1},
      {"backwards", "[PAGE]\r\nblocktext1=02201005\r\n", {2, 20, 10, 5}, 9, 0},
      {"off_the_page", "[PAGE]\r\nblocktext1=00109999\r\n", {0, 10, 99, 99}, 100, 14},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    const std::string path = folder / (std::string(row.Name) + ".tpg");
    if (row.Content) WriteBytes(path, row.Content);
    TRssTxtPageProperty entry = Entry("Any", 300);
    entry.IndexTemplateFileName = path;
    EXPECT_EQ(TemplateTextBlock(path), row.Block);
    EXPECT_EQ(TemplateTextBlock(path).Width(), row.Width);
    EXPECT_EQ(MaxPages(entry), row.MaxPages);
    EXPECT_EQ(std::filesystem::exists(path), row.Content != nullptr) << "looking created it";
    if (row.Content) {
      EXPECT_EQ(ReadBytes(path), row.Content) << "looking changed it";
    }
  }
}

TEST(CategoryTable, MessagesWithoutCategoryElementGetTheFirstEntrysCategory) {
  const TRssTxtPageProperties sportAndNews = {Entry("Sport", 201), Entry("News", 301)};
  struct Case {
    const char* Name;
    bool UseCategoryElement;
    TRssTxtPageProperties Table;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"category elements in the feed", true, sportAndNews, ""},
      {"no category elements", false, sportAndNews, "Sport"},
      {"no category elements, empty table", false, {}, ""},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TXMLSchema schema;
    schema.UseCategoryElement = row.UseCategoryElement;
    EXPECT_EQ(DefaultCategory(row.Table, schema), row.Expected);
  }

  // The reader's caller hands it on; the feed's own categories (Sport and News) are ignored.
  TPRSS reader;
  reader.Schema.UseCategoryElement = false;
  reader.DefaultCategory = DefaultCategory(sportAndNews, reader.Schema);
  ASSERT_TRUE(reader.LoadFromFile(std::string(TAVREL_TEST_DATA_DIR) + "/feeds/basic.xml"));
  std::vector<std::string> categories;
  for (const TRSSMessage& message : reader.GetMessages()) categories.push_back(message.Category);
  EXPECT_EQ(categories, (std::vector<std::string>{"Sport", "Sport"}));
}

}  // namespace
}  // namespace tavrel
