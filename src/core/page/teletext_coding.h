#pragma once

#include <array>
#include <cstdint>

namespace tavrel {

// Hamming 8/4 code byte of a 4-bit value. The data bits D1..D4 travel at bit positions 1, 3, 5
// and 7; the protection bits P1..P4 at positions 0, 2, 4 and 6 are set so that each of the
// three checks below and the whole byte have odd parity. A receiver can then correct any single
// bit error and detect a double one, which is why addresses and control bits use this code.
constexpr std::uint8_t Hamming84Encode(unsigned value) {
  const unsigned d1 = value & 1;
  const unsigned d2 = (value >> 1) & 1;
  const unsigned d3 = (value >> 2) & 1;
  const unsigned d4 = (value >> 3) & 1;
  const unsigned p1 = 1 ^ d1 ^ d3 ^ d4;
  const unsigned p2 = 1 ^ d1 ^ d2 ^ d4;
  const unsigned p3 = 1 ^ d1 ^ d2 ^ d3;
  const unsigned p4 = 1 ^ p1 ^ d1 ^ p2 ^ d2 ^ p3 ^ d3 ^ d4;
  return static_cast<std::uint8_t>(p1 | d1 << 1 | p2 << 2 | d2 << 3 | p3 << 4 | d3 << 5 | p4 << 6 |
                                   d4 << 7);
}

// Odd-parity byte of a 7-bit character: the character itself when it already has an odd number
// of one bits, otherwise with bit 7 set. Bit 7 of the input carries no meaning and is dropped.
constexpr std::uint8_t OddParity(unsigned character) {
  const unsigned value = character & 0x7F;
  unsigned ones = 0;
  for (unsigned bits = value; bits != 0; bits >>= 1) ones += bits & 1;
  return static_cast<std::uint8_t>(ones % 2 == 1 ? value : value | 0x80);
}

// Maps each 4-bit value (0..15) to its Hamming 8/4 code byte.
inline constexpr std::array<std::uint8_t, 16> kHamming84 = [] {
  std::array<std::uint8_t, 16> table{};
  for (unsigned value = 0; value < table.size(); ++value) table[value] = Hamming84Encode(value);
  return table;
}();

// Maps each 7-bit character (0..127) to its odd-parity byte.
inline constexpr std::array<std::uint8_t, 128> kOddParity = [] {
  std::array<std::uint8_t, 128> table{};
  for (unsigned value = 0; value < table.size(); ++value) table[value] = OddParity(value);
  return table;
}();

// Known code bytes of the teletext standard, so a slip in the equations fails the build.
static_assert(kHamming84[0x0] == 0x15);
static_assert(kHamming84[0x1] == 0x02);
static_assert(kHamming84[0x2] == 0x49);
static_assert(kHamming84[0x8] == 0xD0);
static_assert(kHamming84[0x9] == 0xC7);
static_assert(kHamming84[0xF] == 0xEA);
static_assert(kOddParity[0x20] == 0x20);
static_assert(kOddParity[0x30] == 0xB0);
static_assert(kOddParity[0x31] == 0x31);
static_assert(kOddParity[0x00] == 0x80);
static_assert(OddParity(0x83) == kOddParity[0x03]);  // A set bit 7 of a cell is not sent.

}  // namespace tavrel
