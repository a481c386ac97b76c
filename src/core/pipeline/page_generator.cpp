#include "pipeline/page_generator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "page/broadcast_encoder.h"
#include "page/national_charset.h"
#include "page/template_file.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/text_utils.h"

namespace tavrel {

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

// Built by appending: g++ 12 at -O3 warns falsely about a literal + string + literal chain.
std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

std::string CountOf(long long count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A title as one row of text: a line break inside it would push everything under it down a
// row and break the index line apart, so each run of CR and LF becomes one space.
std::string OneLineTitle(std::string_view title) {
  std::string line;
  line.reserve(title.size());
  for (std::size_t i = 0; i < title.size(); ++i) {
    if (title[i] == '\r' || title[i] == '\n') {
      while (i + 1 < title.size() && (title[i + 1] == '\r' || title[i + 1] == '\n')) ++i;
      line += ' ';
    } else {
      line += title[i];
    }
  }
  return line;
}

std::string PageFileName(int number, int subPage) {
  return std::to_string(number) + "-" + ZeroPadInt(subPage, 4) + ".pag";
}

TControlFastext FastextOf(const TRssTxtPageProperty& entry) {
  TControlFastext fastext;
  fastext.Prompts = {entry.FastextPrompt1, entry.FastextPrompt2, entry.FastextPrompt3,
                     entry.FastextPrompt4};
  fastext.Links = {entry.FastextLinkNr1, entry.FastextLinkNr2, entry.FastextLinkNr3,
                   entry.FastextLinkNr4};
  return fastext;
}

std::vector<TControlClearing> ClearingOf(const TRssTxtPageProperties& table) {
  std::vector<TControlClearing> clearing;
  clearing.reserve(table.size());
  for (const TRssTxtPageProperty& entry : table) {
    clearing.push_back(TControlClearing{IsExistingFile(entry.IndexTemplateFileName),
                                        entry.IndexNumber, entry.FirstNumber, MaxPages(entry)});
  }
  return clearing;
}

// Writes a whole page file with a plain open, write and close: the control file, saved last,
// is what makes a run complete, so a page file needs no atomic replacement of its own.
void WriteWholeFile(const std::string& path, const TBroadcastRecord& bytes) {
  UniqueFile file = OpenFile(path, "wb");
  if (!file) throw FileError(path, std::string("cannot be created: ") + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (!written || !closed) {
    const std::string reason = std::strerror(written ? errno : writeErrno);
    std::remove(path.c_str());
    throw FileError(path, "cannot be written: " + reason);
  }
}

}  // namespace

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
                  kControlFileName + " in " + exportDir);
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
  const std::string category = "Category " + Quoted(entry.Category) + ": ";
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
  for (const TRSSMessage& message : Messages) {
    const bool known = std::any_of(
        CategoryNames.begin(), CategoryNames.end(),
        [&](const std::string& name) { return EqualsIgnoreCase(name, message.Category); });
    if (!known) CategoryNames.push_back(message.Category);
  }
}

const TRssTxtPageProperty* TRICreateRssTxtPages::UsableEntry(std::string_view name) const {
  // A table edited by hand may hold a name twice; the first entry with both templates is the
  // one that can make pages (opening a missing template would create an empty one).
  for (const TRssTxtPageProperty& entry : Categories) {
    if (EqualsIgnoreCase(entry.Category, name) && IsExistingFile(entry.IndexTemplateFileName) &&
        IsExistingFile(entry.MessageTemplateFileName)) {
      return &entry;
    }
  }
  return nullptr;
}

bool TRICreateRssTxtPages::CheckCategories(std::vector<std::string>& errors) {
  errors.clear();
  BuildCategoryNames();
  for (const std::string& name : CategoryNames) {
    const std::string category = "Category " + Quoted(name) + " ";
    const TRssTxtPageProperty* entry = FindCategory(Categories, name);
    if (entry == nullptr) {
      errors.push_back(category + "not defined.");
      continue;
    }
    if (!IsExistingFile(entry->IndexTemplateFileName)) {
      errors.push_back(category + "has no index template.");
    }
    if (!IsExistingFile(entry->MessageTemplateFileName)) {
      errors.push_back(category + "has no message template.");
    }
  }
  return errors.empty();
}

bool TRICreateRssTxtPages::CheckPageNumbers(std::vector<std::string>& lines) {
  const std::size_t before = lines.size();
  BuildCategoryNames();
  for (const std::string& name : CategoryNames) {
    const TRssTxtPageProperty* entry = UsableEntry(name);
    if (entry == nullptr) continue;
    const auto count = std::count_if(Messages.begin(), Messages.end(), [&](const TRSSMessage& m) {
      return EqualsIgnoreCase(m.Category, name);
    });
    for (std::string& line : PageNumberProblems(*entry, static_cast<int>(count))) {
      lines.push_back(std::move(line));
    }
  }
  return lines.size() == before;
}

bool TRICreateRssTxtPages::Run() {
  summary_ = TGenerationSummary{};
  control_.emplace(UseFastext);
  // A control file left from an earlier run would name pages that this run may not write.
  const std::string controlPath = ExportDir + kControlFileName;
  if (std::remove(controlPath.c_str()) != 0 && errno != ENOENT) {
    throw FileError(controlPath, std::string("cannot be removed: ") + std::strerror(errno));
  }

  BuildCategoryNames();
  summary_.CategoriesInFeed = static_cast<int>(CategoryNames.size());
  for (const std::string& name : CategoryNames) {
    TRSSIndexPageContent content;
    content.Category = name;
    for (const TRSSMessage& message : Messages) {
      if (EqualsIgnoreCase(message.Category, name)) content.Titles.push_back(message.Title);
    }
    const long long count = static_cast<long long>(content.Titles.size());
    for (const TRssTxtPageProperty& entry : Categories) {
      if (!EqualsIgnoreCase(entry.Category, name)) continue;
      RequireTemplateFileOrNothing(entry.IndexTemplateFileName);
      RequireTemplateFileOrNothing(entry.MessageTemplateFileName);
    }
    entry_ = UsableEntry(name);
    if (entry_ == nullptr) {
      const TRssTxtPageProperty* named = FindCategory(Categories, name);
      std::string reason = "not defined.";
      if (named != nullptr) {
        reason = IsExistingFile(named->IndexTemplateFileName) ? "has no message template."
                                                              : "has no index template.";
      }
      Skip("Category " + Quoted(name) + " " + reason + " " + CountOf(count, "message", "messages") +
           " skipped.");
      continue;
    }
    ++summary_.CategoriesGenerated;
    for (std::string& line : PageNumberProblems(*entry_, static_cast<int>(count))) {
      Skip(std::move(line));
    }
    BuildIndexPage(content);
    BuildMessagePages(name);
  }
  entry_ = nullptr;

  control_->AddClearEntries(ClearingOf(Categories));
  control_->Save(ExportDir);
  return true;
}

void TRICreateRssTxtPages::LoadTemplate(const std::string& fileName) {
  // Opening a missing template would write a new, empty one.
  if (!IsExistingFile(fileName)) throw FileError(fileName, "template not found");
  TPageFile file(fileName);
  // Without its section the file would load as a blank page with the default text block, and
  // pages of a damaged or foreign file would go on air looking as if they had no template.
  if (file.FindSection(TPageFile::kSection) < 0) {
    throw FileError(fileName,
                    std::string("not a template: it has no [") + TPageFile::kSection + "] section");
  }
  TPrestPage page = TPrestPage::Blank();
  file.ReadRows(page);
  TemplateCells = page.Cells;
  TextBlock = file.GetBlockText();
  try {
    formatter_->SetTextArea(TextBlock.Left, TextBlock.Top, TextBlock.Right, TextBlock.Bottom);
  } catch (const Error& error) {
    throw FileError(fileName, error.what());
  }
  Charset = file.GetCharSet();
  if (Charset < 0 || Charset > kHighestCharSet) {
    Skip(fileName + ": character set is not a number from 0 to 15; 8 is used.");
    Charset = kDefaultCharSet;
  }
  templateFileName_ = fileName;
}

TPrestPage TRICreateRssTxtPages::TemplatePage() const {
  TPrestPage page;
  page.Cells = TemplateCells;
  page.CharSet = static_cast<std::uint8_t>(Charset);
  return page;
}

void TRICreateRssTxtPages::BuildIndexPage(const TRSSIndexPageContent& content) {
  const TRssTxtPageProperty* entry = entry_ != nullptr ? entry_ : UsableEntry(content.Category);
  if (entry == nullptr) return;
  // Reported with the category's page numbers; such a page would overwrite another on air.
  if (!IsBroadcastPageNumber(entry->IndexNumber)) return;
  LoadTemplate(entry->IndexTemplateFileName);
  const int rows = TextBlock.Height();
  const int titleWidth = std::max(TextBlock.Width() - 4, 0);

  // Only titles whose page is generated are listed: a line must not point at a page that is
  // not there.
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < content.Titles.size(); ++k) {
    const long long number = static_cast<long long>(entry->FirstNumber) + static_cast<long long>(k);
    if (!IsBroadcastPageNumber(number)) continue;
    std::string line = OneLineTitle(content.Titles[k]);
    if (line.size() < static_cast<std::size_t>(titleWidth)) line.resize(titleWidth, '.');
    line.resize(titleWidth);
    // The colour is an ordinary byte of the text; translation and layout carry it into its
    // cell as it is, 0 (colour 8, black) included.
    line += static_cast<char>(entry->IndexNumberColor & 7);
    line += ZeroPadInt(number, 3);
    lines.push_back(std::move(line));
  }
  const int listed = static_cast<int>(lines.size());
  const bool doubleSpacing = listed <= (rows + 1) / 2;
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
    if (doubleSpacing) text += "\r\n";
  }
  if (listed > rows) {
    Skip("Category " + Quoted(content.Category) + ": index page " +
         std::to_string(entry->IndexNumber) + " lists " + std::to_string(rows) + " of " +
         CountOf(listed, "title", "titles") + "; the text block of " + templateFileName_ + " has " +
         CountOf(rows, "row", "rows") + ".");
  }

  TPrestPage page = TemplatePage();
  LayOutText(text, entry->PreserveIndexCharset, page);
  WritePage(page, entry->IndexNumber, *entry, 0);
  ++summary_.IndexPages;
}

void TRICreateRssTxtPages::BuildMessagePages(const std::string& name) {
  const TRssTxtPageProperty* entry = entry_ != nullptr ? entry_ : UsableEntry(name);
  if (entry == nullptr) return;
  const TRssTxtPageProperty* previous = entry_;
  entry_ = entry;
  LoadTemplate(entry->MessageTemplateFileName);
  long long number = entry->FirstNumber;
  for (TRSSMessage& message : Messages) {
    if (!EqualsIgnoreCase(message.Category, name)) continue;
    if (IsBroadcastPageNumber(number)) BuildMessagePage(message, static_cast<int>(number));
    ++number;
  }
  entry_ = previous;
}

std::string TRICreateRssTxtPages::TitleBlock(const TRssTxtPageProperty& entry,
                                             const std::string& title) const {
  if (!entry.ShowTitle) return {};
  std::string block = title;
  if (entry.TitleUpperCase) {
    for (char& c : block) c = ToUpperAscii(c);
  }
  block += entry.EmptyRowAfterTitle ? "\r\n\r\n" : "\r\n";
  return block;
}

int TRICreateRssTxtPages::BodyRows(const TRssTxtPageProperty& entry,
                                   const std::string& title) const {
  const int rows = TextBlock.Height();
  if (!entry.ShowTitle) return rows;
  // A title too long for one row takes the rows it needs, so the text under it is measured
  // against the room that is really left and never runs off the block.
  const int titleRows = std::max(formatter_->CountLines(title), 1);
  return rows - titleRows - (entry.EmptyRowAfterTitle ? 1 : 0);
}

void TRICreateRssTxtPages::BuildMessagePage(TRSSMessage& message, int number) {
  const TRssTxtPageProperty& entry = *entry_;
  formatter_->SetTextArea(TextBlock.Left, TextBlock.Top, TextBlock.Right, TextBlock.Bottom);
  const std::string title = OneLineTitle(message.Title);
  const std::string titleBlock = TitleBlock(entry, title);
  const int bodyRows = BodyRows(entry, title);
  const int needed = formatter_->CountLines(message.Text);
  const int rowsPerChunk = bodyRows - 1;  // the block's last row holds the counter

  message.Pages.clear();
  if (needed > bodyRows && rowsPerChunk > 0) SplitMessage(message, rowsPerChunk);
  if (message.Pages.size() > 1) {
    const int count = static_cast<int>(message.Pages.size());
    for (int i = 0; i < count; ++i) {
      TPrestPage page = TemplatePage();
      LayOutText(titleBlock + message.Pages[i], entry.PreserveMessageCharset, page);
      const std::string counter =
          std::to_string(i + 1) + "/" + std::to_string(count) + (i < count - 1 ? " >>" : " <<");
      PlaceCounter(counter, page);
      WritePage(page, number, entry, i + 1);
    }
    ++summary_.MessagePages;
    ++summary_.SplitMessages;
    summary_.SubPages += count;
    return;
  }

  // Fits on one page, or the split left a single piece (trailing empty rows), or the block has
  // no room for a counter row: then the whole text goes on one page, cut at the block.
  if (needed > bodyRows && rowsPerChunk <= 0) {
    Skip("Message " + Quoted(title) + " on page " + std::to_string(number) +
         ": the text block of " + templateFileName_ +
         " has no room for the title, the text and a page counter; the whole text is on one "
         "page, cut at the block.");
  }
  TPrestPage page = TemplatePage();
  LayOutText(titleBlock + (message.Pages.empty() ? message.Text : message.Pages.front()),
             entry.PreserveMessageCharset, page);
  WritePage(page, number, entry, 0);
  ++summary_.MessagePages;
}

bool SplitIntoSubPageTexts(const std::string& text, int rowsPerChunk,
                           TPTextToPrestelPageForm& formatter, std::vector<std::string>& pages) {
  pages.clear();
  std::string rest = text;
  while (static_cast<int>(pages.size()) < TRICreateRssTxtPages::kMaxSubPages && !rest.empty()) {
    if (formatter.CountLines(rest) > rowsPerChunk) {
      // Every call makes the rest shorter. A head can come out empty only when the rest starts
      // with a line break; that break is gone with it, and an empty page is never made.
      std::string head = formatter.SplitOffLines(rest, rowsPerChunk);
      if (!head.empty()) pages.push_back(std::move(head));
    } else {
      pages.push_back(std::move(rest));
      rest.clear();
    }
  }
  return rest.empty();
}

void TRICreateRssTxtPages::SplitMessage(TRSSMessage& message, int rowsPerChunk) {
  if (!SplitIntoSubPageTexts(message.Text, rowsPerChunk, *formatter_, message.Pages)) {
    Skip("Message " + Quoted(OneLineTitle(message.Title)) + ": the text needs more than " +
         std::to_string(kMaxSubPages) + " sub-pages; the rest is not shown.");
  }
}

void TRICreateRssTxtPages::PlaceCounter(const std::string& counter, TPrestPage& page) const {
  const int row = TextBlock.Bottom;
  for (int column = TextBlock.Left; column <= TextBlock.Right; ++column) {
    page.Cell(row, column) = 0x20;
  }
  const int start = TextBlock.Right - static_cast<int>(counter.size()) + 1;
  for (int i = 0; i < static_cast<int>(counter.size()); ++i) {
    if (start + i >= TextBlock.Left) {
      page.Cell(row, start + i) = static_cast<std::uint8_t>(counter[i]);
    }
  }
}

void TRICreateRssTxtPages::LayOutText(const std::string& text, bool preserve, TPrestPage& page) {
  // The current character set is the default when the text gives no choice, so a choice
  // carries over from page to page until the next template is loaded.
  if (!preserve) Charset = DetectCharSet(text, Charset);
  const std::string translated = TranslateText(text, Charset, true);
  formatter_->SetTextArea(TextBlock.Left, TextBlock.Top, TextBlock.Right, TextBlock.Bottom);
  formatter_->Page() = page;
  formatter_->PlaceText(translated);
  page = formatter_->Page();
  page.CharSet = static_cast<std::uint8_t>(Charset);
}

void TRICreateRssTxtPages::WritePage(const TPrestPage& page, int number,
                                     const TRssTxtPageProperty& entry, int subPage) {
  TTransPage encoder;
  encoder.Cells = page.Cells;
  encoder.PageText = std::to_string(number);
  encoder.SubPageText = ZeroPadInt(subPage, 4);
  encoder.SetCharset(Charset);
  const TBroadcastRecord record = encoder.Encode();

  const std::string fileName = PageFileName(number, subPage);
  WriteWholeFile(ExportDir + fileName, record);
  if (!control_) control_.emplace(UseFastext);
  control_->AddPageEntry(number, subPage, FastextOf(entry), fileName, Charset);
  ++summary_.PageFiles;
  if (OnPageWritten) {
    OnPageWritten(TGeneratedPage{number, subPage, fileName, summary_.PageFiles});
  }
}

}  // namespace tavrel
