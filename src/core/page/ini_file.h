#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// The template files' INI dialect. Unlike the settings file, it keeps the file exactly as it
// is, line by line, and changes only the lines it writes: the raw bytes of every line stand
// (0x80..0xFF are ordinary characters, as the row values of templates need), a key is replaced
// where it stands, a new key goes before the next "[" line, a new section at the end.
//
// Rules: a section header is a line equal to "[" + name + "]" in any ASCII letter case with
// nothing else on it; a section runs up to the next line starting with "["; a key line is a
// line of the section holding "=", its name is the text before the first "=" trimmed of
// spaces and control characters. The first matching header and key line win.
//
// Changes stay in memory until Save(); the destructor saves changes not yet saved.
class TPIniFile {
 public:
  // Files this large are not templates; loading refuses them with a clear error.
  static constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;
  // ReadString answers at most this many characters of a value.
  static constexpr std::size_t kMaxValueLength = 255;

  // Loads the file when it exists (lines split at CR LF, CR or LF); a missing file gives an
  // empty object. Throws tavrel::Error naming the file when it exists but cannot be read.
  explicit TPIniFile(std::string fileName);

  // Saves when a write was not yet saved; a failure then is swallowed, as a destructor must
  // not throw. Callers that need to know call Save() first.
  ~TPIniFile();

  TPIniFile(const TPIniFile&) = delete;
  TPIniFile& operator=(const TPIniFile&) = delete;

  // Index of the section's header line, or -1.
  int FindSection(std::string_view section) const;
  // Index of the first line after the section's header that starts with "[", or the line count
  // when there is none; the line count also for a missing section.
  int SectionEnd(std::string_view section) const;
  // Appends the header line "[" + section + "]" and answers its index.
  int AddSection(std::string_view section);
  // Index of the line holding the key within the section, or -1.
  int FindKey(std::string_view section, std::string_view key) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
  // The text after the key line's first "=", at most kMaxValueLength characters of it, trimmed
  // of spaces and control characters at both ends; defaultValue when the key is not found.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // ReadString with the default's decimal text as default, read as a signed decimal number;
  // -1 (not the default) when the value is not a number as a whole.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;

  // Writes every line followed by CR LF, replacing the file atomically, and clears Modified().
  // Throws tavrel::Error naming the file on failure.
  void Save();

  const std::string& FileName() const { return fileName_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  bool Modified() const { return modified_; }
  // Whether the file existed when the object was created.
  bool Existed() const { return existed_; }

 private:
  std::string fileName_;
  std::vector<std::string> lines_;
  bool modified_ = false;
  bool existed_ = false;
};

}  // namespace tavrel
