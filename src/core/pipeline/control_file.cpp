#include "pipeline/control_file.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

#include "page/broadcast_encoder.h"
#include "support/error.h"
#include "support/file_utils.h"

namespace tavrel {

namespace {

std::string SectionLine(const std::string& name) { return "[" + name + "]"; }

std::string FourDigits(int value) {
  // Every page entry names its sub-page: the usual ones are written without a formatted print.
  if (value >= 0 && value <= 9999) {
    std::string digits(4, '0');
    for (int i = 3; i >= 0 && value > 0; --i, value /= 10) {
      digits[i] = static_cast<char>('0' + value % 10);
    }
    return digits;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%04d", value);
  return text;
}

std::string FormatTime(const char* format, const std::tm& when) {
  char text[128];
  const std::size_t length = std::strftime(text, sizeof text, format, &when);
  return std::string(text, length);
}

}  // namespace

std::string ControlFileDateTime(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  std::string text = FormatTime("%x", local);
  if (local.tm_hour != 0 || local.tm_min != 0 || local.tm_sec != 0) {
    text += ' ';
    text += FormatTime("%X", local);
  }
  return text;
}

void TControlFileWriter::AddPageEntry(int number, int subPage, const TControlFastext& fastext,
                                      const std::string& fileName, int charset) {
  AddPageEntry(number, subPage, fastext, fileName, charset, std::time(nullptr));
}

void TControlFileWriter::AddPageEntry(int number, int subPage, const TControlFastext& fastext,
                                      const std::string& fileName, int charset,
                                      std::time_t writtenAt) {
  const std::string section = std::to_string(number) + "." + FourDigits(subPage);
  // The encoder never makes a page file for such a number, and the control file must never
  // name a page that is not there.
  if (!IsBroadcastPageNumber(number)) {
    throw FileError(kControlFileName, "page " + section +
                                          " cannot be broadcast: page numbers run from " +
                                          std::to_string(kFirstBroadcastPage) + " to " +
                                          std::to_string(kLastBroadcastPage));
  }
  std::string prompts;
  std::string links;
  if (useFastext_) {
    for (std::size_t i = 0; i < fastext.Prompts.size(); ++i) {
      const std::string& prompt = fastext.Prompts[i];
      if (prompt.find_first_of("\r\n") != std::string::npos) {
        throw FileError(kControlFileName, "fastext prompt " + std::to_string(i + 1) + " of page " +
                                              section + " holds a line break");
      }
      // Prompts go out as they are; a quotation mark inside one is not escaped.
      if (i > 0) {
        prompts += ' ';
        links += ' ';
      }
      prompts += '"';
      prompts += prompt;
      prompts += '"';
      links += std::to_string(fastext.Links[i]);
    }
  }
  lines_.push_back(SectionLine(section));
  lines_.push_back("Filename=" + fileName);
  lines_.push_back("Level=0");
  if (writtenAt != dateTimeOf_ || dateTime_.empty()) {
    dateTime_ = ControlFileDateTime(writtenAt);
    dateTimeOf_ = writtenAt;
  }
  lines_.push_back("DateTime=" + dateTime_);
  lines_.push_back("CharSet=" + std::to_string(charset));
  lines_.push_back("notrans=0");
  if (useFastext_) {
    lines_.push_back("Prompts=" + prompts);
    lines_.push_back("Links=" + links);
  }
}

void TControlFileWriter::AddClearEntries(const std::vector<TControlClearing>& table,
                                         const std::vector<int>& alsoClear) {
  // Every line goes to the very top, so the block reads backwards: collect the numbers in
  // insertion order, then put them in front in reverse.
  std::vector<long long> inserted;
  for (const TControlClearing& entry : table) {
    if (!entry.IndexTemplateExists) continue;
    if (IsBroadcastPageNumber(entry.IndexNumber)) inserted.push_back(entry.IndexNumber);
    // The message pages First .. First + Max - 1, cut to the broadcast range. 64-bit sums:
    // the numbers come from the settings file unchecked and may lie near the int limits.
    const long long first = std::max<long long>(entry.FirstNumber, kFirstBroadcastPage);
    const long long last = std::min<long long>(
        static_cast<long long>(entry.FirstNumber) + entry.MaxPages - 1, kLastBroadcastPage);
    for (long long number = first; number <= last; ++number) inserted.push_back(number);
  }
  std::vector<std::string> block;
  block.reserve(inserted.size() + alsoClear.size() + lines_.size());
  std::set<long long> cleared;
  auto clear = [&](long long number) {
    if (cleared.insert(number).second) block.push_back(SectionLine(std::to_string(number) + ".*"));
  };
  for (auto it = inserted.rbegin(); it != inserted.rend(); ++it) clear(*it);
  for (const int number : alsoClear) {
    if (IsBroadcastPageNumber(number)) clear(number);
  }
  block.insert(block.end(), std::make_move_iterator(lines_.begin()),
               std::make_move_iterator(lines_.end()));
  lines_ = std::move(block);
}

void TControlFileWriter::Save(const std::string& exportDir) const {
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string content;
  content.reserve(size);
  for (const std::string& line : lines_) {
    content += line;
    content += "\r\n";
  }
  // The control file is what makes a run complete: a crash or a full disk must leave the old
  // one or the new one, never a part, and the new one must be on disk once it is there.
  ReplaceFileAtomically(exportDir + kControlFileName, content, 0666);
}

}  // namespace tavrel
