#include "pipeline/settings_problems.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <unordered_map>
#include <variant>

#include "pipeline/category_table.h"
#include "pipeline/settings_file.h"
#include "pipeline/settings_values.h"
#include "support/file_utils.h"
#include "support/text_encoding.h"
#include "support/text_utils.h"
#include "support/windows1252.h"

namespace tavrel {

namespace {

// The keys of a category section that hold a number or a flag.
constexpr std::array<std::string_view, 12> kCategoryNumberKeys = {
    "FirstNumber",        "IndexNumber",          "ShowTitle",
    "EmptyRowAfterTitle", "TitleUpperCase",       "IndexNumberColor",
    "FastextLinkNr1",     "FastextLinkNr2",       "FastextLinkNr3",
    "FastextLinkNr4",     "PreserveIndexCharset", "PreserveMessageCharset"};

template <typename Record, typename Value>
constexpr bool IsTextField(Value Record::*) {
  return std::is_same_v<Value, std::string>;
}

bool IsSettingsNumberKey(std::string_view key) {
  for (const TSettingKey& setting : kSettingKeys) {
    if (!EqualsIgnoreCase(setting.Key, key)) continue;
    return std::visit([](auto member) { return !IsTextField(member); }, setting.Field);
  }
  return false;
}

bool IsNumberKey(std::string_view section, std::string_view key) {
  if (EqualsIgnoreCase(section, kSettingsSection)) return IsSettingsNumberKey(key);
  if (section.substr(0, kCategorySectionPrefix.size()) != kCategorySectionPrefix) return false;
  for (const std::string_view name : kCategoryNumberKeys) {
    if (EqualsIgnoreCase(name, key)) return true;
  }
  return false;
}

// Whether a key holds a path: its value is taken as UTF-8, losslessly, whatever characters it
// holds (see TSettingsFile::ReadPath).
bool IsPathKey(std::string_view section, std::string_view key) {
  if (EqualsIgnoreCase(section, kSettingsSection)) {
    for (const TSettingKey& setting : kSettingKeys) {
      if (EqualsIgnoreCase(setting.Key, key)) return setting.IsPath;
    }
    return false;
  }
  if (section.substr(0, kCategorySectionPrefix.size()) != kCategorySectionPrefix) return false;
  return EqualsIgnoreCase(key, "IndexTemplateFileName") ||
         EqualsIgnoreCase(key, "MessageTemplateFileName");
}

bool IsExistingFile(std::string_view path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(std::string(path)), error);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ToLowerAscii(c);
  return lower;
}

// The characters of a UTF-8 line that Windows-1252 lacks, each with what reading makes of it.
void AddUntranslatable(std::string_view line, const std::string& where,
                       TWindows1252Transliterator& transliterator,
                       std::vector<std::string>& lines) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
  for (std::size_t i = 0; i < line.size();) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = WellFormedUtf8SequenceLength(bytes + i, line.size() - i);
    if (length == 0) return;  // the whole file is well-formed; never reached
    const char32_t character = DecodeUtf8Sequence(bytes + i, length);
    if (character != 0xFEFF && !UnicodeToWindows1252(character)) {  // not the byte order mark
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
      const std::string_view utf8 = line.substr(i, length);
      lines.push_back(where + "\"" + std::string(utf8) + "\" (" + code +
                      ") has no Windows-1252 form; it is read as \"" +
                      Windows1252ToUtf8(transliterator.Convert(utf8)) + "\"");
    }
    i += length;
  }
}

}  // namespace

std::vector<std::string> SettingsFileProblems(const std::string& path) {
  std::vector<std::string> lines;
  if (!PathExists(path)) return lines;
  const std::string text = ReadFileBytes(path, TSettingsFile::kMaxFileBytes);
  // Reading takes such a file as UTF-8 (see TSettingsFile::TEncoding).
  const bool utf8 = IsUtf8SettingsText(text);
  std::optional<TWindows1252Transliterator> transliterator;
  if (utf8) transliterator.emplace();

  // Where each section and each key of a section was first seen, by lower-case name; a
  // repeated section shares the keys of its first appearance, as reading merges them.
  std::unordered_map<std::string, long> sectionLines;
  std::unordered_map<std::string, long> keyLines;  // "section\nkey"
  std::string section;
  bool inSection = false;
  long number = 0;
  // Reading passes over the byte order mark of a UTF-8 file; so does the check.
  std::size_t start = utf8 && text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = TrimBlanks(std::string_view(text).substr(start, end - start));
    ++number;
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') {
      ++start;
    }
    if (line.empty() || line.front() == ';') continue;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    const std::size_t equals = line.find('=');
    // A path's characters all reach the file system; only the key's name could be named.
    const bool pathValue = inSection && equals != std::string_view::npos &&
                           IsPathKey(section, TrimBlanks(line.substr(0, equals)));
    if (utf8) {
      AddUntranslatable(pathValue ? line.substr(0, equals) : line, where, *transliterator, lines);
    }
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = std::string(TrimBlanks(line.substr(1, line.size() - 2)));
      inSection = true;
      const auto [first, added] = sectionLines.try_emplace(Lower(section), number);
      if (!added) {
        lines.push_back(where + "section [" + section + "] appears again (first on line " +
                        std::to_string(first->second) + "); its keys count as part of the first");
      }
      continue;
    }
    if (!inSection || equals == std::string_view::npos) continue;
    const std::string key(TrimBlanks(line.substr(0, equals)));
    const std::string_view value = TrimBlanks(line.substr(equals + 1));
    const auto [first, added] = keyLines.try_emplace(Lower(section) + "\n" + Lower(key), number);
    if (!added) {
      lines.push_back(where + "key " + key + " appears again in [" + section + "] (first on line " +
                      std::to_string(first->second) + "); the first value is used");
      continue;
    }
    // The upload would fail on it at every scan; said here, before the first one.
    if (pathValue && EqualsIgnoreCase(key, "FTPCAFile") && !value.empty() &&
        EqualsIgnoreCase(section, kSettingsSection) && !IsExistingFile(value)) {
      lines.push_back(where + "FTPCAFile=" + std::string(value) + ": no such file");
    }
    std::int32_t parsed = 0;
    if (IsNumberKey(section, key) && !TryParseInt32(value, false, parsed)) {
      std::string used = "its default is used";
      if (TryParseInt32(value, true, parsed)) used = "it is read as " + std::to_string(parsed);
      lines.push_back(where + key + "=" + std::string(value.substr(0, 60)) +
                      " is not a decimal number; " + used);
    }
  }
  return lines;
}

}  // namespace tavrel
