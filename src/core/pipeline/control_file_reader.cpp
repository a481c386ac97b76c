#include "pipeline/control_file_reader.h"

#include <algorithm>
#include <exception>
#include <string>

#include "support/text_utils.h"

namespace tavrel {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return CompareIgnoreCase(a, b) < 0;
}

}  // namespace

std::string ExportFolderFileName(std::string_view value) {
  const std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = value.find_last_not_of(" \t");
  const std::string name(value.substr(first, last - first + 1));
  if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") return {};
  return name;
}

TControlEntry TPTxtControlFile::Entry(const std::string& section) const {
  std::vector<std::string> lines;
  ReadEntry(section, lines);
  TControlEntry entry;
  entry.FileName = ExportFolderFileName(EntryValue(lines, "Filename").value_or(""));
  if (const auto value = EntryValue(lines, "CharSet")) {
    try {
      entry.CharSet = std::stoi(*value);
    } catch (const std::exception&) {
      entry.CharSet = 0;
    }
  }
  entry.Prompts = EntryValue(lines, "Prompts");
  entry.Links = EntryValue(lines, "Links");
  return entry;
}

TPTxtControlFile::TPTxtControlFile(const std::string& path) {
  file_.LoadFile(path);
  for (const TSettingsFile::Section& section : file_.Sections()) {
    const bool hasKey = std::any_of(section.Entries.begin(), section.Entries.end(),
                                    [](const TSettingsFile::Entry& e) { return e.HasEquals; });
    if (hasKey) pageSections_.push_back(section.Name);
  }
  std::sort(pageSections_.begin(), pageSections_.end(), LessIgnoringCase);
}

void TPTxtControlFile::ReadEntry(const std::string& section,
                                 std::vector<std::string>& lines) const {
  lines.clear();
  lines.push_back("[" + section + "]");
  if (const TSettingsFile::Section* found = file_.FindSection(section)) {
    for (const TSettingsFile::Entry& entry : found->Entries) {
      if (entry.HasEquals) lines.push_back(entry.Name + "=" + entry.Value);
    }
  }
}

std::optional<std::string> TPTxtControlFile::EntryValue(const std::vector<std::string>& lines,
                                                        std::string_view key) {
  for (const std::string& line : lines) {
    // The bracket line that ReadEntry puts first names the section, not a key.
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') continue;
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && EqualsIgnoreCase(line.substr(0, equals), key)) {
      return line.substr(equals + 1);
    }
  }
  return std::nullopt;
}

}  // namespace tavrel
