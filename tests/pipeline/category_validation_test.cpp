// The checks of the Category properties dialog and the way it reads its number edits.

#include "pipeline/category_validation.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "pipeline/control_file.h"
#include "render/page_view_rules.h"

namespace tavrel {
namespace {

TRssTxtPageProperty Entry(std::string category, std::int32_t first) {
  TRssTxtPageProperty entry;
  entry.Category = std::move(category);
  entry.FirstNumber = first;
  return entry;
}

TEST(ValidateCategory, AnswersTheDialogsWarningsInOrder) {
  // Loaded from a file unchecked, so it may hold the same name twice.
  const TRssTxtPageProperties table = {Entry("Sport", 200), Entry("News", 300), Entry("sport", 400),
                                       Entry("Weather", 300), Entry("Music", 600)};
  struct Case {
    const char* Name;
    TRssTxtPageProperty Candidate;
    std::optional<std::size_t> EditIndex;
    bool Ok;
    std::string Message;
    TCategoryField Field;
    std::size_t Repeat;
  };
  const std::string empty = "Category not filled in.";
  const std::string nameTaken = "Category already exist.";
  const std::string range = "Pagenumber must be from 100 .. 897.";
  const std::string numberTaken = "Pagenumber already exist.";
  const std::vector<Case> cases = {
      {"new entry", Entry("Traffic", 500), std::nullopt, true, "", TCategoryField::None, 0},
      {"lowest first number", Entry("Traffic", 100), std::nullopt, true, "", TCategoryField::None,
       0},
      {"highest first number", Entry("Traffic", 897), std::nullopt, true, "", TCategoryField::None,
       0},
      {"empty name", Entry("", 500), std::nullopt, false, empty, TCategoryField::Category, 1},
      {"blank name", Entry(" \t", 500), std::nullopt, false, empty, TCategoryField::Category, 1},
      {"empty name before a bad number", Entry("", 5), std::nullopt, false, empty,
       TCategoryField::Category, 1},
      {"name taken in other case, once per clashing entry", Entry("SPORT", 500), std::nullopt,
       false, nameTaken, TCategoryField::Category, 2},
      {"name taken before a bad number", Entry("news", 5), std::nullopt, false, nameTaken,
       TCategoryField::Category, 1},
      {"accented letters in other case are other names", Entry("\xC9t\xE9", 500), std::nullopt,
       true, "", TCategoryField::None, 0},
      {"editing keeps its own name, in other case, and number", Entry("music", 600), 4, true, "",
       TCategoryField::None, 0},
      {"editing still clashes with the other Sport", Entry("Sport", 200), 2, false, nameTaken,
       TCategoryField::Category, 1},
      {"editing into another entry's name", Entry("Weather", 200), 0, false, nameTaken,
       TCategoryField::Category, 1},
      {"first number 99", Entry("Traffic", 99), std::nullopt, false, range,
       TCategoryField::FirstNumber, 1},
      {"first number 898", Entry("Traffic", 898), std::nullopt, false, range,
       TCategoryField::FirstNumber, 1},
      {"first number 0 from a text that was no number", Entry("Traffic", 0), std::nullopt, false,
       range, TCategoryField::FirstNumber, 1},
      {"first number taken, once per clashing entry", Entry("Traffic", 300), std::nullopt, false,
       numberTaken, TCategoryField::FirstNumber, 2},
      {"editing onto another entry's number", Entry("News", 200), 1, false, numberTaken,
       TCategoryField::FirstNumber, 1},
      {"editing keeps a number another entry shares", Entry("News", 300), 1, false, numberTaken,
       TCategoryField::FirstNumber, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TCategoryCheck check = ValidateCategory(c.Candidate, table, c.EditIndex);
    EXPECT_EQ(check.Ok, c.Ok);
    EXPECT_EQ(check.Message, c.Message);
    EXPECT_EQ(check.Field, c.Field);
    EXPECT_EQ(check.Repeat, c.Repeat);
  }

  // The index number is not checked, even when another category uses it as its first number.
  TRssTxtPageProperty indexClash = Entry("Traffic", 700);
  indexClash.IndexNumber = 200;
  EXPECT_TRUE(ValidateCategory(indexClash, table, std::nullopt).Ok);
  EXPECT_TRUE(ValidateCategory(Entry("Sport", 100), {}, std::nullopt).Ok);
}

TEST(ApplyCategoryTexts, ReadsTheEditsAsTheDialogDoes) {
  struct Case {
    const char* Name;
    TCategoryTexts Texts;
    std::string Category;
    std::int32_t IndexNumber;
    std::int32_t FirstNumber;
    std::array<std::int32_t, 4> Links;
  };
  const std::vector<Case> cases = {
      {"numbers",
       {"Sport", "199", "200", {"100", "210", "898", "0"}},
       "Sport",
       199,
       200,
       {100, 210, 898, 0}},
      {"name and numbers trimmed",
       {"  Sport \t", " 199 ", "\t200", {" 150 ", "1", "2", "3"}},
       "Sport",
       199,
       200,
       {150, 1, 2, 3}},
      {"inner blanks of the name stay",
       {"Sport en spel", "1", "2", {"3", "4", "5", "6"}},
       "Sport en spel",
       1,
       2,
       {3, 4, 5, 6}},
      {"not numbers: pages 0, links 100",
       {"Sport", "abc", "", {"abc", "", "12x", "$1F"}},
       "Sport",
       0,
       0,
       {100, 100, 100, 100}},
      {"signs",
       {"Sport", "-5", "+300", {"-1", "+2", "- 3", "0x10"}},
       "Sport",
       -5,
       300,
       {-1, 2, 100, 100}},
      {"too large for 32 bits",
       {"Sport", "4294967296", "2147483647", {"99999999999", "1", "1", "1"}},
       "Sport",
       0,
       2147483647,
       {100, 1, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRssTxtPageProperty entry;
    entry.FastextPrompt2 = "Weer";
    entry.IndexNumberColor = 5;
    ApplyCategoryTexts(c.Texts, entry);
    EXPECT_EQ(entry.Category, c.Category);
    EXPECT_EQ(entry.IndexNumber, c.IndexNumber);
    EXPECT_EQ(entry.FirstNumber, c.FirstNumber);
    EXPECT_EQ((std::array<std::int32_t, 4>{entry.FastextLinkNr1, entry.FastextLinkNr2,
                                           entry.FastextLinkNr3, entry.FastextLinkNr4}),
              c.Links);
    EXPECT_EQ(entry.FastextPrompt2, "Weer") << "fields without a number edit stay";
    EXPECT_EQ(entry.IndexNumberColor, 5);

    // Shown again and read back, the entry does not change.
    TRssTxtPageProperty again = entry;
    ApplyCategoryTexts(CategoryTexts(entry), again);
    EXPECT_EQ(again, entry);
  }
}

// Each prompt goes through the control file writer and is read back as the preview reads it: the
// check refuses exactly the prompts that do not come back as written, and control characters,
// which would come back but go on air as display codes.
TEST(FastextPromptProblem, RefusesThePromptsControlDatDoesNotCarry) {
  struct Case {
    const char* Name;
    std::string Prompt;
    std::string Problem;
    bool ReadBack;  // the preview reads the prompt back as it was written
  };
  const std::vector<Case> cases = {
      {"a word", "Index", "", true},
      {"underscores for spaces", "Top_News", "", true},
      {"accented letters", "\xC9t\xE9", "", true},
      {"a space", "Top News",
       "Prompt 1 \"Top News\" holds a space, which ends a prompt in \"Control.dat\". Write "
       "\"Top_News\": an underscore is shown as a space.",
       false},
      {"a blank only", " ",
       "Prompt 1 \" \" holds a space, which ends a prompt in \"Control.dat\". Write \"_\": an "
       "underscore is shown as a space.",
       false},
      {"empty", "",
       "Prompt 1 is empty; \"Control.dat\" needs a prompt for every fastext key. Write \"_\" for "
       "a key that shows nothing.",
       false},
      {"a quotation mark", "Say\"when",
       "Prompt 1 \"Say\"when\" holds a quotation mark, which ends a prompt in \"Control.dat\".",
       false},
      {"a semicolon", "A;B",
       "Prompt 1 \"A;B\" holds \";\", which ends a prompt when \"Control.dat\" is read back.",
       false},
      {"a tab", "A\tB", "Prompt 1 holds a control character (code 9); a prompt is plain text.",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FastextPromptProblem(c.Prompt, 1), c.Problem);

    TControlFastext fastext;
    fastext.Prompts = {c.Prompt, "News", "Sport", "Money"};
    TControlFileWriter writer(true);
    writer.AddPageEntry(101, 0, fastext, "101-0000.pag", 8, 0);
    const std::string prompts = writer.Lines().at(6).substr(std::string("Prompts=").size());
    const auto values = ParseFastextControl(prompts, "100 200 300 400");
    EXPECT_EQ(values.has_value() && values->Prompts == fastext.Prompts, c.ReadBack) << prompts;
  }
}

TEST(FastextPromptProblems, NameTheCategoryOfEachPromptInTableOrder) {
  TRssTxtPageProperty news = Entry("News", 101);
  news.FastextPrompt3 = "Top News";
  TRssTxtPageProperty sport = Entry("Sport", 201);
  sport.FastextPrompt1 = "";
  sport.FastextPrompt4 = "Scores;";
  const std::vector<std::string> lines =
      FastextPromptProblems({news, Entry("Weather", 301), sport});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Category \"News\": " + FastextPromptProblem("Top News", 3));
  EXPECT_EQ(lines[1], "Category \"Sport\": " + FastextPromptProblem("", 1));
  EXPECT_EQ(lines[2], "Category \"Sport\": " + FastextPromptProblem("Scores;", 4));
  EXPECT_TRUE(FastextPromptProblems({Entry("Weather", 301)}).empty());
}

TEST(IndexNumberProblem, RefusesAnEmptyEditAndOneThatIsNoNumber) {
  struct Case {
    const char* Text;
    std::string Problem;
  };
  const std::vector<Case> cases = {
      {"100", ""},
      {" 250 ", ""},
      {"0", ""},  // a number: the check names pages outside 100..899
      {"", "Index page Number not filled in."},
      {" \t", "Index page Number not filled in."},
      {"abc", "Index page Number \"abc\" is not a number."},
      {"12x", "Index page Number \"12x\" is not a number."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(IndexNumberProblem(c.Text), c.Problem);
  }
}

}  // namespace
}  // namespace tavrel
