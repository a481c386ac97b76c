#include "page/ini_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "support/file_utils.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

bool IsHeaderOf(const std::string& line, std::string_view section) {
  return line.size() == section.size() + 2 && line.front() == '[' && line.back() == ']' &&
         EqualsIgnoreCase(std::string_view(line).substr(1, section.size()), section);
}

// A value that held a line break would come back as two lines; the break becomes a space.
std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

}  // namespace

TPIniFile::TPIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  existed_ = PathExists(fileName_);
  if (!existed_) return;
  const std::string bytes = ReadFileBytes(fileName_, kMaxFileBytes);
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines_.push_back(bytes.substr(start));
      break;
    }
    lines_.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
}

TPIniFile::~TPIniFile() {
  if (!modified_) return;
  try {
    Save();
  } catch (...) {
    // A destructor must not throw; callers who care call Save() themselves.
  }
}

int TPIniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (IsHeaderOf(lines_[i], section)) return static_cast<int>(i);
  }
  return -1;
}

int TPIniFile::SectionEnd(std::string_view section) const {
  const int header = FindSection(section);
  const int count = static_cast<int>(lines_.size());
  if (header < 0) return count;
  for (int i = header + 1; i < count; ++i) {
    if (!lines_[i].empty() && lines_[i].front() == '[') return i;
  }
  return count;
}

int TPIniFile::AddSection(std::string_view section) {
  // Built by appending: g++ 12 at -O3 warns falsely about "[" + text + "]".
  std::string header(1, '[');
  header += OneLine(section);
  header += ']';
  lines_.push_back(std::move(header));
  return static_cast<int>(lines_.size()) - 1;
}

int TPIniFile::FindKey(std::string_view section, std::string_view key) const {
  const int header = FindSection(section);
  if (header < 0) return -1;
  const int end = SectionEnd(section);
  for (int i = header + 1; i < end; ++i) {
    const std::string& line = lines_[i];
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (EqualsIgnoreCase(TrimBlanks(std::string_view(line).substr(0, equals)), key)) return i;
  }
  return -1;
}

void TPIniFile::WriteString(std::string_view section, std::string_view key,
                            std::string_view value) {
  modified_ = true;
  if (FindSection(section) < 0) AddSection(section);
  std::string line = OneLine(key) + "=" + OneLine(value);
  const int existing = FindKey(section, key);
  if (existing >= 0) {
    lines_[existing] = std::move(line);
    return;
  }
  const int end = SectionEnd(section);
  lines_.insert(lines_.begin() + end, std::move(line));
}

void TPIniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
  WriteString(section, key, std::to_string(value));
}

std::string TPIniFile::ReadString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
  const int index = FindKey(section, key);
  if (index < 0) return std::string(defaultValue);
  std::string_view value(lines_[index]);
  value = value.substr(value.find('=') + 1).substr(0, kMaxValueLength);
  return std::string(TrimBlanks(value));
}

std::int32_t TPIniFile::ReadInteger(std::string_view section, std::string_view key,
                                    std::int32_t defaultValue) const {
  const std::string text = ReadString(section, key, std::to_string(defaultValue));
  std::int32_t value = -1;
  return TryParseInt32(text, false, value) ? value : -1;
}

void TPIniFile::Save() {
  std::string bytes;
  for (const auto& line : lines_) {
    bytes += line;
    bytes += "\r\n";
  }
  ReplaceFileAtomically(fileName_, bytes, 0666);
  modified_ = false;
}

}  // namespace tavrel
