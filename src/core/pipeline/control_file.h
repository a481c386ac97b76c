#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

namespace tavrel {

// The file that tells the transmission server what an update holds.
inline constexpr char kControlFileName[] = "Control.dat";

// What a page entry carries of its category: the four fastext prompts and the pages they link
// to. Defaults are those of a new category.
struct TControlFastext {
  std::array<std::string, 4> Prompts{"Index", "Test", "Test", "Test"};
  std::array<int, 4> Links{100, 898, 898, 898};
};

// What the clearing block needs of one category of the table: whether its index template
// exists, its index page, its first message page and "Max pages" (the rows of the index
// template's text block).
struct TControlClearing {
  bool IndexTemplateExists = false;
  int IndexNumber = 0;
  int FirstNumber = 0;
  int MaxPages = 0;
};

// Builds "Control.dat" line by line while the page generator writes the page files: one entry
// per page in the order the pages were written, and the clearing block put on top at the end.
class TControlFileWriter {
 public:
  // With fastext on, every page entry also carries the prompts and links of its category.
  explicit TControlFileWriter(bool useFastext) : useFastext_(useFastext) {}

  // Appends the entry of one page file: 6 lines, or 8 with fastext. `writtenAt` is the local
  // time the page was written. Throws Error for a page number outside 100..899, and when a
  // prompt holds a line break, which would split the entry and let the server read a line of
  // it as a section of its own.
  void AddPageEntry(int number, int subPage, const TControlFastext& fastext,
                    const std::string& fileName, int charset, std::time_t writtenAt);
  void AddPageEntry(int number, int subPage, const TControlFastext& fastext,
                    const std::string& fileName, int charset);

  // Puts the clearing lines on top: for each category with an index template, in table order,
  // its index page and its "Max pages" message pages, each line inserted at the very top; then,
  // after that block, a line for each number of alsoClear in its order (the pages an earlier
  // update put on air that this one does not write). Numbers outside 100..899 are left out:
  // the server would clear another page under them. No number gets a second line: where
  // categories' pages overlap, the line that comes first in the file stands.
  void AddClearEntries(const std::vector<TControlClearing>& table,
                       const std::vector<int>& alsoClear = {});

  const std::vector<std::string>& Lines() const { return lines_; }

  // Writes every line, each ending in CR LF, to exportDir + "Control.dat", replacing the file.
  // The file is written beside its final name and renamed, so a failed save never leaves a
  // half-written control file. Throws Error naming the file.
  void Save(const std::string& exportDir) const;

 private:
  bool useFastext_;
  std::vector<std::string> lines_;
  // A run writes hundreds of pages within the same few seconds: the "DateTime=" text of the
  // last second is kept rather than formatted again for every page.
  std::time_t dateTimeOf_ = -1;
  std::string dateTime_;
};

// The "DateTime=" value of a page written at `when`: the short date of the current locale, one
// space and the long time, with the time left out at exactly midnight.
std::string ControlFileDateTime(std::time_t when);

}  // namespace tavrel
