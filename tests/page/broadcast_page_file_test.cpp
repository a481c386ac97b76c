#include "page/broadcast_page_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "testing/temp_folder.h"
#include "support/error.h"

namespace tavrel {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

// Teletext Hamming 8/4 from its parity equations: D1..D4 at bits 1, 3, 5, 7, the protection
// bits P1..P3 at bits 0, 2, 4 and P4 at bit 6 making the whole byte odd parity.
std::uint8_t Hamming84(int nibble) {
  const int d1 = nibble & 1, d2 = (nibble >> 1) & 1, d3 = (nibble >> 2) & 1, d4 = (nibble >> 3) & 1;
  const int p1 = 1 ^ d1 ^ d3 ^ d4;
  const int p2 = 1 ^ d1 ^ d2 ^ d4;
  const int p3 = 1 ^ d1 ^ d2 ^ d3;
  const int p4 = 1 ^ p1 ^ d1 ^ p2 ^ d2 ^ p3 ^ d3 ^ d4;
  return static_cast<std::uint8_t>(p1 | d1 << 1 | p2 << 2 | d2 << 3 | p3 << 4 | d3 << 5 | p4 << 6 |
                                   d4 << 7);
}

std::uint8_t OddParity(std::uint8_t c) {
  return std::popcount(static_cast<unsigned>(c & 0x7F)) % 2 == 1 ? c & 0x7F : (c & 0x7F) | 0x80;
}

// A broadcast record whose row r, column c holds the character (r * 7 + c) % 96 + 0x20, except
// a red alpha code at the start of every row, with the national option nibble in header byte 9.
std::string Record(int nationalNibble) {
  std::string record(kPagRecordBytes, '\0');
  for (int i = 0; i < kPacketBytes; ++i) record[i] = static_cast<char>(OddParity(0x20));
  record[9] = static_cast<char>(Hamming84(nationalNibble));
  for (int row = 1; row < kPageRows; ++row) {
    record[row * 42] = static_cast<char>(Hamming84(1 | (row & 1) << 3));
    record[row * 42 + 1] = static_cast<char>(Hamming84(row >> 1));
    for (int column = 0; column < kPageColumns; ++column) {
      const int cell = column == 0 ? 0x01 : (row * 7 + column) % 96 + 0x20;
      record[row * 42 + 2 + column] = static_cast<char>(OddParity(static_cast<std::uint8_t>(cell)));
    }
  }
  return record;
}

TEST(ReadPagFile, HammingOracleAgreesWithTheKnownCodeWords) {
  const std::vector<std::pair<int, std::uint8_t>> known = {
      {0, 0x15}, {1, 0x02}, {2, 0x49}, {7, 0x2F}, {8, 0xD0}, {9, 0xC7}, {15, 0xEA}};
  for (const auto& [nibble, coded] : known) {
    SCOPED_TRACE(nibble);
    EXPECT_EQ(Hamming84(nibble), coded);
  }
}

TEST(ReadPagFile, DecodesRowsAndCharacterSetOfEveryNationalOption) {
  // Nibble bits: C11 (ignored), C12, C13, C14; the code is C12 * 2 + C13 * 4 + C14 * 8.
  for (int nibble = 0; nibble < 16; ++nibble) {
    SCOPED_TRACE(nibble);
    TempFolder folder;
    const std::string path = folder / "100-0000.pag";
    WriteBytes(path, Record(nibble));
    TPrestPage page = TPrestPage::Blank(kCharSetItalian);
    page.Cell(0, 0) = 'X';
    page.FrameColor = 5;
    page.RowPrefixLength = 3;
    TPrestPageHeader header;
    ASSERT_TRUE(ReadPagFile(path, page, header));
    EXPECT_EQ(page.CharSet,
              ((nibble >> 1) & 1) * 2 + ((nibble >> 2) & 1) * 4 + ((nibble >> 3) & 1) * 8);
    EXPECT_EQ(header.Bytes[9], Hamming84(nibble));
    for (int column = 0; column < kPageColumns; ++column) EXPECT_EQ(page.Cell(0, column), 0x20);
    for (int row = 1; row < kPageRows; ++row) {
      EXPECT_EQ(page.Cell(row, 0), 0x01);
      for (int column = 1; column < kPageColumns; ++column) {
        ASSERT_EQ(page.Cell(row, column), (row * 7 + column) % 96 + 0x20) << row << "," << column;
      }
    }
    EXPECT_EQ(page.FrameColor, 0);
    EXPECT_EQ(page.RowPrefixLength, 0);
  }
}

TEST(ReadPagFile, HeaderByteNineExamples) {
  const std::vector<std::pair<std::uint8_t, int>> cases = {{0xC7, 8}, {0x02, 0}, {0x15, 0}};
  for (const auto& [byte9, charSet] : cases) {
    SCOPED_TRACE(static_cast<int>(byte9));
    TempFolder folder;
    std::string record = Record(0);
    record[9] = static_cast<char>(byte9);
    WriteBytes(folder / "p.pag", record);
    TPrestPage page;
    TPrestPageHeader header;
    ASSERT_TRUE(ReadPagFile(folder / "p.pag", page, header));
    EXPECT_EQ(page.CharSet, charSet);
  }
}

TEST(ReadPagFile, ShortOrUnreadableFilesAreErrorsNamingTheFile) {
  struct Case {
    const char* Name;
    std::size_t Size;
    std::string Message;  // after "<path>: "
  };
  const std::vector<Case> cases = {
      {"empty", 0, "too short for a broadcast page: 0 bytes, a page needs 1008"},
      {"header only", 42, "too short for a broadcast page: 42 bytes, a page needs 1008"},
      {"one byte short", 1007, "too short for a broadcast page: 1007 bytes, a page needs 1008"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string path = folder / "short.pag";
    WriteBytes(path, Record(8).substr(0, c.Size));
    TPrestPage page;
    TPrestPageHeader header;
    try {
      ReadPagFile(path, page, header);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), path + ": " + c.Message);
    }
  }
  TempFolder folder;
  TPrestPage page;
  TPrestPageHeader header;
  try {
    ReadPagFile(folder.Path(), page, header);
    ADD_FAILURE() << "a folder read as a page";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), folder.Path() + ": cannot read: Is a directory");
  }
}

TEST(ReadPagFile, MissingFileLeavesPageAndHeaderAlone) {
  TempFolder folder;
  TPrestPage page = TPrestPage::Blank(kCharSetSpanish);
  page.Cell(3, 3) = 'Q';
  const TPrestPage before = page;
  TPrestPageHeader header;
  header.Bytes.fill(0x55);
  EXPECT_FALSE(ReadPagFile(folder / "none.pag", page, header));
  EXPECT_EQ(page.Cells, before.Cells);
  EXPECT_EQ(page.CharSet, kCharSetSpanish);
  EXPECT_EQ(header.Bytes[0], 0x55);
}

TEST(ReadPagFile, LongerFileReadsItsFirstRecord) {
  TempFolder folder;
  WriteBytes(folder / "long.pag", Record(8) + std::string(500, '\x7F'));
  TPrestPage page;
  TPrestPageHeader header;
  ASSERT_TRUE(ReadPagFile(folder / "long.pag", page, header));
  EXPECT_EQ(page.CharSet, kCharSetGerman);
  EXPECT_EQ(page.Cell(23, 0), 0x01);
}

}  // namespace
}  // namespace tavrel
