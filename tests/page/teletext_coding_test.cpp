#include "page/teletext_coding.h"

#include <gtest/gtest.h>

#include <bit>

namespace tavrel {
namespace {

// The coding tables are checked against the receiver's view of the codes, not against a copy of
// themselves: a Hamming 8/4 byte must pass the four parity checks and give back its data bits,
// and any two code bytes must differ in at least four bits, so that one flipped bit is corrected
// and two are detected. Odd parity is checked byte by byte against the golden broadcast record.
TEST(TeletextCoding, HammingBytesPassTheParityChecksAndKeepTheirDistance) {
  for (unsigned value = 0; value < 16; ++value) {
    SCOPED_TRACE(value);
    const unsigned byte = kHamming84[value];
    auto bit = [byte](int position) { return (byte >> position) & 1; };
    EXPECT_EQ(bit(0) ^ bit(1) ^ bit(5) ^ bit(7), 1u) << "check A (P1 D1 D3 D4)";
    EXPECT_EQ(bit(2) ^ bit(1) ^ bit(3) ^ bit(7), 1u) << "check B (P2 D1 D2 D4)";
    EXPECT_EQ(bit(4) ^ bit(1) ^ bit(3) ^ bit(5), 1u) << "check C (P3 D1 D2 D3)";
    EXPECT_EQ(std::popcount(byte) % 2, 1) << "check D (whole byte)";
    EXPECT_EQ(bit(1) | bit(3) << 1 | bit(5) << 2 | bit(7) << 3, value) << "data bits";
    for (unsigned other = 0; other < value; ++other) {
      EXPECT_GE(std::popcount(byte ^ kHamming84[other]), 4) << "distance to " << other;
    }
  }
}

}  // namespace
}  // namespace tavrel
