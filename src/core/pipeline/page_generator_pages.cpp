// Laying the messages onto pages: the index page of a category, each message's page or run of
// sub-pages, and writing them. Planning and checking a run live in page_generator.cpp.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "page/broadcast_encoder.h"
#include "page/national_charset.h"
#include "pipeline/page_generator.h"
#include "pipeline/page_generator_detail.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/text_utils.h"
#include "support/windows1252.h"

namespace tavrel {

namespace generator_detail {

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

// A feed text as a report line shows it: a title or name of any length is cut, so that a huge
// one cannot flood the terminal or the log.
constexpr std::size_t kShownLength = 60;
std::string Shown(std::string_view text) {
  if (text.size() <= kShownLength) return std::string(text);
  return std::string(text.substr(0, kShownLength)) + "...";
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

// Writes a whole page file with a plain open, write and close: the control file, saved last,
// is what makes a run complete, so a page file needs no atomic replacement of its own.
void WriteWholeFile(const std::string& path, const TBroadcastRecord& bytes) {
  // One open, one write, one close: a stdio stream would ask for the file's status to size a
  // buffer that a single record never needs, and the page files are most of a run's calls.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw FileError(path, std::string("cannot be created: ") + std::strerror(errno));
  std::size_t done = 0;
  int writeErrno = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      writeErrno = got < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  const bool closed = ::close(fd) == 0;
  if (done < bytes.size() || !closed) {
    const std::string reason = std::strerror(done < bytes.size() ? writeErrno : errno);
    ::unlink(path.c_str());
    throw FileError(path, "cannot be written: " + reason);
  }
}

}  // namespace generator_detail

using namespace generator_detail;

TPrestPage TRICreateRssTxtPages::TemplatePage() const {
  TPrestPage page;
  page.Cells = TemplateCells;
  page.CharSet = static_cast<std::uint8_t>(Charset);
  return page;
}

void TRICreateRssTxtPages::BuildIndexPage(const TRSSIndexPageContent& content,
                                          const std::vector<bool>& listed) {
  const TRssTxtPageProperty* entry = entry_;
  if (entry == nullptr) return;
  // Reported with the category's page numbers; such a page would overwrite another on air.
  if (!IsBroadcastPageNumber(entry->IndexNumber)) return;
  LoadTemplate(entry->IndexTemplateFileName);
  const int rows = TextBlock.Height();
  const int titleWidth = std::max(TextBlock.Width() - 4, 0);

  // Only titles whose page is generated are listed: a line must not point at a page that is
  // not there, or at another category's page of that number.
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < content.Titles.size(); ++k) {
    const long long number = static_cast<long long>(entry->FirstNumber) + static_cast<long long>(k);
    if (!IsBroadcastPageNumber(number) || (k < listed.size() && !listed[k])) continue;
    std::string line = OneLineTitle(content.Titles[k]);
    if (line.size() < static_cast<std::size_t>(titleWidth)) line.resize(titleWidth, '.');
    line.resize(titleWidth);
    // The colour is an ordinary byte of the text; translation and layout carry it into its
    // cell as it is, 0 (colour 8, black) included.
    line += static_cast<char>(entry->IndexNumberColor & 7);
    line += ZeroPadInt(number, 3);
    lines.push_back(std::move(line));
  }
  const int shown = static_cast<int>(lines.size());
  const bool doubleSpacing = shown <= (rows + 1) / 2;
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
    if (doubleSpacing) text += "\r\n";
  }
  if (shown > rows) {
    SkipLayout("Category " + Quoted(Shown(content.Category)) + ": index page " +
               std::to_string(entry->IndexNumber) + " lists " + std::to_string(rows) + " of " +
               CountOf(shown, "title", "titles") + "; the text block of " + templateFileName_ +
               " has " + CountOf(rows, "row", "rows") + ".");
  }

  TPrestPage page = TemplatePage();
  LayOutText(text, entry->PreserveIndexCharset, page);
  WritePage(page, entry->IndexNumber, *entry, 0);
  ++summary_.IndexPages;
}

void TRICreateRssTxtPages::BuildMessagePages(std::size_t group) {
  const TRssTxtPageProperty* entry = entry_;
  if (entry == nullptr) return;
  LoadTemplate(entry->MessageTemplateFileName);
  long long number = entry->FirstNumber;
  for (const std::size_t i : groups_[group]) {
    if (messageOnAir_[i]) BuildMessagePage(Messages[i], static_cast<int>(number));
    ++number;
  }
}

std::string TRICreateRssTxtPages::TitleBlock(const TRssTxtPageProperty& entry,
                                             const std::string& title) const {
  if (!entry.ShowTitle) return {};
  // Capitals before translation: a character set without the capital then shows what the
  // translation gives for it.
  std::string block = entry.TitleUpperCase ? UpperCaseTitle(title) : title;
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
    SkipLayout("Message " + Quoted(Shown(title)) + " on page " + std::to_string(number) +
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
    SkipLayout("Message " + Quoted(Shown(OneLineTitle(message.Title))) +
               ": the text needs more than " + std::to_string(kMaxSubPages) +
               " sub-pages; the rest is not shown.");
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
  if (layOutOnly_) return;
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
  if (written_.empty() || written_.back() != number) written_.push_back(number);
  ++summary_.PageFiles;
  if (OnPageWritten) {
    OnPageWritten(TGeneratedPage{number, subPage, fileName, summary_.PageFiles});
  }
}

}  // namespace tavrel
