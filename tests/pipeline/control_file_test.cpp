#include "pipeline/control_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/error.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tavrel-control-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  // With the trailing separator, as folder fields keep it.
  std::string Dir() const { return path_.string() + "/"; }

 private:
  fs::path path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A local time as the clock would give it.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  when.tm_isdst = -1;
  return std::mktime(&when);
}

using Lines = std::vector<std::string>;

TEST(ControlFile, PageEntryHasSixLinesOrEightWithFastext) {
  struct Case {
    const char* name;
    bool useFastext;
    int number;
    int subPage;
    TControlFastext fastext;
    int charset;
    std::time_t writtenAt;
    Lines expected;
  };
  const TControlFastext defaults;
  TControlFastext custom;
  custom.Prompts = {"Home", "Sport \"live\"", "", "Weather"};
  custom.Links = {100, 301, -5, 2147483647};
  const std::time_t morning = LocalTime(2024, 3, 15, 9, 5, 7);
  const std::vector<Case> cases = {
      {"fastext off",
       false,
       101,
       2,
       custom,
       8,
       morning,
       {"[101.0002]", "Filename=101-0002.pag", "Level=0", "DateTime=03/15/24 09:05:07", "CharSet=8",
        "notrans=0"}},
      {"fastext on with the default prompts",
       true,
       100,
       0,
       defaults,
       0,
       morning,
       {"[100.0000]", "Filename=100-0000.pag", "Level=0", "DateTime=03/15/24 09:05:07", "CharSet=0",
        "notrans=0", "Prompts=\"Index\" \"Test\" \"Test\" \"Test\"", "Links=100 898 898 898"}},
      {"prompts go out as they are, links as numbers",
       true,
       899,
       56,
       custom,
       12,
       LocalTime(2024, 12, 31, 0, 0, 0),
       {"[899.0056]", "Filename=899-0056.pag", "Level=0", "DateTime=12/31/24", "CharSet=12",
        "notrans=0", "Prompts=\"Home\" \"Sport \"live\"\" \"\" \"Weather\"",
        "Links=100 301 -5 2147483647"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TControlFileWriter writer(c.useFastext);
    char fileName[32];
    std::snprintf(fileName, sizeof fileName, "%d-%04d.pag", c.number, c.subPage);
    writer.AddPageEntry(c.number, c.subPage, c.fastext, fileName, c.charset, c.writtenAt);
    EXPECT_EQ(writer.Lines(), c.expected);
  }
}

TEST(ControlFile, DateTimeLeavesTheTimeOutOnlyAtMidnight) {
  // Tests run in the C locale: short date mm/dd/yy, long time hh:mm:ss.
  struct Case {
    std::time_t when;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {LocalTime(2024, 3, 15, 0, 0, 0), "03/15/24"},
      {LocalTime(2024, 3, 15, 0, 0, 1), "03/15/24 00:00:01"},
      {LocalTime(2024, 3, 15, 0, 1, 0), "03/15/24 00:01:00"},
      {LocalTime(2024, 3, 15, 12, 0, 0), "03/15/24 12:00:00"},
      {LocalTime(1999, 12, 31, 23, 59, 59), "12/31/99 23:59:59"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(ControlFileDateTime(c.when), c.expected);
  }
}

TEST(ControlFile, ClearingLinesGoOnTopInReverseInsertionOrder) {
  struct Case {
    const char* name;
    std::vector<TControlClearing> table;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"two categories in table order",
       {{true, 100, 101, 3}, {true, 200, 201, 2}},
       {"[202.*]", "[201.*]", "[200.*]", "[103.*]", "[102.*]", "[101.*]", "[100.*]"}},
      {"a category without index template gets none",
       {{true, 100, 101, 1}, {false, 200, 201, 17}, {true, 300, 301, 1}},
       {"[301.*]", "[300.*]", "[101.*]", "[100.*]"}},
      {"an unset index number is not cleared", {{true, 0, 101, 2}}, {"[102.*]", "[101.*]"}},
      {"a long category stops at 899",
       {{true, 890, 897, 17}},
       {"[899.*]", "[898.*]", "[897.*]", "[890.*]"}},
      {"numbers below 100 are left out", {{true, 99, 97, 5}}, {"[101.*]", "[100.*]"}},
      {"no pages for a template without text block", {{true, 500, 501, 0}}, {"[500.*]"}},
      {"negative page count", {{true, 500, 501, -3}}, {"[500.*]"}},
      {"numbers at the int limits",
       {{true, INT_MAX, INT_MAX, INT_MAX}, {true, 150, INT_MIN, INT_MAX}},
       {"[150.*]"}},
      {"empty table", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TControlFileWriter writer(false);
    writer.AddPageEntry(123, 0, TControlFastext{}, "123-0000.pag", 8, 0);
    const Lines pageEntry = writer.Lines();
    writer.AddClearEntries(c.table);
    Lines expected = c.expected;
    expected.insert(expected.end(), pageEntry.begin(), pageEntry.end());
    EXPECT_EQ(writer.Lines(), expected);
  }
}

// Overlapping categories and the pages of the last update sent never give a number two lines.
TEST(ControlFile, ClearingNamesEveryNumberOnceAndThePagesOfTheLastUpdateAfterTheBlock) {
  TControlFileWriter writer(false);
  writer.AddClearEntries({{true, 100, 101, 3}, {true, 102, 103, 2}}, {104, 150, 150, 950, 99});
  EXPECT_EQ(writer.Lines(),
            (Lines{"[104.*]", "[103.*]", "[102.*]", "[101.*]", "[100.*]", "[150.*]"}));
}

TEST(ControlFile, SavedFileMatchesTheGoldenBytes) {
  TControlFastext sport;
  sport.Prompts = {"Index", "Sport", "Say \"hi\"", ""};
  sport.Links = {100, 200, 0, 898};
  TControlFastext markets;
  markets.Prompts = {"Index", "M\xe4rkte", "Test", "Test"};

  TControlFileWriter writer(true);
  writer.AddPageEntry(100, 0, sport, "100-0000.pag", 8, LocalTime(2024, 3, 15, 9, 5, 7));
  writer.AddPageEntry(101, 1, sport, "101-0001.pag", 4, LocalTime(2024, 3, 15, 0, 0, 0));
  writer.AddPageEntry(200, 0, markets, "200-0000.pag", 2, LocalTime(2024, 12, 31, 23, 59, 59));
  writer.AddClearEntries({{true, 100, 101, 3}, {true, 200, 201, 2}});

  TempDir dir;
  // An older, longer control file is replaced, not overwritten in part.
  std::ofstream(dir.Dir() + "Control.dat") << std::string(5000, 'x');
  writer.Save(dir.Dir());
  EXPECT_EQ(ReadFile(dir.Dir() + "Control.dat"),
            ReadFile(std::string(TAVREL_TEST_DATA_DIR) + "/pipeline/control_golden.dat"));
  // Nothing but the control file is left in the export folder: every file there is uploaded.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Dir()), fs::directory_iterator()), 1);
}

TEST(ControlFile, FailuresNameTheFileAndWhatIsWrong) {
  TempDir dir;
  struct Case {
    const char* name;
    std::function<void()> action;
    std::string message;
  };
  TControlFastext broken;
  broken.Prompts[2] = "two\r\nlines";
  const std::string missing = dir.Dir() + "missing/";
  const std::vector<Case> cases = {
      {"export folder missing", [&] { TControlFileWriter(false).Save(missing); },
       missing + "Control.dat: cannot save: No such file or directory"},
      {"a folder in the way of the control file",
       [&] {
         fs::create_directory(dir.Dir() + "blocked");
         fs::create_directory(dir.Dir() + "blocked/Control.dat");
         TControlFileWriter(false).Save(dir.Dir() + "blocked/");
       },
       dir.Dir() + "blocked/Control.dat: cannot save: is a folder"},
      {"page number past 899",
       [&] { TControlFileWriter(false).AddPageEntry(900, 0, {}, "900-0000.pag", 8, 0); },
       "Control.dat: page 900.0000 cannot be broadcast: page numbers run from 100 to 899"},
      {"unset page number",
       [&] { TControlFileWriter(false).AddPageEntry(0, 1, {}, "0-0001.pag", 8, 0); },
       "Control.dat: page 0.0001 cannot be broadcast: page numbers run from 100 to 899"},
      {"prompt with a line break",
       [&] { TControlFileWriter(true).AddPageEntry(101, 3, broken, "101-0003.pag", 8, 0); },
       "Control.dat: fastext prompt 3 of page 101.0003 holds a line break"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.action();
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), c.message);
    }
  }
  EXPECT_FALSE(fs::exists(missing));
  // The partly written file is cleaned up, so it can never be shipped.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Dir() + "blocked"), fs::directory_iterator()),
            1);
}

}  // namespace
}  // namespace tavrel
