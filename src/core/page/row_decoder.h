#pragma once

#include <cstdint>
#include <span>

#include "page/page_record.h"

namespace tavrel {

// One display cell: everything the renderer needs to draw a cell without knowing about control
// codes.
//   bits 0..7   glyph code in the face chosen by bit 11
//   bits 8..10  foreground colour 0..7
//   bit 11      double height: draw from the double-height face
//   bits 12..14 background colour 0..7
//   bit 15      flash
using TPrestCell = std::uint16_t;

inline constexpr TPrestCell kCellDoubleHeightBit = 0x0800;
inline constexpr TPrestCell kCellFlashBit = 0x8000;

constexpr std::uint8_t CellGlyph(TPrestCell cell) { return static_cast<std::uint8_t>(cell & 0xFF); }
constexpr int CellForeground(TPrestCell cell) { return (cell >> 8) & 7; }
constexpr int CellBackground(TPrestCell cell) { return (cell >> 12) & 7; }
constexpr bool CellDoubleHeight(TPrestCell cell) { return (cell & kCellDoubleHeightBit) != 0; }
constexpr bool CellFlash(TPrestCell cell) { return (cell & kCellFlashBit) != 0; }

// A grid of display cells as the views keep it: 40 cells per row, room for every page row and
// a little spare, so a double-height row 22 can always write its lower halves into row 23.
inline constexpr int kCellGridSize = 1024;

// Decodes the 40 bytes of page row `row` (each masked to 7 bits) into the 40 display cells of
// that row of `cells` (index row x 40 + column). When the row holds a double-height code (and
// is not the last page row), the lower halves are written to the next grid row as well and the
// answer is true: the caller must then skip the next source row. In show-codes mode every
// control cell shows the symbol of its own code in black on green.
// Throws std::out_of_range when `row` is not a page row (0..23) or the grid cannot hold the
// rows that would be written.
bool DecodeRow(std::span<const std::uint8_t, kPageColumns> rowBytes, int row, bool showCodes,
               std::span<TPrestCell> cells);

// Decodes page rows `firstRow`..23 of a page's cell bytes into `cells`. A source row that
// follows a double-height row is not decoded: its grid row holds the lower halves. Grid cells
// the decoder does not reach keep their value. Throws std::out_of_range for a first row
// outside 0..23 or a grid smaller than the page.
void DecodePage(std::span<const std::uint8_t, kPageCells> pageCells, int firstRow, bool showCodes,
                std::span<TPrestCell> cells);

}  // namespace tavrel
