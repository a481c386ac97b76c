#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrel::testing {

// The teletext Hamming 8/4 code word of a 4-bit value, built from its parity equations: data
// bits D1..D4 at bit positions 1, 3, 5, 7, protection bits at 0, 2, 4, 6, each check odd.
inline std::uint8_t Hamming84(int value) {
  const int d1 = value & 1, d2 = (value >> 1) & 1, d3 = (value >> 2) & 1, d4 = (value >> 3) & 1;
  const int p1 = 1 ^ d1 ^ d3 ^ d4;
  const int p2 = 1 ^ d1 ^ d2 ^ d4;
  const int p3 = 1 ^ d1 ^ d2 ^ d3;
  const int p4 = 1 ^ p1 ^ d1 ^ p2 ^ d2 ^ p3 ^ d3 ^ d4;
  return static_cast<std::uint8_t>(p1 | d1 << 1 | p2 << 2 | d2 << 3 | p3 << 4 | d3 << 5 | p4 << 6 |
                                   d4 << 7);
}

// Decodes a Hamming 8/4 byte with the receiver's parity checks rather than the encoder's table:
// bit positions 0..7 hold P1 D1 P2 D2 P3 D3 P4 D4, each check and the whole byte must have odd
// parity. Gives nothing when any check fails.
inline std::optional<int> DecodeHamming(std::uint8_t byte) {
  auto bit = [byte](int position) { return (byte >> position) & 1; };
  const int p1 = bit(0), d1 = bit(1), p2 = bit(2), d2 = bit(3), p3 = bit(4), d3 = bit(5),
            d4 = bit(7);
  const bool checksHold = (p1 ^ d1 ^ d3 ^ d4) == 1 && (p2 ^ d1 ^ d2 ^ d4) == 1 &&
                          (p3 ^ d1 ^ d2 ^ d3) == 1 && std::popcount(byte) % 2 == 1;
  if (!checksHold) return std::nullopt;
  return d1 | d2 << 1 | d3 << 2 | d4 << 3;
}

inline char WithOddParity(char c) {
  const auto byte = static_cast<std::uint8_t>(c & 0x7F);
  return static_cast<char>(__builtin_parity(byte) ? byte : (byte | 0x80));
}

// A broadcast page record of 24 packets of 42 bytes for page number page (e.g. 100), with text
// on its first body row, coded as a transmission server expects it: address bytes in Hamming
// 8/4, every character byte with odd parity. Enough for tests that send pages; the real
// encoder has tests of its own.
inline std::string PageRecord(int page, const std::string& text) {
  const int magazine = (page / 100) & 7;
  std::string record;
  for (int row = 0; row < 24; ++row) {
    record += static_cast<char>(Hamming84(magazine | (row & 1) << 3));
    record += static_cast<char>(Hamming84(row >> 1));
    std::string payload(40, ' ');
    if (row == 0) {
      payload[0] = static_cast<char>(Hamming84(page % 10));
      payload[1] = static_cast<char>(Hamming84(page / 10 % 10));
      for (int i = 2; i < 8; ++i) payload[i] = static_cast<char>(Hamming84(0));
      for (int i = 8; i < 40; ++i) payload[i] = WithOddParity(payload[i]);
    } else {
      if (row == 1) payload.replace(0, std::min<size_t>(text.size(), 40), text.substr(0, 40));
      for (char& c : payload) c = WithOddParity(c);
    }
    record += payload;
  }
  return record;
}

}  // namespace tavrel::testing
