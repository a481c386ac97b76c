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

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
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

std::string IndexNumberProblem(std::string_view text) {
  const std::string_view number = TrimBlanks(text);
  if (number.empty()) return "Index page Number not filled in.";
  std::int32_t value = 0;
  if (!TryParseInt32(number, false, value)) {
    return "Index page Number " + Quoted(number) + " is not a number.";
  }
  return {};
}

std::string FastextPromptProblem(std::string_view prompt, int key) {
  const std::string name = "Prompt " + std::to_string(key);
  if (prompt.empty()) {
    return name +
           " is empty; \"Control.dat\" needs a prompt for every fastext key. Write \"_\" "
           "for a key that shows nothing.";
  }
  for (const char c : prompt) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return name + " holds a control character (code " +
             std::to_string(static_cast<unsigned char>(c)) + "); a prompt is plain text.";
    }
  }
  if (prompt.find(' ') != std::string_view::npos) {
    std::string underscored(prompt);
    for (char& c : underscored) {
      if (c == ' ') c = '_';
    }
    return name + " " + Quoted(prompt) +
           " holds a space, which ends a prompt in \"Control.dat\". Write " + Quoted(underscored) +
           ": an underscore is shown as a space.";
  }
  if (prompt.find('"') != std::string_view::npos) {
    return name + " " + Quoted(prompt) +
           " holds a quotation mark, which ends a prompt in \"Control.dat\".";
  }
  if (prompt.find(';') != std::string_view::npos) {
    return name + " " + Quoted(prompt) +
           " holds \";\", which ends a prompt when \"Control.dat\" is read back.";
  }
  return {};
}

std::vector<std::string> FastextPromptProblems(const TRssTxtPageProperties& table) {
  std::vector<std::string> lines;
  for (const TRssTxtPageProperty& entry : table) {
    const std::array<const std::string*, 4> prompts = {
        &entry.FastextPrompt1, &entry.FastextPrompt2, &entry.FastextPrompt3, &entry.FastextPrompt4};
    for (std::size_t i = 0; i < prompts.size(); ++i) {
      const std::string problem = FastextPromptProblem(*prompts[i], static_cast<int>(i) + 1);
      if (!problem.empty()) lines.push_back("Category " + Quoted(entry.Category) + ": " + problem);
    }
  }
  return lines;
}

}  // namespace tavrel
