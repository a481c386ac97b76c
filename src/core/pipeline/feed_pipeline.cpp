#include "pipeline/feed_pipeline.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "page/broadcast_encoder.h"
#include "pipeline/category_validation.h"
#include "pipeline/control_file_reader.h"
#include "pipeline/feed_reader.h"
#include "pipeline/settings_store.h"
#include "render/text_layout.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

bool IsExistingFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// Whether path names an entry directly inside folder (links and ".." resolved).
bool LiesIn(const std::string& path, const std::string& folder) {
  std::error_code error;
  const auto parent = std::filesystem::weakly_canonical(path, error).parent_path();
  if (error) return false;
  std::string bare = folder;
  while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
  const auto canonicalFolder = std::filesystem::weakly_canonical(bare, error);
  return !error && parent == canonicalFolder;
}

// The lines of a text joined by CR LF, without empty ones.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TPRSS OpenFeed(const TRIGlobals& settings, const std::string& feedPath) {
  TPRSS reader;
  reader.DefaultCategory = DefaultCategory(settings.Categories, settings.XmlSchema);
  reader.Schema = settings.XmlSchema;
  if (!reader.LoadFromFile(feedPath)) throw FileError(feedPath, "feed file not found");
  return reader;
}

}  // namespace

std::vector<std::string> TFeedCheckResult::Lines() const {
  std::vector<std::string> lines = SchemaLines;
  lines.insert(lines.end(), CategoryLines.begin(), CategoryLines.end());
  lines.insert(lines.end(), PageNumberLines.begin(), PageNumberLines.end());
  lines.insert(lines.end(), TemplateLines.begin(), TemplateLines.end());
  lines.insert(lines.end(), PromptLines.begin(), PromptLines.end());
  return lines;
}

TFeedLocation FeedLocationOf(const TRIGlobals& settings) {
  TFeedLocation location;
  location.ImportDir = settings.ImportDir;
  location.HandledDir = settings.HandledDir;
  location.IsXMLWeb = settings.IsXMLWeb;
  location.XmlUrl = settings.XmlUrl;
  location.XMLFilePath = settings.FeedFilePath();
  location.XmlFileName = settings.XmlFileName();
  return location;
}

TUpdateTarget UpdateTargetOf(const TRIGlobals& settings) {
  return TUpdateTarget{settings.ExportDir, settings.Server, settings.TransferDir};
}

std::string ImportedFeedPath(const TRIGlobals& settings) {
  return settings.ImportDir + settings.XmlFileName();
}

std::string FeedPathForCommand(const TRIGlobals& settings) {
  const std::string imported = ImportedFeedPath(settings);
  if (IsExistingFile(imported)) return imported;
  if (settings.IsXMLWeb) {
    throw FileError(imported, "not found: the web feed has not been fetched yet");
  }
  if (settings.XMLFilePath.empty()) {
    throw Error("no feed file is configured (XMLFilePath in " + settings.IniFileName + ")");
  }
  const std::string source = settings.FeedFilePath();
  if (!IsExistingFile(source)) throw FileError(source, "feed file not found");
  return source;
}

TRssTxtPageProperties CategoriesForRun(const TRIGlobals& settings) {
  TRssTxtPageProperties table = settings.Categories;
  for (TRssTxtPageProperty& entry : table) {
    entry.IndexTemplateFileName = settings.ResolvePath(entry.IndexTemplateFileName);
    entry.MessageTemplateFileName = settings.ResolvePath(entry.MessageTemplateFileName);
  }
  return table;
}

TRSSMessages ReadFeedMessages(const TRIGlobals& settings, const std::string& feedPath) {
  TPRSS reader = OpenFeed(settings, feedPath);
  reader.ReadMessages();
  return std::move(reader.Messages);
}

TFeedCheckResult CheckFeed(const TRIGlobals& settings, const std::string& feedPath) {
  TFeedCheckResult result;
  TPRSS reader = OpenFeed(settings, feedPath);
  result.SchemaLines = SplitLines(reader.CheckSchema());
  if (!result.SchemaLines.empty()) return result;
  reader.ReadMessages();
  result.Messages = std::move(reader.Messages);
  TRICreateRssTxtPages generator(settings.ExportDir, result.Messages, CategoriesForRun(settings));
  generator.CheckCategories(result.CategoryLines);
  generator.CheckPageNumbers(result.PageNumberLines);
  generator.CheckTemplates(result.TemplateLines);
  if (settings.UseFastext) result.PromptLines = FastextPromptProblems(settings.Categories);
  return result;
}

std::vector<std::string> LayoutProblems(const TRIGlobals& settings, const TRSSMessages& messages) {
  TPTextToPrestelPageForm formatter;
  formatter.SetFormatCorrection(settings.FormatCorrection);
  TRICreateRssTxtPages generator(settings.ExportDir, messages, CategoriesForRun(settings),
                                 &formatter);
  std::vector<std::string> lines;
  generator.CheckLayout(lines);
  return lines;
}

TFeedCheckResult CheckFeed(const TRIGlobals& settings) {
  return CheckFeed(settings, ImportedFeedPath(settings));
}

TGenerationSummary GenerateFromFeed(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                                    const std::string& feedPath,
                                    TPageWrittenCallback onPageWritten) {
  // Emptying the export folder would delete a feed kept there.
  if (LiesIn(feedPath, settings.ExportDir)) {
    throw FileError(feedPath, "lies in the export folder " + settings.ExportDir +
                                  ", which generating empties; keep the feed elsewhere");
  }
  // A feed that cannot be read leaves the last complete update in place.
  TRSSMessages messages = ReadFeedMessages(settings, feedPath);
  // Stale pages must not travel with the new control file in the next update.
  const int left = DeleteFilesByMask(settings.ExportDir + "*.*");
  if (left > 0) {
    throw FileError(settings.ExportDir, "cannot be emptied: " + std::to_string(left) +
                                            (left == 1 ? " file stays" : " files stay"));
  }
  TRICreateRssTxtPages generator(settings.ExportDir, std::move(messages),
                                 CategoriesForRun(settings), &formatter);
  generator.UseFastext = settings.UseFastext;
  generator.PreviousPages = ReadSentPages(settings);
  generator.OnPageWritten = std::move(onPageWritten);
  generator.Run();
  return generator.Summary();
}

std::vector<int> ReadSentPages(const TRIGlobals& settings) {
  const std::string path = settings.HandledDir + kSentPagesFileName;
  if (!PathExists(path)) return {};
  // 800 page numbers of at most a few characters each; anything larger is not this list.
  constexpr std::size_t kMaxListBytes = 64 * 1024;
  std::vector<int> pages;
  for (const std::string& line : SplitLines(ReadFileBytes(path, kMaxListBytes))) {
    std::int32_t number = 0;
    if (TryParseInt32(TrimBlanks(line), false, number) && IsBroadcastPageNumber(number)) {
      pages.push_back(number);
    }
  }
  return pages;
}

void CommitSentUpdate(const TRIGlobals& settings) {
  const TPTxtControlFile control(settings.ExportDir + kControlFileName);
  std::set<int> pages;
  for (const std::string& section : control.PageSections()) {
    std::int32_t number = 0;
    if (TryParseInt32(std::string_view(section).substr(0, section.find('.')), false, number)) {
      pages.insert(number);
    }
  }
  std::string list;
  for (const int number : pages) list += std::to_string(number) + "\r\n";
  ReplaceFileAtomically(settings.HandledDir + kSentPagesFileName, list, 0644);
  CommitHandledFeed(FeedLocationOf(settings));
}

TGenerationSummary GenerateFromFeed(const TRIGlobals& settings,
                                    TPTextToPrestelPageForm& formatter) {
  return GenerateFromFeed(settings, formatter, ImportedFeedPath(settings));
}

}  // namespace tavrel
