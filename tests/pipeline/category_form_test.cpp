// What the Category properties dialog and the Categories grid show, and what their OK makes.

#include "pipeline/category_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pipeline/category_list.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

TEST(CategoryForm, NewAndEditFormsAndWhatOkMakesOfThem) {
  TRssTxtPageProperty sport;
  sport.Category = "Sport";
  sport.IndexNumber = 200;
  sport.FirstNumber = 201;
  sport.ShowTitle = true;
  sport.TitleUpperCase = false;
  sport.EmptyRowAfterTitle = true;
  sport.IndexNumberColor = 8;
  sport.IndexTemplateFileName = "Templates/sport_index.tpg";
  sport.MessageTemplateFileName = "Templates/sport_message.tpg";
  sport.FastextPrompt2 = "Sport";
  sport.FastextLinkNr2 = 200;
  sport.PreserveMessageCharset = true;

  const TCategoryForm fresh = NewCategoryForm();
  EXPECT_EQ(fresh.Caption, "New Category");
  EXPECT_EQ(fresh.Texts.Category, "");
  EXPECT_EQ(fresh.Texts.IndexNumber, "");
  EXPECT_EQ(fresh.Texts.FirstNumber, "");
  EXPECT_EQ(fresh.Texts.LinkNumbers, (std::array<std::string, 4>{"100", "898", "898", "898"}));
  EXPECT_EQ(fresh.Prompts, (std::array<std::string, 4>{"Index", "Test", "Test", "Test"}));
  EXPECT_EQ(kIndexNumberColorItems[fresh.ColorItem], "Yellow");
  EXPECT_FALSE(fresh.ShowTitle || fresh.TitleUpperCase || fresh.EmptyRowAfterTitle ||
               fresh.PreserveIndexCharset || fresh.PreserveMessageCharset);
  EXPECT_EQ(fresh.TemplateInitialDir, "");
  EXPECT_EQ(fresh.TemplateFilter, "");

  const TCategoryForm edit = EditCategoryForm(sport, "/home/Templates/");
  EXPECT_EQ(edit.Caption, "Edit Category");
  EXPECT_EQ(edit.Texts.FirstNumber, "201");
  EXPECT_EQ(kIndexNumberColorItems[edit.ColorItem], "Black");
  EXPECT_EQ(edit.TemplateInitialDir, "/home/Templates/");
  EXPECT_EQ(edit.TemplateFilter, "Templates (tpg)|*.tpg");
  // Confirming an unchanged edit gives back the very entry.
  EXPECT_EQ(CategoryFromForm(edit, sport), sport);

  struct Case {
    const char* Name;
    int StoredColor;
    int ColorItem;
    int ExpectedColor;
  };
  const std::vector<Case> colours = {
      {"red is item 0", 3, 0, 1},
      {"black is item 7", 3, 7, 8},
      {"a colour the group cannot show stays when no item is picked", 12, -1, 12},
  };
  for (const Case& row : colours) {
    SCOPED_TRACE(row.Name);
    sport.IndexNumberColor = row.StoredColor;
    TCategoryForm form = EditCategoryForm(sport, "");
    EXPECT_EQ(form.ColorItem, row.StoredColor <= 8 ? row.StoredColor - 1 : -1);
    form.ColorItem = row.ColorItem;
    EXPECT_EQ(CategoryFromForm(form, sport).IndexNumberColor, row.ExpectedColor);
  }

  TCategoryForm typed = NewCategoryForm();
  typed.Texts = {"  Music ", "x", "450", {"abc", "", "899", " 120 "}};
  const TRssTxtPageProperty made = CategoryFromForm(typed, TRssTxtPageProperty{});
  EXPECT_EQ(made.Category, "Music");
  EXPECT_EQ(made.IndexNumber, 0);
  EXPECT_EQ(made.FirstNumber, 450);
  EXPECT_EQ(made.FastextLinkNr1, 100);
  EXPECT_EQ(made.FastextLinkNr2, 100);
  EXPECT_EQ(made.FastextLinkNr3, 899);
  EXPECT_EQ(made.FastextLinkNr4, 120);
  EXPECT_EQ(made.IndexNumberColor, 3);
  EXPECT_FALSE(made.ShowTitle);
}

// The checks of the dialog's OK in order: the entry's own (name, first number) first, then the
// index page number as typed, then the prompts while fastext is in use.
TEST(ValidateCategoryForm, RefusesAnEmptyIndexNumberAndPromptsAfterTheEntrysOwnChecks) {
  TRssTxtPageProperty sport;
  sport.Category = "Sport";
  sport.FirstNumber = 201;
  const TRssTxtPageProperties table = {sport};
  struct Case {
    const char* Name;
    std::string IndexNumber;
    std::string FirstNumber;
    std::string Prompt2;
    bool UseFastext;
    std::string Message;
    TCategoryField Field;
  };
  const std::vector<Case> cases = {
      {"all filled in", "300", "301", "Top_News", true, "", TCategoryField::None},
      {"empty index number", "", "301", "Test", true, "Index page Number not filled in.",
       TCategoryField::IndexNumber},
      {"index number abc", "abc", "301", "Test", true, "Index page Number \"abc\" is not a number.",
       TCategoryField::IndexNumber},
      {"the first number is checked before the index number", "", "99", "Test", true,
       "Pagenumber must be from 100 .. 897.", TCategoryField::FirstNumber},
      {"a prompt with a space", "300", "301", "Top News", true, FastextPromptProblem("Top News", 2),
       TCategoryField::FastextPrompt2},
      {"the index number is checked before the prompts", "", "301", "Top News", true,
       "Index page Number not filled in.", TCategoryField::IndexNumber},
      {"prompts are not written without fastext", "300", "301", "Top News", false, "",
       TCategoryField::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TCategoryForm form = NewCategoryForm();
    form.Texts.Category = "Music";
    form.Texts.IndexNumber = c.IndexNumber;
    form.Texts.FirstNumber = c.FirstNumber;
    form.Prompts[1] = c.Prompt2;
    const TCategoryCheck check = ValidateCategoryForm(form, table, std::nullopt, c.UseFastext);
    EXPECT_EQ(check.Ok, c.Message.empty());
    EXPECT_EQ(check.Message, c.Message);
    EXPECT_EQ(check.Field, c.Field);
  }
}

TEST(CategoryList, GridRowsShowMaxPagesAndAnEmptyTableAsOneEmptyRow) {
  TempFolder home;
  WriteBytes(home / "plain.tpg", "[PAGE]\r\ncharset=8\r\n");
  WriteBytes(home / "short.tpg", "[PAGE]\r\nblocktext1=01050907\r\n");
  // Larger than a template file may be: its block cannot be read.
  WriteBytes(home / "huge.tpg", std::string(5 * 1024 * 1024, 'x'));
  struct Case {
    const char* Template;
    std::string MaxPages;
    bool Problem;
  };
  const std::vector<Case> cases = {
      {"plain.tpg", "17", false},
      {"short.tpg", "3", false},
      {"missing.tpg", "0", false},
      {"huge.tpg", "?", true},
  };
  TRssTxtPageProperties table;
  for (const Case& row : cases) {
    TRssTxtPageProperty entry;
    entry.Category = row.Template;
    entry.IndexNumber = 100 + static_cast<int>(table.size());
    entry.FirstNumber = 700;
    entry.IndexTemplateFileName = row.Template;
    table.push_back(entry);
  }
  const std::vector<TCategoryGridRow> rows = CategoryGridRows(table, home.Path());
  ASSERT_EQ(rows.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].Template);
    EXPECT_EQ(rows[i].Cells[0], cases[i].Template);
    EXPECT_EQ(rows[i].Cells[1], std::to_string(100 + i));
    EXPECT_EQ(rows[i].Cells[2], "700");
    EXPECT_EQ(rows[i].Cells[3], cases[i].MaxPages);
    EXPECT_EQ(rows[i].Problem.empty(), !cases[i].Problem);
    if (cases[i].Problem) {
      EXPECT_NE(rows[i].Problem.find("huge.tpg"), std::string::npos) << rows[i].Problem;
    }
  }
  EXPECT_TRUE(CategoryRowsEditable(table));
  EXPECT_EQ(CategoryAtRow(table, 3), std::optional<std::size_t>(3));
  EXPECT_EQ(CategoryAtRow(table, 4), std::nullopt);
  EXPECT_EQ(CategoryAtRow(table, -1), std::nullopt);

  const std::vector<TCategoryGridRow> empty = CategoryGridRows({}, home.Path());
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_EQ(empty[0].Cells, (std::array<std::string, 4>{}));
  EXPECT_FALSE(CategoryRowsEditable({}));
  EXPECT_EQ(CategoryAtRow({}, 0), std::nullopt);

  EXPECT_EQ(DeleteCategoryQuestion("Sport"), "Delete category \"Sport\" ?");
  EXPECT_EQ(RowAfterDelete(2), std::optional<int>(0));
  EXPECT_EQ(RowAfterDelete(0), std::nullopt);
}

}  // namespace
}  // namespace tavrel
