#pragma once

#include <array>
#include <cstdint>

namespace tavrel {

// Geometry of a teletext page: 24 rows of 40 cells. Row 0 is the header row, rows 1..23 the body.
inline constexpr int kPageRows = 24;
inline constexpr int kPageColumns = 40;
inline constexpr int kPageCells = kPageRows * kPageColumns;

// Character set codes: the national option bits C12..C14 at bit positions 1..3.
inline constexpr int kCharSetEnglish = 0;
inline constexpr int kCharSetFrench = 2;
inline constexpr int kCharSetSwedish = 4;
inline constexpr int kCharSetGerman = 8;
inline constexpr int kCharSetSpanish = 10;
inline constexpr int kCharSetItalian = 12;
inline constexpr int kDefaultCharSet = kCharSetGerman;

// The one in-memory teletext page every component works on. Passed around as whole copies.
// Cell bytes are 7-bit values; bit 7 carries no meaning and every reader masks it off.
struct TPrestPage {
  std::array<std::uint8_t, kPageCells> Cells{};
  std::uint8_t CharSet = kDefaultCharSet;
  std::uint8_t FrameColor = 0;
  std::uint8_t RowPrefixLength = 0;

  std::uint8_t& Cell(int row, int column) { return Cells[row * kPageColumns + column]; }
  std::uint8_t Cell(int row, int column) const { return Cells[row * kPageColumns + column]; }

  // A page of spaces in every cell, with the given character set.
  static TPrestPage Blank(int charSet = kDefaultCharSet) {
    TPrestPage page;
    page.Cells.fill(0x20);
    page.CharSet = static_cast<std::uint8_t>(charSet);
    return page;
  }
};

// An inclusive rectangle of cells (columns Left..Right, rows Top..Bottom), used for the text
// block of a template.
struct TTextBlock {
  int Left = 3;
  int Top = 6;
  int Right = 38;
  int Bottom = 22;

  int Width() const { return Right - Left + 1; }
  int Height() const { return Bottom - Top + 1; }
  bool operator==(const TTextBlock&) const = default;
};

}  // namespace tavrel
