#include "render/page_text.h"

#include <algorithm>
#include <array>

#include "page/national_charset.h"
#include "page/row_decoder.h"

namespace tavrel {

std::string PageText(const TPrestPage& page, int firstRow, int lastRow) {
  firstRow = std::clamp(firstRow, 0, kPageRows - 1);
  lastRow = std::clamp(lastRow, firstRow, kPageRows - 1);
  // The decoder knows which cells are text: a mosaic, the lower half of a double-height letter
  // and a control code all come out as glyphs outside 0x20..0x7E or as spaces. 0x7F is the
  // solid block, which says nothing to a reader either.
  std::array<TPrestCell, kCellGridSize> cells{};
  DecodePage(page.Cells, firstRow, false, cells);
  std::string text;
  for (int row = firstRow; row <= lastRow; ++row) {
    std::string line;
    for (int column = 0; column < kPageColumns; ++column) {
      const std::uint8_t glyph =
          CellGlyph(cells[static_cast<std::size_t>(row * kPageColumns + column)]);
      if (glyph < 0x20 || glyph >= 0x7F) {
        line += ' ';
        continue;
      }
      std::string shown(1, static_cast<char>(glyph));
      NationalCharText(glyph, page.CharSet, shown);
      line += shown;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    if (row > firstRow) text += '\n';
    text += line;
  }
  return text;
}

}  // namespace tavrel
