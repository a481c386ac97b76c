#include "page/row_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tavrel {
namespace {

// Grid cells the decoder must not touch keep this marker.
constexpr TPrestCell kUntouched = 0xBEEF;

struct TExpectedCell {
  int Row;
  int Column;
  TPrestCell Word;
};

struct TDecodeRowCase {
  const char* Name;
  int Row;
  bool ShowCodes;
  std::vector<std::uint8_t> Bytes;  // the start of the row; the rest is spaces
  bool DoubleHeight;
  std::vector<TExpectedCell> Expected;
};

std::array<std::uint8_t, kPageColumns> RowOf(const std::vector<std::uint8_t>& start) {
  std::array<std::uint8_t, kPageColumns> row;
  row.fill(0x20);
  for (std::size_t i = 0; i < start.size() && i < row.size(); ++i) row[i] = start[i];
  return row;
}

// Every expected word below was worked out by hand from the attribute rules: high byte =
// background x 16 + foreground, + 8 for double height, + 0x80 for flash.
const std::vector<TDecodeRowCase> kDecodeRowCases = {
    {"text only is white on black",
     1,
     false,
     {'H', 'i'},
     false,
     {{1, 0, 0x0748}, {1, 1, 0x0769}, {1, 39, 0x0720}, {2, 0, kUntouched}}},
    {"alpha red colours the next cell, not its own",
     1,
     false,
     {0x01, 'A'},
     false,
     {{1, 0, 0x0720}, {1, 1, 0x0141}, {1, 2, 0x0120}}},
    {"new background applies at its own cell",
     4,
     false,
     {0x12, 0x1D, 0x14, 0x7F},
     false,
     {{4, 0, 0x0720}, {4, 1, 0x2220}, {4, 2, 0x2220}, {4, 3, 0x24FF}, {4, 4, 0x24A0}}},
    {"contiguous full block", 1, false, {0x17, 0x7F}, false, {{1, 1, 0x07FF}}},
    {"separated full block",
     1,
     false,
     {0x17, 0x1A, 0x7F, 0x19, 0x7F},
     false,
     {{1, 2, 0x07DF}, {1, 3, 0x0720}, {1, 4, 0x07FF}}},
    {"separated low mosaic keeps its range",
     1,
     false,
     {0x17, 0x1A, 0x21, 0x3F},
     false,
     {{1, 2, 0x0781}, {1, 3, 0x079F}}},
    {"blast-through capital is text and drops the held mosaic",
     1,
     false,
     {0x11, 0x7F, 0x41, 0x1E},
     false,
     {{1, 1, 0x01FF}, {1, 2, 0x0141}, {1, 3, 0x01A0}}},
    {"hold after a mosaic repeats it in the hold and the next control cell",
     1,
     false,
     {0x11, 0x7F, 0x1E, 0x02, 'A'},
     false,
     {{1, 1, 0x01FF}, {1, 2, 0x01FF}, {1, 3, 0x01FF}, {1, 4, 0x0241}}},
    {"hold after a control code starts with the next cell and empty",
     1,
     false,
     {0x11, 0x7F, 0x19, 0x1E, 0x01, 'B'},
     false,
     {{1, 2, 0x0120}, {1, 3, 0x0120}, {1, 4, 0x01A0}, {1, 5, 0x0142}}},
    {"hold follows separation changes of its own cell",
     1,
     false,
     {0x11, 0x7F, 0x1E, 0x1A, 0x19, 0x7F},
     false,
     {{1, 2, 0x01FF}, {1, 3, 0x01FF}, {1, 4, 0x01DF}, {1, 5, 0x01FF}}},
    {"release ends hold after its own cell",
     1,
     false,
     {0x11, 0x7F, 0x1E, 0x1F, 0x12},
     false,
     {{1, 2, 0x01FF}, {1, 3, 0x01FF}, {1, 4, 0x0120}}},
    {"new background clears the held mosaic",
     1,
     false,
     {0x11, 0x7F, 0x1E, 0x1D, 0x12},
     false,
     {{1, 2, 0x01FF}, {1, 3, 0x11A0}, {1, 4, 0x11A0}}},
    {"steady applies at its own cell",
     1,
     false,
     {0x08, 'A', 0x09, 'B'},
     false,
     {{1, 0, 0x0720}, {1, 1, 0x8741}, {1, 2, 0x0720}, {1, 3, 0x0742}}},
    {"black background applies at its own cell",
     1,
     false,
     {0x01, 0x1D, 'A', 0x1C, 'B'},
     false,
     {{1, 1, 0x1120}, {1, 2, 0x1141}, {1, 3, 0x0120}, {1, 4, 0x0142}}},
    {"conceal, boxes and escape are spaces and hide nothing",
     1,
     false,
     {0x01, 0x18, 'A', 0x0A, 0x0B, 0x1B, 'B'},
     false,
     {{1, 1, 0x0120}, {1, 2, 0x0141}, {1, 3, 0x0120}, {1, 5, 0x0120}, {1, 6, 0x0142}}},
    {"bit 7 carries no meaning",
     1,
     false,
     {0x81, 0xC1, 0x9D},
     false,
     {{1, 0, 0x0720}, {1, 1, 0x0141}, {1, 2, 0x1120}}},
    {"colours, flash and double height make up the high byte",
     1,
     false,
     {0x04, 0x1D, 0x03, 0x08, 0x0D, 'Z'},
     true,
     {{1, 5, 0xCB5A}, {2, 5, 0xCBDA}}},
    {"double height writes lower halves into the next row",
     5,
     false,
     {'X', 0x0D, 'A', 0x0C, 'B'},
     true,
     {{5, 0, 0x0758},
      {6, 0, 0x0720},
      {5, 1, 0x0720},
      {6, 1, 0x0780},
      {5, 2, 0x0F41},
      {6, 2, 0x0FC1},
      {5, 3, 0x0F20},
      {6, 3, 0x0F80},
      {5, 4, 0x0742},
      {6, 4, 0x0720},
      {6, 39, 0x0720},
      {7, 0, kUntouched}}},
    {"double size counts as double height, double width as normal",
     2,
     false,
     {0x0F, 'A', 0x0E, 'B'},
     true,
     {{2, 1, 0x0F41}, {3, 1, 0x0FC1}, {2, 3, 0x0742}, {3, 3, 0x0720}}},
    {"double-height mosaics split into upper and lower sixels",
     2,
     false,
     {0x0D, 0x17, 0x7F, 0x1A, 0x7F, 0x27},
     true,
     {{2, 2, 0x0F0F},
      {3, 2, 0x0F8F},
      {2, 4, 0x0F1F},
      {3, 4, 0x0F9F},
      {2, 5, 0x0F17},
      {3, 5, 0x0F91}}},
    {"double-height blast-through is a text half",
     2,
     false,
     {0x0D, 0x17, 0x41},
     true,
     {{2, 2, 0x0F41}, {3, 2, 0x0FC1}}},
    {"double-height hold repeats both halves",
     2,
     false,
     {0x0D, 0x17, 0x27, 0x1E},
     true,
     {{2, 3, 0x0F07}, {3, 3, 0x0F81}}},
    {"double height on the last row is ignored",
     23,
     false,
     {0x0D, 'A'},
     false,
     {{23, 0, 0x0720}, {23, 1, 0x0741}, {24, 0, kUntouched}, {24, 1, kUntouched}}},
    {"show codes draws each control code black on green",
     1,
     true,
     {0x01, 'A', 0x1D, 'B', 0x1C},
     false,
     {{1, 0, 0x2001}, {1, 1, 0x0141}, {1, 2, 0x201D}, {1, 3, 0x1142}, {1, 4, 0x201C}}},
    {"show codes wins over hold",
     1,
     true,
     {0x11, 0x7F, 0x1E},
     false,
     {{1, 1, 0x01FF}, {1, 2, 0x201E}}},
    {"show codes lower half of the double-height code",
     3,
     true,
     {0x0D, 'A'},
     true,
     {{3, 0, 0x200D}, {4, 0, 0x0780}, {3, 1, 0x0F41}, {4, 1, 0x0FC1}}},
};

TEST(RowDecoderTest, DecodeRowProducesExactCellWords) {
  for (const TDecodeRowCase& testCase : kDecodeRowCases) {
    SCOPED_TRACE(testCase.Name);
    std::vector<TPrestCell> grid(kCellGridSize, kUntouched);
    const auto row = RowOf(testCase.Bytes);
    EXPECT_EQ(DecodeRow(row, testCase.Row, testCase.ShowCodes, grid), testCase.DoubleHeight);
    for (const TExpectedCell& expected : testCase.Expected) {
      SCOPED_TRACE("row " + std::to_string(expected.Row) + " column " +
                   std::to_string(expected.Column));
      EXPECT_EQ(grid[expected.Row * kPageColumns + expected.Column], expected.Word);
    }
  }
}

struct TDecodePageCase {
  const char* Name;
  int FirstRow;
  std::vector<std::pair<int, std::vector<std::uint8_t>>> Rows;  // page row, its start
  std::vector<TExpectedCell> Expected;
};

const std::vector<TDecodePageCase> kDecodePageCases = {
    {"the row after a double-height row is not decoded",
     1,
     {{5, {0x0D, 'A'}}, {6, {'Q'}}, {7, {'R'}}},
     {{5, 1, 0x0F41}, {6, 0, 0x0780}, {6, 1, 0x0FC1}, {7, 0, 0x0752}, {1, 0, 0x0720}}},
    {"double height on row 22 covers row 23",
     1,
     {{22, {0x0D, 'A'}}, {23, {'Q'}}},
     {{22, 1, 0x0F41}, {23, 0, 0x0780}, {23, 1, 0x0FC1}, {24, 0, kUntouched}}},
    {"rows above the first row keep their value",
     3,
     {{0, {'P'}}, {2, {0x0D, 'A'}}, {3, {'B'}}},
     {{0, 0, kUntouched}, {2, 1, kUntouched}, {3, 0, 0x0742}}},
    {"consecutive double-height rows skip every second source row",
     1,
     {{1, {0x0D, 'A'}}, {2, {0x0D, 'X'}}, {3, {0x0D, 'B'}}},
     {{1, 1, 0x0F41}, {2, 1, 0x0FC1}, {3, 1, 0x0F42}, {4, 1, 0x0FC2}}},
};

TEST(RowDecoderTest, DecodePageSkipsRowsCoveredByDoubleHeight) {
  for (const TDecodePageCase& testCase : kDecodePageCases) {
    SCOPED_TRACE(testCase.Name);
    TPrestPage page = TPrestPage::Blank();
    for (const auto& [row, bytes] : testCase.Rows) {
      for (std::size_t c = 0; c < bytes.size(); ++c) page.Cell(row, static_cast<int>(c)) = bytes[c];
    }
    std::vector<TPrestCell> grid(kCellGridSize, kUntouched);
    DecodePage(page.Cells, testCase.FirstRow, false, grid);
    for (const TExpectedCell& expected : testCase.Expected) {
      SCOPED_TRACE("row " + std::to_string(expected.Row) + " column " +
                   std::to_string(expected.Column));
      EXPECT_EQ(grid[expected.Row * kPageColumns + expected.Column], expected.Word);
    }
  }
}

TEST(RowDecoderTest, RefusesRowsAndGridsOutsideThePage) {
  const auto spaces = RowOf({});
  const auto doubleHeight = RowOf({0x0D});
  const TPrestPage page = TPrestPage::Blank();
  struct TCase {
    const char* Name;
    int Row;
    const std::array<std::uint8_t, kPageColumns>* Bytes;
    std::size_t GridSize;
  };
  const std::vector<TCase> cases = {
      {"row below the page", 24, &spaces, kCellGridSize},
      {"negative row", -1, &spaces, kCellGridSize},
      {"grid ends before the row", 5, &spaces, 5 * kPageColumns},
      {"grid ends before the lower halves", 5, &doubleHeight, 6 * kPageColumns},
  };
  for (const TCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    std::vector<TPrestCell> grid(testCase.GridSize, kUntouched);
    EXPECT_THROW(DecodeRow(*testCase.Bytes, testCase.Row, false, grid), std::out_of_range);
  }
  std::vector<TPrestCell> small(kPageCells - 1);
  EXPECT_THROW(DecodePage(page.Cells, 1, false, small), std::out_of_range);
  std::vector<TPrestCell> grid(kCellGridSize);
  EXPECT_THROW(DecodePage(page.Cells, 24, false, grid), std::out_of_range);
}

}  // namespace
}  // namespace tavrel
