#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/settings_file.h"

namespace tavrel {

// One page entry of "Control.dat" as the export and the preview read it.
struct TControlEntry {
  // The entry's page file in the export folder (ExportFolderFileName); empty when the entry
  // names none, or names a path that would reach outside the folder.
  std::string FileName;
  // The national character set the page was made with; 0 when missing or not a number.
  int CharSet = 0;
  std::optional<std::string> Prompts;
  std::optional<std::string> Links;
};

// The file-name rule of the export folder: the value without surrounding blanks, when it is a
// plain name of a file in the folder; empty for no name, ".", ".." or a path ("/" or "\").
// The control file names files of its own folder only; a path in it would reach outside.
std::string ExportFolderFileName(std::string_view value);

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

  // The page entry of section (an entry the file lacks gives an empty one).
  TControlEntry Entry(const std::string& section) const;

  // The value of `key` in lines made by ReadEntry: everything after the first "=" of the first
  // line whose name matches without regard to letter case.
  static std::optional<std::string> EntryValue(const std::vector<std::string>& lines,
                                               std::string_view key);

 private:
  TSettingsFile file_;
  std::vector<std::string> pageSections_;
};

}  // namespace tavrel
