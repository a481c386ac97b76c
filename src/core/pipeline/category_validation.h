#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/category_table.h"

namespace tavrel {

// The edits of the Category properties dialog that a failed check points at.
enum class TCategoryField {
  None,
  Category,
  FirstNumber,
  IndexNumber,
  FastextPrompt1,
  FastextPrompt2,
  FastextPrompt3,
  FastextPrompt4,
};

// What the check of an entry decided: Ok, or the warning the dialog shows (in a box with one OK
// button) and the edit it concerns. The duplicate checks warn once for every clashing entry, so
// Repeat says how many boxes the dialog shows in a row (1 for the other failures).
struct TCategoryCheck {
  bool Ok = true;
  std::string Message;
  TCategoryField Field = TCategoryField::None;
  std::size_t Repeat = 0;
};

// The first page of a category's messages must lie in this range: 898 and 899 stay free.
inline constexpr std::int32_t kFirstPageNumberMin = 100;
inline constexpr std::int32_t kFirstPageNumberMax = 897;

// A fastext link that is not a number links to the magazine's start page instead.
inline constexpr std::int32_t kDefaultFastextLink = 100;

// The texts of the dialog's edits that become an entry's name and numbers, as typed.
struct TCategoryTexts {
  std::string Category;
  std::string IndexNumber;
  std::string FirstNumber;
  std::array<std::string, 4> LinkNumbers;
};

// An index or first page number as the dialog reads it: the text trimmed of blanks, as a decimal
// integer; 0 when it is not one (the range check then rejects a first number).
std::int32_t PageNumberFromText(std::string_view text);

// A fastext link number as the dialog reads it: as PageNumberFromText, but 100 when not a number.
std::int32_t FastextLinkFromText(std::string_view text);

// The dialog's edits filled from an entry: the name as stored, the numbers in decimal.
TCategoryTexts CategoryTexts(const TRssTxtPageProperty& entry);

// Copies the texts into the entry as the dialog does on OK: the name trimmed of blanks at both
// ends, the numbers read as above. The entry's other fields stay.
void ApplyCategoryTexts(const TCategoryTexts& texts, TRssTxtPageProperty& entry);

// Checks an entry before it enters the table, stopping at the first failure: a name is given;
// no other entry bears the name, ignoring ASCII letter case as the lookup of a feed's category
// does; the first number lies in 100..897; no other entry starts on that number. "Other" is
// every entry of table for a new entry (editIndex empty), else every entry but the one at
// editIndex. The index number and the links are not checked.
TCategoryCheck ValidateCategory(const TRssTxtPageProperty& entry,
                                const TRssTxtPageProperties& table,
                                std::optional<std::size_t> editIndex);

// Why the index page number as typed cannot be stored, or empty when it can: an empty edit or
// one that is not a number would be stored as 0, a page that no receiver shows.
std::string IndexNumberProblem(std::string_view text);

// Why a fastext prompt cannot go into "Control.dat" as it is, or empty when it can. A page
// entry carries the four prompts quoted and separated by spaces, and the preview takes a space,
// a ";" or a quotation mark inside a prompt for the end of it, so such a prompt breaks the
// fastext row; an empty prompt leaves three where four are needed. Underscores stand for
// spaces: "Top_News" is shown as "Top News". key (1..4) is named in the text.
std::string FastextPromptProblem(std::string_view prompt, int key);

// One line per prompt of the table that FastextPromptProblem refuses, in table order:
// "Category "<name>": <problem>". Entries loaded from a settings file were never checked.
std::vector<std::string> FastextPromptProblems(const TRssTxtPageProperties& table);

}  // namespace tavrel
