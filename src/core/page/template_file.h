#pragma once

#include <string>

#include "page/ini_file.h"
#include "page/page_record.h"

namespace tavrel {

// A template page file (".tpg"): the INI dialect of TPIniFile with everything in section
// "PAGE". A file written from scratch holds, in order: the header, "title=", "charset=<code>",
// "blocktext1=<LLTTRRBB>" and "row01=" .. "row23=", each row value being exactly the 40 cells
// of that row with bit 7 set (so no cell byte can look like "=", a line break or a blank).
class TPageFile : public TPIniFile {
 public:
  static constexpr const char* kSection = "PAGE";
  static constexpr const char* kDefaultBlockText = "03063822";

  // Opens fileName; when it did not exist, writes an empty title and charSet so that a new file
  // starts with those lines. Such a file reaches the disk with Save() or the destructor even if
  // only read from: callers that must not create one test for its existence first.
  explicit TPageFile(std::string fileName, int charSet = kDefaultCharSet);

  // Stores the title and writes key "title".
  void SetTitle(std::string_view title);
  const std::string& Title() const { return title_; }

  // Fills rows 1..23 of page from the row keys (a missing key gives spaces; a value is padded
  // with spaces to 40 cells, cut at 40, and each cell masked to 7 bits); row 0 becomes spaces,
  // the frame colour and the row prefix length 0. The character set is left alone.
  void ReadRows(TPrestPage& page) const;
  // Writes rows 1..23 of page to the row keys.
  void WriteRows(const TPrestPage& page);

  // Writes key "charset" in decimal.
  void SetCharSet(int code);
  // Key "charset": 8 when missing, -1 when not a number.
  int GetCharSet();
  int CharSet() const { return charSet_; }

  // Key "blocktext1" (default "03063822"): four two-digit numbers left, top, right, bottom; a
  // piece that is not a number, or is missing from a short value, gives 0.
  TTextBlock GetBlockText() const;
  void SetBlockText(const TTextBlock& block);

  // The key of a body row: "row" and the row number in two digits ("row01" .. "row23").
  static std::string RowKey(int row);

 private:
  std::string title_;
  int charSet_ = kDefaultCharSet;
};

}  // namespace tavrel
