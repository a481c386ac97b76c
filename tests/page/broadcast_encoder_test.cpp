#include "page/broadcast_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <vector>

#include "support/error.h"
#include "testing/page_records.h"

namespace tavrel {
namespace {

using tavrel::testing::DecodeHamming;

// The byte a 7-bit character goes out as, by counting its bits.
std::uint8_t ExpectedParityByte(std::uint8_t cell) {
  const std::uint8_t c = cell & 0x7F;
  return std::popcount(c) % 2 == 1 ? c : static_cast<std::uint8_t>(c | 0x80);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(BroadcastEncoder, HeaderPacketCarriesAddressControlBitsAndPageNumber) {
  struct Case {
    const char* name;
    const char* page;
    const char* subPage;
    int charset;
    std::function<void(TTransPage&)> adjust;
    // Data nibbles of header bytes 0..9 as a receiver decodes them.
    std::array<int, 10> nibbles;
  };
  const auto none = [](TTransPage&) {};
  const std::vector<Case> cases = {
      {"page 100 German", "100", "0000", 8, none, {1, 0, 0, 0, 0, 0, 0, 0, 2, 9}},
      {"magazine 8 goes out as 0", "899", "0000", 8, none, {0, 0, 9, 9, 0, 0, 0, 0, 2, 9}},
      {"sub-page 0012", "100", "0012", 8, none, {1, 0, 0, 0, 2, 1, 0, 0, 2, 9}},
      {"widest sub-code", "345", "3F7F", 0, none, {3, 0, 5, 4, 15, 7, 15, 3, 2, 1}},
      {"French sets C12", "100", "0000", 2, none, {1, 0, 0, 0, 0, 0, 0, 0, 2, 3}},
      {"Swedish sets C13", "100", "0000", 4, none, {1, 0, 0, 0, 0, 0, 0, 0, 2, 5}},
      {"Italian sets C13 and C14", "100", "0000", 12, none, {1, 0, 0, 0, 0, 0, 0, 0, 2, 13}},
      {"bit 0 and bits above 3 of the charset are ignored",
       "100",
       "0000",
       0x19,
       none,
       {1, 0, 0, 0, 0, 0, 0, 0, 2, 9}},
      {"every control bit flipped",
       "712",
       "0000",
       0,
       [](TTransPage& p) {
         p.ErasePage = p.Newsflash = p.Subtitle = p.SuppressHeader = true;
         p.InterruptedSequence = p.InhibitDisplay = true;
         p.UpdateIndicator = p.MagazineSerial = false;
       },
       {7, 0, 2, 1, 0, 8, 0, 12, 13, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTransPage page;
    page.PageText = c.page;
    page.SubPageText = c.subPage;
    page.SetCharset(c.charset);
    c.adjust(page);
    const TBroadcastRecord image = page.Encode();
    for (int i = 0; i < 10; ++i) {
      SCOPED_TRACE("header byte " + std::to_string(i));
      EXPECT_EQ(DecodeHamming(image[i]), c.nibbles[i]);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(image[10 + i], ExpectedParityByte(c.page[i]));
    for (int i = 13; i < kPacketBytes; ++i) EXPECT_EQ(image[i], 0x20) << "byte " << i;
  }
}

TEST(BroadcastEncoder, Page100HeaderHasTheKnownBytes) {
  TTransPage page;
  page.PageText = "100";
  page.SubPageText = "0000";
  page.SetCharset(8);
  const TBroadcastRecord image = page.Encode();
  // The header packet: 13 known bytes, then spaces, held in arrays of the packet's size (a vector
  // grown to that size made g++ 12 at -O3 see a copy out of bounds that never happens).
  constexpr std::array<std::uint8_t, 13> kKnown = {0x02, 0x15, 0x15, 0x15, 0x15, 0x15, 0x15,
                                                   0x15, 0x49, 0xC7, 0x31, 0xB0, 0xB0};
  std::array<std::uint8_t, kPacketBytes> expected{};
  expected.fill(0x20);
  std::copy(kKnown.begin(), kKnown.end(), expected.begin());
  std::array<std::uint8_t, kPacketBytes> header{};
  std::copy_n(image.begin(), kPacketBytes, header.begin());
  EXPECT_EQ(header, expected);
}

TEST(BroadcastEncoder, RowPacketsCarryAddressAndParityCodedCells) {
  struct Case {
    const char* name;
    bool skipBlankRows;
    std::vector<std::uint8_t> row;  // padded with spaces to 40 cells
    bool expectZeroPacket;
  };
  const std::vector<Case> cases = {
      {"0x83 goes out as P(0x03)", false, {0x83, 0x41, 0x03}, false},
      {"blank row stays a row of parity spaces", false, {}, false},
      {"blank row skipped when asked", true, {}, true},
      {"spaces with bit 7 set count as blank", true, std::vector<std::uint8_t>(40, 0xA0), true},
      {"a row with text is never skipped", true, {0x20, 0x20, 0x2E}, false},
      {"control codes are sent as cells", true, {0x00, 0x0D, 0x1F, 0x7F}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int row = 1; row < kPageRows; ++row) {
      SCOPED_TRACE("row " + std::to_string(row));
      TTransPage page;
      page.PageText = "899";
      page.SubPageText = "0001";
      page.SkipBlankRows = c.skipBlankRows;
      std::vector<std::uint8_t> cells = c.row;
      cells.resize(kPageColumns, 0x20);
      std::copy(cells.begin(), cells.end(), page.Cells.begin() + row * kPageColumns);
      const TBroadcastRecord image = page.Encode();
      const std::uint8_t* packet = image.data() + row * kPacketBytes;
      if (c.expectZeroPacket) {
        EXPECT_EQ(std::count(packet, packet + kPacketBytes, 0), kPacketBytes);
        continue;
      }
      // Magazine 8 (sent as 0) in bits 1..3 of the first byte, row bit 0 in bit 4, then the
      // other row bits.
      EXPECT_EQ(DecodeHamming(packet[0]), (row & 1) << 3);
      EXPECT_EQ(DecodeHamming(packet[1]), row >> 1);
      for (int column = 0; column < kPageColumns; ++column) {
        EXPECT_EQ(packet[2 + column], ExpectedParityByte(cells[column])) << "column " << column;
      }
    }
  }
}

TEST(BroadcastEncoder, RowAddressUsesTheMagazineOfThePage) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"100", 1}, {"245", 2}, {"777", 7}, {"800", 0}};
  for (const auto& [pageText, magazine] : cases) {
    SCOPED_TRACE(pageText);
    TTransPage page;
    page.PageText = pageText;
    page.SubPageText = "0000";
    const TBroadcastRecord image = page.Encode();
    EXPECT_EQ(DecodeHamming(image[0]), magazine);
    EXPECT_EQ(DecodeHamming(image[5 * kPacketBytes]), magazine | 8);
    EXPECT_EQ(DecodeHamming(image[23 * kPacketBytes]), magazine | 8);
    EXPECT_EQ(DecodeHamming(image[23 * kPacketBytes + 1]), 11);
  }
}

TEST(BroadcastEncoder, RefusesAddressesThatWouldReachAnotherPage) {
  struct Case {
    const char* page;
    const char* subPage;
    const char* message;
  };
  const char* pageRange = "cannot be broadcast: page numbers run from 100 to 899";
  const char* subRange =
      "cannot be broadcast: a sub-page is four hexadecimal digits from 0000 to 3F7F";
  const std::vector<Case> cases = {
      {"900", "0000", pageRange},  {"099", "0000", pageRange}, {"0", "0000", pageRange},
      {"1000", "0000", pageRange}, {"", "0000", pageRange},    {"1A0", "0000", pageRange},
      {" 99", "0000", pageRange},  {"-12", "0000", pageRange}, {"100", "12", subRange},
      {"100", "", subRange},       {"100", "00000", subRange}, {"100", "4000", subRange},
      {"100", "0080", subRange},   {"100", "00G0", subRange},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page) + "/" + c.subPage);
    TTransPage page;
    page.PageText = c.page;
    page.SubPageText = c.subPage;
    const bool pageIsBad = std::string(c.message) == pageRange;
    const std::string expected = pageIsBad
                                     ? "page number \"" + std::string(c.page) + "\" " + c.message
                                     : "sub-page \"" + std::string(c.subPage) + "\" " + c.message;
    try {
      page.Encode();
      ADD_FAILURE() << "encoded";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), expected);
    }
  }
}

TEST(BroadcastEncoder, MatchesTheGoldenRecord) {
  // The golden record was computed from the coding rules by tests/data/pipeline/
  // make_golden_page.py, not by this encoder.
  const std::string dir = std::string(TAVREL_TEST_DATA_DIR) + "/pipeline/";
  const std::vector<std::uint8_t> cells = ReadBytes(dir + "golden_page.cells");
  const std::vector<std::uint8_t> golden = ReadBytes(dir + "golden_page.pag");
  ASSERT_EQ(cells.size(), static_cast<std::size_t>(kPageCells));
  ASSERT_EQ(golden.size(), static_cast<std::size_t>(kPagRecordBytes));

  TTransPage page;
  std::copy(cells.begin(), cells.end(), page.Cells.begin());
  page.PageText = "899";
  page.SubPageText = "0012";
  page.SetCharset(4);
  const TBroadcastRecord image = page.Encode();
  for (int i = 0; i < kPagRecordBytes; ++i) {
    ASSERT_EQ(image[i], golden[i]) << "byte " << i << " (packet " << i / kPacketBytes << ")";
  }
}

}  // namespace
}  // namespace tavrel
