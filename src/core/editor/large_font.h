#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tavrel {

// A large font for lettering out of mosaics: 96 glyphs for the codes 0x20..0x7F, 9 bytes each,
// one byte a pixel row with bit 7 the leftmost pixel.
inline constexpr int kLargeFontGlyphRows = 9;
inline constexpr int kLargeFontGlyphCount = 96;
inline constexpr int kLargeFontFileSize = kLargeFontGlyphCount * kLargeFontGlyphRows;  // 864
inline constexpr int kLargeFontCount = 6;
// A large letter is three teletext rows high and at most five cells wide.
inline constexpr int kLargeGlyphCellRows = 3;
inline constexpr int kLargeGlyphMaxCells = 5;
// The half-cell positions of the cursor: on the left or on the right half of its cell.
inline constexpr int kHalfCellLeft = 14;
inline constexpr int kHalfCellRight = 15;

using TLargeFontGlyphs = std::array<std::uint8_t, kLargeFontFileSize>;

// "<folder>txtfont<number>.fnt": the folder keeps its trailing separator.
std::string LargeFontPath(const std::string& folder, int number);

// The operator's message when a large-font file cannot be read. It ends without a closing
// quote, as the operators have always seen it.
std::string LargeFontOpenError(const std::string& path);

// Reads exactly kLargeFontFileSize bytes from `path` into `glyphs`. Answers false, leaving
// `glyphs` unchanged, when the file is missing, unreadable, shorter or longer.
bool LoadLargeFont(const std::string& path, TLargeFontGlyphs& glyphs);

// One large letter cut into mosaic cells for the cursor's half-cell position.
struct TLargeGlyph {
  int Width = 0;      // pixel columns from the cell's left edge to the glyph's last ink column
  int CellCount = 0;  // cells the letter takes: (Width + 1) / 2, at most 5
  // Mosaic codes 0x20..0x7F, row by row, CellCount of each row used.
  std::array<std::array<std::uint8_t, kLargeGlyphMaxCells>, kLargeGlyphCellRows> Cells{};
};

// The sextant code of two pixel columns of three pixel rows: each argument holds a row's two
// pixels as bit 1 (left) and bit 0 (right).
constexpr std::uint8_t SextantCode(int top, int middle, int bottom) {
  return static_cast<std::uint8_t>(0x20 | ((top & 2) ? 1 : 0) | ((top & 1) ? 2 : 0) |
                                   ((middle & 2) ? 4 : 0) | ((middle & 1) ? 8 : 0) |
                                   ((bottom & 2) ? 16 : 0) | ((bottom & 1) ? 64 : 0));
}
static_assert(SextantCode(0, 0, 0) == 0x20);
static_assert(SextantCode(3, 3, 3) == 0x7F);
static_assert(SextantCode(2, 0, 1) == 0x61);

// Cuts the glyph of `code` (0x20..0x7F) into cells. Each pixel row is placed in a 10-pixel
// field whose bit 9 is the left half of the cursor cell: shifted left by 2 on the left half, by
// 1 on the right half, so a letter can start mid-cell. Codes outside 0x20..0x7F give an empty
// glyph.
TLargeGlyph BuildLargeGlyph(const TLargeFontGlyphs& glyphs, std::uint8_t code, int halfCell);

}  // namespace tavrel
