#include "pipeline/category_validation.h"

#include "support/text_utils.h"

namespace tavrel {

namespace {

// The dialog's warnings.
constexpr std::string_view kCategoryEmpty = "Category not filled in.";
constexpr std::string_view kCategoryExists = "Category already exist.";
constexpr std::string_view kFirstNumberRange = "Pagenumber must be from 100 .. 897.";
constexpr std::string_view kFirstNumberExists = "Pagenumber already exist.";

std::int32_t NumberFromText(std::string_view text, std::int32_t fallback) {
  std::int32_t number = fallback;
  return TryParseInt32(TrimBlanks(text), false, number) ? number : fallback;
}

// How many entries other than the edited one match.
template <typename Matches>
std::size_t CountOthers(const TRssTxtPageProperties& table, std::optional<std::size_t> editIndex,
                        Matches matches) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (i != editIndex && matches(table[i])) ++count;
  }
  return count;
}

TCategoryCheck Warning(std::string_view message, TCategoryField field, std::size_t repeat = 1) {
  return {false, std::string(message), field, repeat};
}

}  // namespace

std::int32_t PageNumberFromText(std::string_view text) { return NumberFromText(text, 0); }

std::int32_t FastextLinkFromText(std::string_view text) {
  return NumberFromText(text, kDefaultFastextLink);
}

TCategoryTexts CategoryTexts(const TRssTxtPageProperty& entry) {
  return {entry.Category,
          std::to_string(entry.IndexNumber),
          std::to_string(entry.FirstNumber),
          {std::to_string(entry.FastextLinkNr1), std::to_string(entry.FastextLinkNr2),
           std::to_string(entry.FastextLinkNr3), std::to_string(entry.FastextLinkNr4)}};
}

void ApplyCategoryTexts(const TCategoryTexts& texts, TRssTxtPageProperty& entry) {
  entry.Category = std::string(TrimBlanks(texts.Category));
  entry.IndexNumber = PageNumberFromText(texts.IndexNumber);
  entry.FirstNumber = PageNumberFromText(texts.FirstNumber);
  entry.FastextLinkNr1 = FastextLinkFromText(texts.LinkNumbers[0]);
  entry.FastextLinkNr2 = FastextLinkFromText(texts.LinkNumbers[1]);
  entry.FastextLinkNr3 = FastextLinkFromText(texts.LinkNumbers[2]);
  entry.FastextLinkNr4 = FastextLinkFromText(texts.LinkNumbers[3]);
}

TCategoryCheck ValidateCategory(const TRssTxtPageProperty& entry,
                                const TRssTxtPageProperties& table,
                                std::optional<std::size_t> editIndex) {
  if (TrimBlanks(entry.Category).empty()) {
    return Warning(kCategoryEmpty, TCategoryField::Category);
  }
  const std::size_t sameNames = CountOthers(table, editIndex, [&](const auto& other) {
    return EqualsIgnoreCase(other.Category, entry.Category);
  });
  if (sameNames > 0) return Warning(kCategoryExists, TCategoryField::Category, sameNames);
  if (entry.FirstNumber < kFirstPageNumberMin || entry.FirstNumber > kFirstPageNumberMax) {
    return Warning(kFirstNumberRange, TCategoryField::FirstNumber);
  }
  const std::size_t sameFirstNumbers = CountOthers(
      table, editIndex, [&](const auto& other) { return other.FirstNumber == entry.FirstNumber; });
  if (sameFirstNumbers > 0) {
    return Warning(kFirstNumberExists, TCategoryField::FirstNumber, sameFirstNumbers);
  }
  return {};
}

}  // namespace tavrel
