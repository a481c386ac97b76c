#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pipeline/category_table.h"
#include "pipeline/category_validation.h"

namespace tavrel {

// The items of the Category properties dialog's "Number color" group, in order: item i stands
// for IndexNumberColor i + 1 (8, black, gives the control byte 0).
inline constexpr std::array<std::string_view, 8> kIndexNumberColorItems = {
    "Red", "Green", "Yellow", "Blue", "Magenta", "Cyan", "White", "Black"};

// The template selectors' filter when an entry is edited ("description|mask").
inline constexpr std::string_view kTemplateFileFilter = "Templates (tpg)|*.tpg";

// What the Category properties dialog shows: its caption, every control's content, and where its
// two template selectors open. A new entry starts from fixed prompts and links with everything
// else empty or unticked; an edited one shows the entry as it is.
struct TCategoryForm {
  std::string Caption;
  // The name and the numbers as the edits show them (a new entry's index and first number
  // edits are empty, not "0").
  TCategoryTexts Texts;
  std::array<std::string, 4> Prompts;
  std::string IndexTemplateFileName;
  std::string MessageTemplateFileName;
  // The checked item of "Number color", -1 for none (a colour outside 1..8 read from the file).
  int ColorItem = -1;
  bool PreserveIndexCharset = false;
  bool ShowTitle = false;
  bool TitleUpperCase = false;
  bool EmptyRowAfterTitle = false;
  bool PreserveMessageCharset = false;
  // Where the template selectors' browse dialogs open and what they list.
  std::string TemplateInitialDir;
  std::string TemplateFilter;
};

// The form of a new entry: caption "New Category", colour "Yellow", prompts "Index", "Test",
// "Test", "Test", links "100", "898", "898", "898"; no folder and no filter for the selectors.
TCategoryForm NewCategoryForm();

// The form of an existing entry: caption "Edit Category", every control from the entry, the
// selectors in templatesDir with kTemplateFileFilter.
TCategoryForm EditCategoryForm(const TRssTxtPageProperty& entry, const std::string& templatesDir);

// The entry the dialog's OK makes of the form: name and numbers as ApplyCategoryTexts reads
// them, prompts and template names as typed, the colour as the checked item + 1. With no item
// checked the entry keeps its colour, so that opening and confirming an entry whose colour the
// dialog cannot show does not change it.
TRssTxtPageProperty CategoryFromForm(const TCategoryForm& form, TRssTxtPageProperty entry);

// The checks of the dialog's OK, stopping at the first failure: ValidateCategory on the entry the
// form makes; then the index page number as typed (IndexNumberProblem); then, while fastext is
// in use (the "Fastext" group is enabled), each prompt (FastextPromptProblem).
TCategoryCheck ValidateCategoryForm(const TCategoryForm& form, const TRssTxtPageProperties& table,
                                    std::optional<std::size_t> editIndex, bool useFastext);

}  // namespace tavrel
