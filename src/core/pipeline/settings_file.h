#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// The settings file's INI dialect, held whole in memory: "[Section]" lines followed by
// "Key=Value" lines. Section and key names match without regard to ASCII letter case. Reading
// trims every line, drops empty lines and lines starting with ";", and trims the name and the
// value on either side of the first "=". Saving rewrites the whole file: sections in the order
// in which they were first read or created, each followed by one empty line, lines ending in
// CR LF. A later "[Name]" header of a section already read adds its lines to the first one.
//
// This is deliberately not the template files' dialect (TPIniFile), which keeps every line as
// it stands; the settings store and the control-file reader use this one.
class TSettingsFile {
 public:
  // Files this large are not settings files; reading refuses them with a clear error.
  static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

  // One line of a section: "Name=Value", or (HasEquals false) a line without "=" kept as it
  // stood in Name so that saving never drops what an operator wrote.
  struct Entry {
    std::string Name;
    std::string Value;
    bool HasEquals = true;
  };

  struct Section {
    std::string Name;
    std::vector<Entry> Entries;
  };

  // How the file's bytes are taken. The values are held as the file has them, so that a value
  // nobody changes goes back to the disk byte for byte; ReadString and WriteString convert to
  // and from the program's Windows-1252 text, ReadPath and WritePath to and from the file
  // system's UTF-8 bytes.
  enum class TEncoding {
    Windows1252,  // byte for byte
    // Operators on Linux edit the settings in UTF-8: a file of well-formed UTF-8 (plain ASCII
    // included) is read as UTF-8, any other as Windows-1252, and saving writes the encoding it
    // was read in (see WritePath for the one exception).
    Utf8OrWindows1252,
  };

  TSettingsFile() = default;

  // Replaces the content with the parsed text, taken in the encoding the content had before
  // (Windows-1252 for a new object).
  void LoadText(std::string_view text);

  // Replaces the content with the file's. A missing file gives an empty content (saved in
  // UTF-8 under Utf8OrWindows1252); a file that exists but cannot be read, or is larger than
  // maxBytes, throws tavrel::Error naming it. A UTF-8 file's byte order mark is kept for saving.
  void LoadFile(const std::string& path, std::size_t maxBytes = kMaxFileBytes,
                TEncoding encoding = TEncoding::Windows1252);

  // The file as saving writes it, in its encoding (SavesUtf8).
  std::string ToText() const;

  // Writes ToText() to path atomically (see ReplaceFileAtomically); a new file gets
  // newFileMode less the umask. Throws tavrel::Error naming the file on failure.
  void SaveToFile(const std::string& path, unsigned newFileMode) const;

  // Whether the content is UTF-8: the file was read as UTF-8, was missing under
  // Utf8OrWindows1252, or took a path Windows-1252 cannot hold (WritePath).
  bool SavesUtf8() const { return savesUtf8_; }

  // Turns the content of a Windows-1252 file into UTF-8, losing nothing; from then on it is
  // saved in UTF-8. Nothing happens to a UTF-8 content.
  void ConvertToUtf8();

  // Reading.
  const std::vector<Section>& Sections() const { return sections_; }
  std::vector<std::string> SectionNames() const;
  const Section* FindSection(std::string_view section) const;
  bool SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }
  // Names of the section's "Key=Value" lines in file order (empty for a missing section).
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The value of the first line of the section with that key as the file holds it (see
  // SavesUtf8), or nothing.
  std::optional<std::string> FindValue(std::string_view section, std::string_view key) const;
  bool KeyExists(std::string_view section, std::string_view key) const {
    return FindValue(section, key).has_value();
  }
  // The value as the program's Windows-1252 text: a UTF-8 file's characters that Windows-1252
  // lacks are transliterated ("?" where nothing is like them; `check` names them).
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // The value as UTF-8, losslessly: a path, which must reach open() as the file system's bytes
  // whatever encoding the settings file is in. A Windows-1252 file's value is converted.
  std::string ReadPath(std::string_view section, std::string_view key,
                       std::string_view defaultValue) const;
  // Decimal, or hexadecimal after "$" or "0x"; the default when missing or not a number.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // True for a non-zero integer; the default when missing or not a number.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // Writing. A missing section is created at the end; an existing key is replaced in place,
  // a new key appended to its section. Line breaks in a value become spaces, so that a value
  // can never split into lines that would read back as other keys or sections.
  // WriteString takes the program's Windows-1252 text.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // WritePath takes UTF-8 (a path as the file system has it). A Windows-1252 file that cannot
  // hold it is turned into UTF-8 first (ConvertToUtf8): losing a character of a path would
  // point the setting at another file, and the program reads UTF-8 settings as well. A value
  // that is not well-formed UTF-8 throws tavrel::Error naming the key: no encoding of the file
  // could keep it.
  void WritePath(std::string_view section, std::string_view key, std::string_view utf8);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  void Clear();

 private:
  // Stores a value given in the content's encoding.
  void WriteStored(std::string_view section, std::string_view key, std::string_view value);

  Section* FindSectionForWrite(std::string_view section);
  Section& SectionForWrite(std::string_view section);

  // Lines before the first section header; kept so that saving loses nothing, never read.
  std::vector<Entry> preamble_;
  std::vector<Section> sections_;
  bool savesUtf8_ = false;
  bool byteOrderMark_ = false;  // a UTF-8 file that started with one
};

// Whether the bytes of a settings file are read as UTF-8 under Utf8OrWindows1252: well-formed
// UTF-8 holding at least one byte above 127.
bool IsUtf8SettingsText(std::string_view bytes);

}  // namespace tavrel
