// Feeds arbitrary bytes to the settings file reader. Beyond not crashing, saving must be a fixed
// point (what was saved reads back to the same text), and values written through the class
// must read back as written, whatever the file held before.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "pipeline/settings_file.h"
#include "support/text_utils.h"

using tavrel::fuzz::Require;

namespace {

// What reading keeps of a written value: one line, trimmed of blanks at both ends.
std::string AsRead(const std::string& value) {
  std::string line = value;
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return std::string(tavrel::TrimBlanks(line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string key = input.ConsumeRandomLengthString(16);
  const std::string value = input.ConsumeRandomLengthString(64);
  const std::string otherValue = input.ConsumeRandomLengthString(32);
  const std::string text = input.ConsumeRemainingBytesAsString();

  tavrel::TSettingsFile file;
  file.LoadText(text);
  const std::string saved = file.ToText();
  tavrel::TSettingsFile again;
  again.LoadText(saved);
  Require(again.ToText() == saved, "saved settings read back to the same text");

  for (const auto& section : file.Sections()) {
    for (const auto& name : file.KeyNames(section.Name)) {
      (void)file.ReadInteger(section.Name, name, 7);
      Require(again.FindValue(section.Name, name) == file.FindValue(section.Name, name),
              "every value survives saving");
    }
  }

  // The program writes fixed key names; the values come from operators and feeds.
  const std::string section = "Settings";
  const std::string fixedKey = "XmlUrl";
  file.WriteString(section, fixedKey, value);
  tavrel::TSettingsFile written;
  written.LoadText(file.ToText());
  Require(written.FindValue(section, fixedKey) == AsRead(value), "a written value reads back");

  // Any key name: writing one key must leave every other value of the file as it was, and a
  // plain name (no "=", line break, outer blank, or leading ";" or "[") must read back.
  tavrel::TSettingsFile before;
  before.LoadText(file.ToText());
  file.WriteString(section, key, otherValue);
  written.LoadText(file.ToText());
  for (const auto& beforeSection : before.Sections()) {
    for (const auto& name : before.KeyNames(beforeSection.Name)) {
      if (tavrel::EqualsIgnoreCase(beforeSection.Name, section) &&
          tavrel::EqualsIgnoreCase(name, key)) {
        continue;
      }
      Require(
          written.FindValue(beforeSection.Name, name) == before.FindValue(beforeSection.Name, name),
          "writing one key leaves the others alone");
    }
  }
  const bool plainName = !key.empty() && key.find_first_of("=\r\n") == std::string::npos &&
                         tavrel::TrimBlanks(key) == key && key.front() != ';' && key.front() != '[';
  if (plainName) {
    Require(written.FindValue(section, key) == AsRead(otherValue), "a written key reads back");
  }
  return 0;
}
