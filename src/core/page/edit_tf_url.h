#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "page/page_record.h"

namespace tavrel {

// A page as the web editor edit.tf keeps it in its address: the fragment "#<digit>:<data>",
// the digit giving the character generator's set in its low three bits and "black foreground
// allowed" in its top bit, the data being base64url of 7 bits per cell, row r column c at bit
// 280r + 7c, most significant bit first. Editors of 2015 and later write 25 rows (1,167
// digits, two bits left over), older ones 24 (1,120 digits). More ":" parts may follow; they
// hold editor metadata and are kept as they are.
struct TEditTfPage {
  static constexpr int kRows = 25;
  static constexpr int kDigits24Rows = 1120;
  static constexpr int kDigits25Rows = 1167;
  // Addresses longer than this are no page; parsing refuses them before looking further.
  static constexpr std::size_t kMaxUrlLength = 64 * 1024;

  // 7-bit codes of rows 0..24; rows the address does not give are spaces.
  std::array<std::uint8_t, kRows * kPageColumns> Cells{};
  // The character generator set, 0..7: English, German, Swedish, Italian, Belgian (French),
  // US ASCII, Hebrew, Cyrillic. This is the editor's own numbering, not the national option
  // bits of a page header.
  int CharacterSet = 0;
  bool BlackForeground = false;
  // Everything after the data part, from its ":" on ("" when none).
  std::string MoreParts;

  TEditTfPage() { Cells.fill(0x20); }

  std::uint8_t& Cell(int row, int column) { return Cells[row * kPageColumns + column]; }
  std::uint8_t Cell(int row, int column) const { return Cells[row * kPageColumns + column]; }

  // Reads a whole address ("https://edit.tf/#0:..."), a fragment ("#0:...") or the bare
  // hashstring ("0:..."). Throws tavrel::Error naming the part that is wrong: the character
  // set digit, the length of the data, or the first character that is not base64url.
  static TEditTfPage Parse(std::string_view url);

  // The fragment "#<digit>:<data>" with 24 rows (1,120 digits) and MoreParts after it.
  std::string Fragment() const;
  // The address to open in the editor: "https://edit.tf/" + Fragment().
  std::string Url() const;

  // Our character set code for the editor's set, or -1 when we have no such set.
  static int CharSetFromEditTf(int characterSet);
  // The editor's set for our character set code, or -1 when it has none (Spanish).
  static int EditTfFromCharSet(int charSet);

  // Rows 1..23 as one of our pages; row 0 spaces.
  TPrestPage ToPage(int charSet) const;
  // A page's rows 0..23, row 24 spaces; the set from the page's character set, English when
  // the editor has no such set.
  static TEditTfPage FromPage(const TPrestPage& page);
};

}  // namespace tavrel
