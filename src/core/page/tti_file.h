#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_record.h"

namespace tavrel {

// The rows a page file of the open inserters holds: the header row 0, the body rows 1..23 and
// the fastext prompt row 24.
inline constexpr int kTtiRows = 25;

// One sub-page of a TTI page file.
struct TTtiPage {
  // The page address as the inserters write it: magazine 1..8 times 0x100 plus the page as two
  // hexadecimal digits, so page 101 is 0x101 and page 1FF is 0x1FF.
  int PageAddress = 0x1FF;
  bool HasPageNumber = false;
  // The two decimal digits after the page in "PN": the place of the sub-page in its carousel.
  int SubPageIndex = 0;
  // "SC": the sub-code sent in the header, four hexadecimal digits.
  std::optional<int> SubCode;
  // "PS": the header control bits and the transmit flag, four hexadecimal digits.
  std::optional<int> PageStatus;
  // "CT": seconds (or magazine cycles) the sub-page stays on air, and 'T' (timed) or 'C'.
  std::optional<int> CycleTime;
  char CycleMode = 'T';
  // "FL": red, green, yellow, cyan, link 4 and index, each a page address; 0x8FF means none.
  std::optional<std::array<int, 6>> Links;
  // Cells of rows 0..24, 7-bit codes; a row the file does not give is spaces.
  std::array<std::uint8_t, kTtiRows * kPageColumns> Cells{};
  std::array<bool, kTtiRows> HasRow{};

  TTtiPage() { Cells.fill(0x20); }

  std::uint8_t& Cell(int row, int column) { return Cells[row * kPageColumns + column]; }
  std::uint8_t Cell(int row, int column) const { return Cells[row * kPageColumns + column]; }

  // The page number as the operator writes it: three hexadecimal digits ("101", "1FF").
  std::string PageText() const;
  // The character set code of the national option bits C12..C14 in "PS" (bits 7..9), or
  // nothing when the sub-page has no "PS".
  std::optional<int> CharSet() const;
  // Rows 1..23 as one of our pages; row 0 spaces, the character set from CharSet() or
  // defaultCharSet.
  TPrestPage ToPage(int defaultCharSet) const;
};

// A TTI page file: text lines "TAG,value" ending in CR LF, a page's sub-pages one after the
// other, each starting with its own "PN". Open inserters read these files and web editors
// write them, so this is outside input: the reader never trusts a length or a number.
class TTtiFile {
 public:
  // A page file of more than this is no page file; reading refuses it with a clear error.
  static constexpr std::size_t kMaxFileBytes = 8 * 1024 * 1024;
  // The link value that stands for "no page".
  static constexpr int kNoLink = 0x8FF;

  // "DE": what the page is about.
  std::string Description;
  std::vector<TTtiPage> Pages;

  // Reads the text of a page file; sourceName names it in errors. Lines may end in CR LF or
  // LF. Known tags are checked; unknown tags (other inserters' extensions) are skipped. Throws
  // tavrel::Error naming the source and the line for a malformed "PN", "SC", "PS", "CT" or
  // "FL", a row outside 0..29, a row longer than 40 cells, or a file without rows.
  static TTtiFile Parse(std::string_view text, const std::string& sourceName);
  // Parse over the whole file at path, refusing files over kMaxFileBytes.
  static TTtiFile Read(const std::string& path);

  // The file text, CR LF after every line: "DE" once, then for every sub-page "PN", "SC",
  // "PS", "CT" (when set), one "OL" line per row it has that is not all spaces, and "FL"
  // (when set). A control code below 0x20 is written as ESC followed by the code plus 0x40.
  std::string Text() const;
  // Writes Text() to path, replacing the file atomically. Throws tavrel::Error naming it.
  void Save(const std::string& path) const;
};

}  // namespace tavrel
