#include "page/broadcast_encoder.h"

#include <algorithm>

#include "support/error.h"

namespace tavrel {

namespace {

constexpr std::uint8_t kSpace = 0x20;

// The value of a hexadecimal digit, or -1 for any other character.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The three digits (magazine, tens, units) of a page number text, checked to lie in 100..899.
std::array<int, 3> PageDigits(const std::string& text) {
  const bool decimal = text.size() == 3 && std::all_of(text.begin(), text.end(),
                                                       [](char c) { return c >= '0' && c <= '9'; });
  if (!decimal || !IsBroadcastPageNumber(std::stoi(text))) {
    throw Error("page number \"" + text + "\" cannot be broadcast: page numbers run from " +
                std::to_string(kFirstBroadcastPage) + " to " + std::to_string(kLastBroadcastPage));
  }
  return {text[0] - '0', text[1] - '0', text[2] - '0'};
}

// The four sub-code digits S4, S3, S2, S1 of a sub-page text. S4 has two bits and S2 three in
// the header, so larger digits would silently alias another sub-page and are refused.
std::array<int, 4> SubPageDigits(const std::string& text) {
  std::array<int, 4> digits{-1, -1, -1, -1};
  if (text.size() == 4) {
    for (int i = 0; i < 4; ++i) digits[i] = HexDigit(text[i]);
  }
  const bool valid = std::all_of(digits.begin(), digits.end(), [](int d) { return d >= 0; }) &&
                     digits[0] <= 3 && digits[2] <= 7;
  if (!valid) {
    throw Error("sub-page \"" + text +
                "\" cannot be broadcast: a sub-page is four hexadecimal digits from 0000 to 3F7F");
  }
  return digits;
}

bool IsBlankRow(const std::uint8_t* row) {
  return std::all_of(row, row + kPageColumns, [](std::uint8_t c) { return (c & 0x7F) == kSpace; });
}

}  // namespace

TTransPage::TTransPage() { Cells.fill(kSpace); }

void TTransPage::SetCharset(int code) {
  charset_ = code;
  NationalOptionC12 = (code & 0x2) != 0;
  NationalOptionC13 = (code & 0x4) != 0;
  NationalOptionC14 = (code & 0x8) != 0;
}

TBroadcastRecord TTransPage::Encode() const {
  const auto [magazineDigit, tens, units] = PageDigits(PageText);
  const auto [s4, s3, s2, s1] = SubPageDigits(SubPageText);
  // Magazine 8 has the address 0 on air.
  const int magazine = magazineDigit & 7;

  TBroadcastRecord image{};
  std::uint8_t* header = image.data();
  header[0] = kHamming84[magazine];  // packet address: magazine, row 0
  header[1] = kHamming84[0];
  header[2] = kHamming84[units];
  header[3] = kHamming84[tens];
  header[4] = kHamming84[s1];
  header[5] = kHamming84[s2 | ErasePage << 3];
  header[6] = kHamming84[s3];
  header[7] = kHamming84[s4 | Newsflash << 2 | Subtitle << 3];
  header[8] = kHamming84[SuppressHeader | UpdateIndicator << 1 | InterruptedSequence << 2 |
                         InhibitDisplay << 3];
  header[9] = kHamming84[MagazineSerial | NationalOptionC12 << 1 | NationalOptionC13 << 2 |
                         NationalOptionC14 << 3];
  // The page number shown in the header row; the server fills in the rest of that row.
  for (int i = 0; i < 3; ++i) header[10 + i] = kOddParity[PageText[i] & 0x7F];
  std::fill(header + 13, header + kPacketBytes, kOddParity[kSpace]);

  for (int row = 1; row < kPageRows; ++row) {
    std::uint8_t* packet = image.data() + row * kPacketBytes;
    const std::uint8_t* cells = Cells.data() + row * kPageColumns;
    if (SkipBlankRows && IsBlankRow(cells)) continue;  // stays 42 zero bytes
    // Packet address: the magazine and the low row bit in the first byte, the other four row
    // bits in the second.
    packet[0] = kHamming84[((row & 1) << 3) | magazine];
    packet[1] = kHamming84[(row >> 1) & 0x0F];
    for (int column = 0; column < kPageColumns; ++column) {
      packet[2 + column] = kOddParity[cells[column] & 0x7F];
    }
  }
  return image;
}

}  // namespace tavrel
