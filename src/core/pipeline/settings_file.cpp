#include "pipeline/settings_file.h"

#include <algorithm>

#include "support/error.h"
#include "support/file_utils.h"
#include "support/text_encoding.h"
#include "support/text_utils.h"
#include "support/windows1252.h"

namespace tavrel {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Calls visit for every line of text, split at CR LF, CR or LF.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      visit(text.substr(start));
      return;
    }
    visit(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

TSettingsFile::Entry ParseEntry(std::string_view line) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return {std::string(line), "", false};
  return {std::string(TrimBlanks(line.substr(0, equals))),
          std::string(TrimBlanks(line.substr(equals + 1))), true};
}

void AppendEntry(std::string& text, const TSettingsFile::Entry& entry) {
  text += entry.Name;
  if (entry.HasEquals) {
    text += '=';
    text += entry.Value;
  }
  text += "\r\n";
}

std::string OneLine(std::string_view value) {
  std::string line(value);
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

}  // namespace

void TSettingsFile::LoadText(std::string_view text) {
  Clear();
  // An index, not a pointer: adding a section may move the others.
  std::optional<std::size_t> current;
  ForEachLine(text, [&](std::string_view rawLine) {
    const std::string_view line = TrimBlanks(rawLine);
    if (line.empty() || line.front() == ';') return;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      const Section& section = SectionForWrite(TrimBlanks(line.substr(1, line.size() - 2)));
      current = static_cast<std::size_t>(&section - sections_.data());
      return;
    }
    (current ? sections_[*current].Entries : preamble_).push_back(ParseEntry(line));
  });
}

bool IsUtf8SettingsText(std::string_view bytes) {
  const bool anyHigh = std::any_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) > 127; });
  return anyHigh && FindInvalidUtf8(bytes) == std::string_view::npos;
}

void TSettingsFile::LoadFile(const std::string& path, std::size_t maxBytes, TEncoding encoding) {
  const bool detect = encoding == TEncoding::Utf8OrWindows1252;
  byteOrderMark_ = false;
  if (!PathExists(path)) {
    Clear();
    savesUtf8_ = detect;
    return;
  }
  const std::string bytes = ReadFileBytes(path, maxBytes);
  // A file of plain ASCII reads the same either way; it is saved as UTF-8, as a new file is,
  // so that a name beyond ASCII written into it later reads right in the operator's editor.
  savesUtf8_ = detect && FindInvalidUtf8(bytes) == std::string_view::npos;
  std::string_view content = bytes;
  if (savesUtf8_ && content.substr(0, 3) == kUtf8ByteOrderMark) {
    content.remove_prefix(3);
    byteOrderMark_ = true;
  }
  LoadText(content);
}

std::string TSettingsFile::ToText() const {
  std::string text;
  if (savesUtf8_ && byteOrderMark_) text = kUtf8ByteOrderMark;
  for (const auto& entry : preamble_) AppendEntry(text, entry);
  if (!preamble_.empty()) text += "\r\n";
  for (const auto& section : sections_) {
    text += '[';
    text += section.Name;
    text += "]\r\n";
    for (const auto& entry : section.Entries) AppendEntry(text, entry);
    text += "\r\n";
  }
  return text;
}

void TSettingsFile::SaveToFile(const std::string& path, unsigned newFileMode) const {
  ReplaceFileAtomically(path, ToText(), static_cast<mode_t>(newFileMode));
}

void TSettingsFile::ConvertToUtf8() {
  if (savesUtf8_) return;
  const auto convert = [](std::string& text) { text = Windows1252ToUtf8(text); };
  const auto convertEntries = [&](std::vector<Entry>& entries) {
    for (Entry& entry : entries) {
      convert(entry.Name);
      convert(entry.Value);
    }
  };
  convertEntries(preamble_);
  for (Section& section : sections_) {
    convert(section.Name);
    convertEntries(section.Entries);
  }
  savesUtf8_ = true;
}

std::vector<std::string> TSettingsFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const auto& section : sections_) names.push_back(section.Name);
  return names;
}

const TSettingsFile::Section* TSettingsFile::FindSection(std::string_view section) const {
  for (const auto& candidate : sections_) {
    if (EqualsIgnoreCase(candidate.Name, section)) return &candidate;
  }
  return nullptr;
}

std::vector<std::string> TSettingsFile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* found = FindSection(section)) {
    for (const auto& entry : found->Entries) {
      if (entry.HasEquals) names.push_back(entry.Name);
    }
  }
  return names;
}

std::optional<std::string> TSettingsFile::FindValue(std::string_view section,
                                                    std::string_view key) const {
  if (const Section* found = FindSection(section)) {
    for (const auto& entry : found->Entries) {
      if (entry.HasEquals && EqualsIgnoreCase(entry.Name, key)) return entry.Value;
    }
  }
  return std::nullopt;
}

std::string TSettingsFile::ReadString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
  auto value = FindValue(section, key);
  if (!value) return std::string(defaultValue);
  const bool ascii = std::all_of(value->begin(), value->end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!savesUtf8_ || ascii) return *value;
  TWindows1252Transliterator transliterator;
  return transliterator.Convert(*value);
}

std::string TSettingsFile::ReadPath(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
  auto value = FindValue(section, key);
  if (!value) return std::string(defaultValue);
  return savesUtf8_ ? *value : Windows1252ToUtf8(*value);
}

std::int32_t TSettingsFile::ReadInteger(std::string_view section, std::string_view key,
                                        std::int32_t defaultValue) const {
  const auto value = FindValue(section, key);
  std::int32_t number = defaultValue;
  if (value && TryParseInt32(*value, true, number)) return number;
  return defaultValue;
}

bool TSettingsFile::ReadBool(std::string_view section, std::string_view key,
                             bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TSettingsFile::WriteStored(std::string_view section, std::string_view key,
                                std::string_view value) {
  Section& target = SectionForWrite(section);
  for (auto& entry : target.Entries) {
    if (entry.HasEquals && EqualsIgnoreCase(entry.Name, key)) {
      entry.Value = OneLine(value);
      return;
    }
  }
  target.Entries.push_back({OneLine(key), OneLine(value), true});
}

void TSettingsFile::WriteString(std::string_view section, std::string_view key,
                                std::string_view value) {
  WriteStored(section, key, savesUtf8_ ? Windows1252ToUtf8(value) : std::string(value));
}

void TSettingsFile::WritePath(std::string_view section, std::string_view key,
                              std::string_view utf8) {
  // Stored in a UTF-8 file, such bytes would make the next reading take the whole file for
  // Windows-1252 and garble every other value; converted, they would name another file.
  if (FindInvalidUtf8(utf8) != std::string_view::npos) {
    throw Error("[" + std::string(section) + "] " + std::string(key) + ": the path \"" +
                std::string(utf8) + "\" is not UTF-8, so the settings file cannot keep it");
  }
  if (!savesUtf8_) {
    std::size_t lacking = 0;
    const std::string windows1252 = Utf8ToWindows1252(utf8, '?', &lacking);
    if (lacking == 0) {
      WriteStored(section, key, windows1252);
      return;
    }
    ConvertToUtf8();
  }
  WriteStored(section, key, utf8);
}

void TSettingsFile::WriteInteger(std::string_view section, std::string_view key,
                                 std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TSettingsFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TSettingsFile::EraseSection(std::string_view section) {
  std::erase_if(sections_, [&](const Section& candidate) {
    return EqualsIgnoreCase(candidate.Name, section);
  });
}

void TSettingsFile::DeleteKey(std::string_view section, std::string_view key) {
  if (Section* found = FindSectionForWrite(section)) {
    std::erase_if(found->Entries, [&](const Entry& entry) {
      return entry.HasEquals && EqualsIgnoreCase(entry.Name, key);
    });
  }
}

void TSettingsFile::Clear() {
  preamble_.clear();
  sections_.clear();
}

TSettingsFile::Section* TSettingsFile::FindSectionForWrite(std::string_view section) {
  for (auto& candidate : sections_) {
    if (EqualsIgnoreCase(candidate.Name, section)) return &candidate;
  }
  return nullptr;
}

TSettingsFile::Section& TSettingsFile::SectionForWrite(std::string_view section) {
  if (Section* found = FindSectionForWrite(section)) return *found;
  sections_.push_back({OneLine(section), {}});
  return sections_.back();
}

}  // namespace tavrel
