#include "pipeline/page_generator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "page/broadcast_encoder.h"
#include "page/national_charset.h"
#include "pipeline/page_generator_detail.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/text_utils.h"
#include "support/windows1252.h"

namespace tavrel {

using namespace generator_detail;

namespace {

// The character set codes a page header can carry: the national option bits 1..3.
constexpr int kHighestCharSet = 15;

bool IsExistingFile(const std::string& fileName) {
  if (fileName.empty()) return false;
  std::error_code error;
  return std::filesystem::is_regular_file(fileName, error);
}

// A category whose template is missing is left out of a run; a template path that names a
// folder or something else that is not a file is a broken setup instead. Left out, the
// category's pages would go off the air while the run reports success, and the feed, then
// taken as handled, would not bring them back once the template is mended.
void RequireTemplateFileOrNothing(const std::string& fileName) {
  if (fileName.empty()) return;
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(fileName, error);
  if (status.type() == fs::file_type::not_found || fs::is_regular_file(status)) return;
  if (status.type() == fs::file_type::none) {
    throw FileError(fileName, "template cannot be examined: " + error.message());
  }
  throw FileError(fileName, fs::is_directory(status) ? "is a folder, not a template file"
                                                     : "is not a template file");
}

// Category names compare ignoring ASCII letter case; this is the key they are grouped under.
std::string CategoryKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = ToLowerAscii(c);
  return key;
}

std::string NotDefinedRest(long long categories) {
  return "... and " + CountOf(categories, "more category", "more categories") + " not defined.";
}

// Control characters other than tab and line breaks, which XML forbids but a feed may carry raw,
// would go on air as colour, flash and conceal codes: each becomes a space.
void BlankControlCharacters(std::string& text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') c = ' ';
  }
}

}  // namespace

std::string UpperCaseTitle(std::string_view title) {
  std::string upper(title);
  for (char& c : upper) {
    const auto byte = static_cast<unsigned char>(c);
    unsigned char capital = byte;
    if (byte >= 'a' && byte <= 'z') {
      capital = static_cast<unsigned char>(byte - 0x20);
    } else if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) {
      capital = static_cast<unsigned char>(byte - 0x20);  // à..þ to À..Þ, ÷ is no letter
    } else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) {
      capital = static_cast<unsigned char>(byte - 0x10);  // š œ ž to Š Œ Ž
    } else if (byte == 0xFF) {
      capital = 0x9F;  // ÿ to Ÿ
    }
    c = static_cast<char>(capital);
  }
  return upper;
}

std::vector<std::string> TGenerationSummary::Lines(const std::string& exportDir) const {
  std::vector<std::string> lines;
  lines.push_back("Categories: " + std::to_string(CategoriesInFeed) + " in the feed, " +
                  std::to_string(CategoriesGenerated) + " generated");
  std::string pages = "Pages: " + CountOf(IndexPages, "index page", "index pages") + ", " +
                      CountOf(MessagePages, "message page", "message pages");
  if (SplitMessages > 0) {
    pages += ", " + std::to_string(SplitMessages) + " of them split into " +
             CountOf(SubPages, "sub-page", "sub-pages");
  }
  lines.push_back(pages);
  lines.push_back("Files: " + CountOf(PageFiles, "page file", "page files") + " and " +
                  kControlFileName + " in " + PathAsWindows1252Text(exportDir));
  if (Skipped.empty()) {
    lines.push_back("Skipped: nothing");
  } else {
    lines.push_back("Skipped:");
    for (const std::string& line : Skipped) lines.push_back("  " + line);
  }
  return lines;
}

std::vector<std::string> PageNumberProblems(const TRssTxtPageProperty& entry, int messageCount) {
  std::vector<std::string> lines;
  const std::string category = "Category " + Quoted(Shown(entry.Category)) + ": ";
  if (!IsBroadcastPageNumber(entry.IndexNumber)) {
    lines.push_back(category + "index page " + std::to_string(entry.IndexNumber) +
                    " is outside 100..899 and is not generated.");
  }
  if (messageCount <= 0) return lines;
  // 64-bit: the numbers come from the settings file unchecked and may lie near the int limits.
  const long long first = entry.FirstNumber;
  const long long last = first + messageCount - 1;
  auto range = [&](long long from, long long to) {
    if (from > to) return;
    if (from == to) {
      lines.push_back(category + "message page " + std::to_string(from) +
                      " is outside 100..899 and is not generated.");
    } else {
      lines.push_back(category + "message pages " + std::to_string(from) + " to " +
                      std::to_string(to) + " are outside 100..899 and are not generated.");
    }
  };
  range(first, std::min<long long>(last, kFirstBroadcastPage - 1));
  range(std::max<long long>(first, kLastBroadcastPage + 1), last);
  return lines;
}

TRICreateRssTxtPages::TRICreateRssTxtPages(std::string exportDir, TRSSMessages messages,
                                           TRssTxtPageProperties categories,
                                           TPTextToPrestelPageForm* formatter)
    : ExportDir(std::move(exportDir)),
      Categories(std::move(categories)),
      Messages(std::move(messages)),
      formatter_(formatter) {
  if (formatter_ == nullptr) formatter_ = &ownFormatter_.emplace();
}

void TRICreateRssTxtPages::BuildCategoryNames() {
  CategoryNames.clear();
  groups_.clear();
  usable_.clear();
  // Hashed on the lower-case name: a feed of many distinct categories takes time in
  // proportion to its size, not to its square.
  std::unordered_map<std::string, std::size_t> groupOf;
  for (std::size_t i = 0; i < Messages.size(); ++i) {
    const auto [found, added] =
        groupOf.try_emplace(CategoryKey(Messages[i].Category), groups_.size());
    if (added) {
      CategoryNames.push_back(Messages[i].Category);
      groups_.emplace_back();
    }
    groups_[found->second].push_back(i);
  }
  // A table edited by hand may hold a name twice; the first entry with both templates is the
  // one that can make pages (opening a missing template would create an empty one).
  usable_.assign(CategoryNames.size(), nullptr);
  for (const TRssTxtPageProperty& entry : Categories) {
    const auto found = groupOf.find(CategoryKey(entry.Category));
    if (found == groupOf.end() || usable_[found->second] != nullptr) continue;
    if (IsExistingFile(entry.IndexTemplateFileName) &&
        IsExistingFile(entry.MessageTemplateFileName)) {
      usable_[found->second] = &entry;
    }
  }
}

bool TRICreateRssTxtPages::CheckCategories(std::vector<std::string>& errors) {
  errors.clear();
  BuildCategoryNames();
  std::unordered_map<std::string, const TRssTxtPageProperty*> firstOf;
  for (const TRssTxtPageProperty& entry : Categories) {
    firstOf.try_emplace(CategoryKey(entry.Category), &entry);
  }
  long long notDefined = 0;
  for (const std::string& name : CategoryNames) {
    const std::string category = "Category " + Quoted(Shown(name)) + " ";
    const auto found = firstOf.find(CategoryKey(name));
    if (found == firstOf.end()) {
      if (++notDefined <= kMaxNamedCategories) errors.push_back(category + "not defined.");
      continue;
    }
    const TRssTxtPageProperty* entry = found->second;
    if (!IsExistingFile(entry->IndexTemplateFileName)) {
      errors.push_back(category + "has no index template.");
    }
    if (!IsExistingFile(entry->MessageTemplateFileName)) {
      errors.push_back(category + "has no message template.");
    }
  }
  if (notDefined > kMaxNamedCategories)
    errors.push_back(NotDefinedRest(notDefined - kMaxNamedCategories));
  return errors.empty();
}

bool TRICreateRssTxtPages::CheckPageNumbers(std::vector<std::string>& lines) {
  const std::size_t before = lines.size();
  BuildCategoryNames();
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (usable_[g] == nullptr) continue;
    for (std::string& line : PageNumberProblems(*usable_[g], static_cast<int>(groups_[g].size()))) {
      lines.push_back(std::move(line));
    }
  }
  PlanPages(lines);
  return lines.size() == before;
}

bool TRICreateRssTxtPages::CheckTemplates(std::vector<std::string>& lines) const {
  const std::size_t before = lines.size();
  std::unordered_set<std::string> seen;
  for (const TRssTxtPageProperty& entry : Categories) {
    for (const std::string* path : {&entry.IndexTemplateFileName, &entry.MessageTemplateFileName}) {
      if (!seen.insert(*path).second) continue;
      const std::string problem = TemplateProblem(*path);
      if (!problem.empty()) lines.push_back(PathAsWindows1252Text(*path) + ": " + problem);
    }
  }
  return lines.size() == before;
}

void TRICreateRssTxtPages::PlanPages(std::vector<std::string>& clashes) {
  indexOnAir_.assign(groups_.size(), false);
  messageOnAir_.assign(Messages.size(), false);
  // A page number belongs to its first claim; what a second page of that number shows would
  // overwrite the first on air. The value says what holds the page.
  std::unordered_map<int, std::string> owners;
  auto claim = [&](long long number, const std::string& category, std::string owner,
                   const std::string& lost) {
    if (!IsBroadcastPageNumber(number)) return false;  // PageNumberProblems names these
    const auto [found, added] = owners.try_emplace(static_cast<int>(number), std::move(owner));
    if (!added) {
      clashes.push_back("Page " + std::to_string(number) + " of " + Quoted(Shown(category)) +
                        " is taken by " + found->second + "; " + lost + " is not generated.");
    }
    return added;
  };
  // Index pages first: they are each category's way in, and a category's later stories are
  // what gives way.
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (usable_[g] == nullptr) continue;
    const std::string& name = CategoryNames[g];
    indexOnAir_[g] = claim(usable_[g]->IndexNumber, name, "the index of " + Quoted(Shown(name)),
                           "its index page");
  }
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (usable_[g] == nullptr) continue;
    const std::string& name = CategoryNames[g];
    long long number = usable_[g]->FirstNumber;
    for (const std::size_t i : groups_[g]) {
      const std::string message = "message " + Quoted(Shown(OneLineTitle(Messages[i].Title)));
      messageOnAir_[i] = claim(number, name, message + " of " + Quoted(Shown(name)), message);
      ++number;
    }
  }
}

bool TRICreateRssTxtPages::Run() {
  summary_ = TGenerationSummary{};
  templates_.clear();
  written_.clear();
  control_.emplace(UseFastext);
  // A control file left from an earlier run would name pages that this run may not write.
  const std::string controlPath = ExportDir + kControlFileName;
  if (std::remove(controlPath.c_str()) != 0 && errno != ENOENT) {
    throw FileError(controlPath, std::string("cannot be removed: ") + std::strerror(errno));
  }

  BlankMessageControlCharacters();
  BuildCategoryNames();
  summary_.CategoriesInFeed = static_cast<int>(CategoryNames.size());
  // Every template the run needs is examined before the first page is written: a broken one
  // ends the run with nothing to send rather than with blank pages on air.
  std::unordered_map<std::string, std::size_t> groupOf;
  for (std::size_t g = 0; g < CategoryNames.size(); ++g) {
    groupOf.try_emplace(CategoryKey(CategoryNames[g]), g);
  }
  for (const TRssTxtPageProperty& entry : Categories) {
    if (groupOf.count(CategoryKey(entry.Category)) == 0) continue;
    RequireTemplateFileOrNothing(entry.IndexTemplateFileName);
    RequireTemplateFileOrNothing(entry.MessageTemplateFileName);
  }
  for (const TRssTxtPageProperty* entry : usable_) {
    if (entry == nullptr) continue;
    for (const std::string* path :
         {&entry->IndexTemplateFileName, &entry->MessageTemplateFileName}) {
      const std::string& problem = Template(*path).Problem;
      if (!problem.empty()) throw FileError(*path, problem);
    }
  }

  long long notDefined = 0;
  long long notDefinedMessages = 0;
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (usable_[g] != nullptr) continue;
    const std::string& name = CategoryNames[g];
    const long long count = static_cast<long long>(groups_[g].size());
    const TRssTxtPageProperty* named = FindCategory(Categories, name);
    if (named == nullptr && ++notDefined > kMaxNamedCategories) {
      notDefinedMessages += count;
      continue;
    }
    std::string reason = "not defined.";
    if (named != nullptr) {
      reason = IsExistingFile(named->IndexTemplateFileName) ? "has no message template."
                                                            : "has no index template.";
    }
    Skip("Category " + Quoted(Shown(name)) + " " + reason + " " +
         CountOf(count, "message", "messages") + " skipped.");
  }
  if (notDefined > kMaxNamedCategories) {
    Skip(NotDefinedRest(notDefined - kMaxNamedCategories) + " " +
         CountOf(notDefinedMessages, "message", "messages") + " skipped.");
  }

  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (usable_[g] == nullptr) continue;
    for (std::string& line : PageNumberProblems(*usable_[g], static_cast<int>(groups_[g].size()))) {
      Skip(std::move(line));
    }
  }
  std::vector<std::string> clashes;
  PlanPages(clashes);
  for (std::string& line : clashes) Skip(std::move(line));

  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (usable_[g] == nullptr) continue;
    ++summary_.CategoriesGenerated;
    BuildCategoryPages(g);
  }

  // Pages the last update sent that this one leaves alone would stay on air with old stories.
  std::vector<int> stale;
  const std::unordered_set<int> writtenNow(written_.begin(), written_.end());
  for (const int number : PreviousPages) {
    if (writtenNow.count(number) == 0) stale.push_back(number);
  }
  control_->AddClearEntries(Clearing(), stale);
  control_->Save(ExportDir);
  return true;
}

bool TRICreateRssTxtPages::CheckLayout(std::vector<std::string>& lines) {
  const std::size_t before = lines.size();
  summary_ = TGenerationSummary{};
  templates_.clear();
  BlankMessageControlCharacters();
  BuildCategoryNames();
  std::vector<std::string> clashes;  // CheckPageNumbers reports these
  PlanPages(clashes);
  layOutOnly_ = true;
  try {
    for (std::size_t g = 0; g < groups_.size(); ++g) {
      const TRssTxtPageProperty* entry = usable_[g];
      if (entry == nullptr || !Template(entry->IndexTemplateFileName).Problem.empty() ||
          !Template(entry->MessageTemplateFileName).Problem.empty()) {
        continue;
      }
      BuildCategoryPages(g);
    }
  } catch (...) {
    layOutOnly_ = false;
    throw;
  }
  layOutOnly_ = false;
  lines.insert(lines.end(), summary_.LayoutLines.begin(), summary_.LayoutLines.end());
  summary_ = TGenerationSummary{};
  return lines.size() == before;
}

void TRICreateRssTxtPages::BlankMessageControlCharacters() {
  for (TRSSMessage& message : Messages) {
    BlankControlCharacters(message.Title);
    BlankControlCharacters(message.Text);
  }
}

void TRICreateRssTxtPages::BuildCategoryPages(std::size_t group) {
  entry_ = usable_[group];
  if (entry_ == nullptr) return;
  TRSSIndexPageContent content;
  content.Category = CategoryNames[group];
  std::vector<bool> listed;
  for (const std::size_t i : groups_[group]) {
    content.Titles.push_back(Messages[i].Title);
    listed.push_back(messageOnAir_[i]);
  }
  if (indexOnAir_[group]) BuildIndexPage(content, listed);
  BuildMessagePages(group);
  entry_ = nullptr;
}

const TExaminedTemplate& TRICreateRssTxtPages::Template(const std::string& fileName) {
  auto found = templates_.find(fileName);
  if (found == templates_.end()) {
    found = templates_.emplace(fileName, ExamineTemplate(fileName)).first;
  }
  return found->second;
}

std::vector<TControlClearing> TRICreateRssTxtPages::Clearing() {
  std::vector<TControlClearing> clearing;
  clearing.reserve(Categories.size());
  for (const TRssTxtPageProperty& entry : Categories) {
    const TExaminedTemplate& index = Template(entry.IndexTemplateFileName);
    // A template that is there but could not be read answers as it always has: MaxPages reads
    // it again and names the file in its error.
    const int maxPages = index.Read ? MaxPages(index.Block) : MaxPages(entry);
    clearing.push_back(
        TControlClearing{index.IsFile, entry.IndexNumber, entry.FirstNumber, maxPages});
  }
  return clearing;
}

void TRICreateRssTxtPages::LoadTemplate(const std::string& fileName) {
  const TExaminedTemplate& examined = Template(fileName);
  // Opening a missing template would write a new, empty one.
  if (!examined.IsFile) throw FileError(fileName, "template not found");
  if (!examined.Problem.empty()) throw FileError(fileName, examined.Problem);
  TemplateCells = examined.Cells;
  TextBlock = examined.Block;
  try {
    formatter_->SetTextArea(TextBlock.Left, TextBlock.Top, TextBlock.Right, TextBlock.Bottom);
  } catch (const Error& error) {
    throw FileError(fileName, error.what());
  }
  Charset = examined.CharSet;
  if (Charset < 0 || Charset > kHighestCharSet) {
    Skip(PathAsWindows1252Text(fileName) +
         ": character set is not a number from 0 to 15; 8 is used.");
    Charset = kDefaultCharSet;
  }
  // Kept for the skip messages, which are the program's Windows-1252 text.
  templateFileName_ = PathAsWindows1252Text(fileName);
}

}  // namespace tavrel
