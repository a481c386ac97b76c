#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/settings_file.h"

namespace tavrel {

// Reads a "Control.dat" back so the window can step through the generated pages. The file is
// held whole in the settings store's INI dialect: names match without regard to letter case.
class TPTxtControlFile {
 public:
  // Loads the file at `path`. A missing file gives an empty reader; a file that exists but
  // cannot be read, or is far too large for a control file, throws Error naming it.
  explicit TPTxtControlFile(const std::string& path);

  // The sections that hold at least one key (the page entries; clearing entries have none),
  // sorted as text without regard to letter case. With three-digit pages and four-digit
  // sub-pages this is page order, sub-pages in order.
  const std::vector<std::string>& PageSections() const { return pageSections_; }

  // Fills `lines` with "[" + section + "]" and then the section's "Key=Value" lines in file
  // order. A section that is not in the file gives the bracket line alone.
  void ReadEntry(const std::string& section, std::vector<std::string>& lines) const;

  // The value of `key` in lines made by ReadEntry: everything after the first "=" of the first
  // line whose name matches without regard to letter case.
  static std::optional<std::string> EntryValue(const std::vector<std::string>& lines,
                                               std::string_view key);

 private:
  TSettingsFile file_;
  std::vector<std::string> pageSections_;
};

}  // namespace tavrel
