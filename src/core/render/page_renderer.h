#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "page/page_record.h"
#include "page/row_decoder.h"
#include "render/rgba_image.h"
#include "render/teletext_fonts.h"

namespace tavrel {

// Colour numbers 0..7 (black, red, green, yellow, blue, magenta, cyan, white) to the full-
// intensity colours of a teletext screen.
inline constexpr std::array<TRgb, 8> kTeletextPalette = {{
    {0, 0, 0},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

// Thickness in pixels of each bar of the frame around a page.
inline constexpr int kFrameThickness = 6;

// One flag per page row (highlighted rows, rows that flash).
using TRowFlags = std::array<bool, kPageRows>;

// The frame around a page of `rowCount` rows of 40 cells: four bars of palette colour
// `colourIndex` (taken modulo 8), each 6 pixels thick, around the cell area. `left` and `top`
// are the frame's outer corner, 6 pixels above and left of the first cell.
void DrawFrame(TRgbaImage& surface, int colourIndex, int left, int top, int rowCount, int cellWidth,
               int cellHeight);

// The glyph code in the national face (three groups of 78: single height, double-height upper
// halves, double-height lower halves; each group six language blocks of 13) for a glyph on a
// national position. Glyphs that are not national positions come back unchanged.
std::uint8_t NationalGlyph(int charSet, std::uint8_t glyph, bool doubleHeight);

// Whether a display cell of a page in character set `charSet` is drawn from the national face:
// any character set but English, and a glyph on one of the 13 national positions (or, in double
// height, the lower half of one).
bool IsNationalCell(int charSet, TPrestCell cell);

// Draws rows firstRow..lastRow of a grid of display cells (40 per row): the cell of row r,
// column c at x = xOrigin + c x cellWidth, y = yOrigin + r x cellHeight. Cells of equal
// attributes are drawn as one run, from the face the run needs. With `flashPhase` on, flashing
// cells show only their background. Rows with their `highlight` flag set are drawn with both
// colours inverted (XOR 7). Sets the row's `rowFlash` flag when any cell of the row flashes and
// clears it otherwise. Rows outside 0..23 or beyond the grid are skipped; drawing is clipped to
// the surface. A set whose faces are not loaded draws each cell as its background colour.
// Answers the number of runs drawn.
int DrawRows(TRgbaImage& surface, int firstRow, int lastRow, std::span<const TPrestCell> cells,
             int charSet, int xOrigin, int yOrigin, int cellWidth, int cellHeight,
             const TFontSet& fonts, bool flashPhase, TRowFlags& rowFlash,
             const TRowFlags& highlight = {});

// The text block frame of a template as the editor shows it: a white outline on the block's
// pixel rectangle and a black outline one pixel outside it. Cell positions as for DrawRows.
void DrawTextBlockFrame(TRgbaImage& surface, const TTextBlock& block, int xOrigin, int yOrigin,
                        int cellWidth, int cellHeight);

}  // namespace tavrel
