#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "page/broadcast_page_file.h"
#include "page/page_record.h"
#include "page/teletext_coding.h"

namespace tavrel {

// One broadcast page record, the whole content of a ".pag" file.
using TBroadcastRecord = std::array<std::uint8_t, kPagRecordBytes>;

// The page numbers a transmission can carry: the magazine digit 1..8 and two more digits. A
// number outside this range would be sent under another page's address (900 goes out as
// magazine 1, page 00) and overwrite that page on air.
inline constexpr int kFirstBroadcastPage = 100;
inline constexpr int kLastBroadcastPage = 899;

constexpr bool IsBroadcastPageNumber(long long number) {
  return number >= kFirstBroadcastPage && number <= kLastBroadcastPage;
}

// Turns one finished teletext page into the 1008-byte image the transmission server puts on
// air: the page header packet with address and control bits, then one packet per body row.
// Create one per page, fill it, call Encode.
class TTransPage {
 public:
  TTransPage();

  // Rows 0..23 of 40 cells, row-major. Row 0 is not sent: the server writes its own header row.
  std::array<std::uint8_t, kPageCells> Cells{};
  // The page number as three decimal digits, 100..899.
  std::string PageText;
  // The sub-page as four hexadecimal digits, most significant first ("0000" for a single page).
  std::string SubPageText;

  // Header control bits, named after their meaning; the Cn comment is the bit of the header.
  bool ErasePage = false;            // C4
  bool Newsflash = false;            // C5
  bool Subtitle = false;             // C6
  bool SuppressHeader = false;       // C7
  bool UpdateIndicator = true;       // C8
  bool InterruptedSequence = false;  // C9
  bool InhibitDisplay = false;       // C10
  bool MagazineSerial = true;        // C11
  bool NationalOptionC12 = false;    // set by SetCharset
  bool NationalOptionC13 = false;
  bool NationalOptionC14 = false;

  // When on, a row of 40 spaces is sent as 42 zero bytes instead of a row packet.
  bool SkipBlankRows = false;

  // Stores a character set code and sets the national option bits from its bits 1..3
  // (C12 = bit 1, C13 = bit 2, C14 = bit 3); bit 0 and the bits above 3 are ignored.
  void SetCharset(int code);
  int Charset() const { return charset_; }

  // Builds the broadcast image. Throws Error when PageText is not a page number 100..899 or
  // SubPageText is not a sub-page 0000..3F7F: such a page would reach the wrong address.
  TBroadcastRecord Encode() const;

 private:
  int charset_ = kDefaultCharSet;
};

}  // namespace tavrel
