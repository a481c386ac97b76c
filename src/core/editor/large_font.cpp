#include "editor/large_font.h"

#include <algorithm>
#include <cstdio>

#include "support/file_utils.h"

namespace tavrel {

std::string LargeFontPath(const std::string& folder, int number) {
  return folder + "txtfont" + std::to_string(number) + ".fnt";
}

std::string LargeFontOpenError(const std::string& path) { return "Can not open file: \"" + path; }

bool LoadLargeFont(const std::string& path, TLargeFontGlyphs& glyphs) {
  UniqueFile file = OpenFile(path, "rb");
  if (!file) return false;
  TLargeFontGlyphs read{};
  if (std::fread(read.data(), 1, read.size(), file.get()) != read.size()) return false;
  // A longer file is not a large font of this layout: better an error than a wrong letter set.
  if (std::fgetc(file.get()) != EOF) return false;
  glyphs = read;
  return true;
}

TLargeGlyph BuildLargeGlyph(const TLargeFontGlyphs& glyphs, std::uint8_t code, int halfCell) {
  TLargeGlyph glyph;
  if (code < 0x20 || code > 0x7F) return glyph;
  const int shift = halfCell == kHalfCellRight ? 1 : 2;
  std::array<int, kLargeFontGlyphRows> rows{};
  int ink = 0;
  for (int r = 0; r < kLargeFontGlyphRows; ++r) {
    rows[r] = glyphs[(code - 0x20) * kLargeFontGlyphRows + r] << shift;
    ink |= rows[r];
  }
  for (int bit = 1; bit <= 9; ++bit) {
    if (ink & (1 << bit)) {
      glyph.Width = 10 - bit;
      break;
    }
  }
  glyph.CellCount = std::min((glyph.Width + 1) / 2, kLargeGlyphMaxCells);
  for (int cellRow = 0; cellRow < kLargeGlyphCellRows; ++cellRow) {
    for (int cell = 0; cell < glyph.CellCount; ++cell) {
      // The cell's two pixel columns: bits 9 and 8 for the first cell, 1 and 0 for the fifth.
      const int lowBit = 8 - 2 * cell;
      auto pair = [&](int pixelRow) { return (rows[cellRow * 3 + pixelRow] >> lowBit) & 3; };
      glyph.Cells[cellRow][cell] = SextantCode(pair(0), pair(1), pair(2));
    }
  }
  return glyph;
}

}  // namespace tavrel
