#include "pipeline/category_form.h"

#include <utility>

namespace tavrel {

namespace {

constexpr std::string_view kNewCaption = "New Category";
constexpr std::string_view kEditCaption = "Edit Category";

// "Yellow": a new category's page numbers stand out on the usual blue index background.
constexpr int kNewColorItem = 2;

}  // namespace

TCategoryForm NewCategoryForm() {
  // The record's defaults are the prompts and links a new entry offers.
  const TRssTxtPageProperty defaults;
  TCategoryForm form;
  form.Caption = kNewCaption;
  form.Texts.LinkNumbers = CategoryTexts(defaults).LinkNumbers;
  form.Prompts = {defaults.FastextPrompt1, defaults.FastextPrompt2, defaults.FastextPrompt3,
                  defaults.FastextPrompt4};
  form.ColorItem = kNewColorItem;
  return form;
}

TCategoryForm EditCategoryForm(const TRssTxtPageProperty& entry, const std::string& templatesDir) {
  TCategoryForm form;
  form.Caption = kEditCaption;
  form.Texts = CategoryTexts(entry);
  form.Prompts = {entry.FastextPrompt1, entry.FastextPrompt2, entry.FastextPrompt3,
                  entry.FastextPrompt4};
  form.IndexTemplateFileName = entry.IndexTemplateFileName;
  form.MessageTemplateFileName = entry.MessageTemplateFileName;
  const bool colorShown =
      entry.IndexNumberColor >= 1 &&
      entry.IndexNumberColor <= static_cast<std::int32_t>(kIndexNumberColorItems.size());
  form.ColorItem = colorShown ? entry.IndexNumberColor - 1 : -1;
  form.PreserveIndexCharset = entry.PreserveIndexCharset;
  form.ShowTitle = entry.ShowTitle;
  form.TitleUpperCase = entry.TitleUpperCase;
  form.EmptyRowAfterTitle = entry.EmptyRowAfterTitle;
  form.PreserveMessageCharset = entry.PreserveMessageCharset;
  form.TemplateInitialDir = templatesDir;
  form.TemplateFilter = kTemplateFileFilter;
  return form;
}

TRssTxtPageProperty CategoryFromForm(const TCategoryForm& form, TRssTxtPageProperty entry) {
  ApplyCategoryTexts(form.Texts, entry);
  entry.FastextPrompt1 = form.Prompts[0];
  entry.FastextPrompt2 = form.Prompts[1];
  entry.FastextPrompt3 = form.Prompts[2];
  entry.FastextPrompt4 = form.Prompts[3];
  entry.IndexTemplateFileName = form.IndexTemplateFileName;
  entry.MessageTemplateFileName = form.MessageTemplateFileName;
  if (form.ColorItem >= 0 && form.ColorItem < static_cast<int>(kIndexNumberColorItems.size())) {
    entry.IndexNumberColor = form.ColorItem + 1;
  }
  entry.PreserveIndexCharset = form.PreserveIndexCharset;
  entry.ShowTitle = form.ShowTitle;
  entry.TitleUpperCase = form.TitleUpperCase;
  entry.EmptyRowAfterTitle = form.EmptyRowAfterTitle;
  entry.PreserveMessageCharset = form.PreserveMessageCharset;
  return entry;
}

TCategoryCheck ValidateCategoryForm(const TCategoryForm& form, const TRssTxtPageProperties& table,
                                    std::optional<std::size_t> editIndex, bool useFastext) {
  TCategoryCheck check = ValidateCategory(CategoryFromForm(form, {}), table, editIndex);
  if (!check.Ok) return check;
  if (std::string problem = IndexNumberProblem(form.Texts.IndexNumber); !problem.empty()) {
    return {false, std::move(problem), TCategoryField::IndexNumber, 1};
  }
  if (!useFastext) return {};
  constexpr std::array<TCategoryField, 4> kPromptFields = {
      TCategoryField::FastextPrompt1, TCategoryField::FastextPrompt2,
      TCategoryField::FastextPrompt3, TCategoryField::FastextPrompt4};
  for (std::size_t i = 0; i < form.Prompts.size(); ++i) {
    std::string problem = FastextPromptProblem(form.Prompts[i], static_cast<int>(i) + 1);
    if (!problem.empty()) return {false, std::move(problem), kPromptFields[i], 1};
  }
  return {};
}

}  // namespace tavrel
