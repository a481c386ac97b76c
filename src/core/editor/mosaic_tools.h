#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "editor/edit_grid.h"
#include "editor/page_editor.h"
#include "page/row_decoder.h"

namespace tavrel {

// The page as a mosaic raster: every cell holds a 2 x 3 sextant graphic, so the 40 x 24 page
// has 80 x 72 pixels. Raster row py lies in grid row kFirstEditRow + py / 3.
inline constexpr int kMosaicWidth = 80;
inline constexpr int kMosaicHeight = 72;
// Most pixels one fill may keep on its stack.
inline constexpr int kFillStackLimit = 6000;

struct TRasterPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TRasterPoint&) const = default;
};

// How a pixel is written: Set turns it on, Invert toggles it, Erase turns it off.
enum class TPlotMode { Set, Invert, Erase };

// The mosaic code of one pixel: its sextant bit (1, 2, 4, 8, 16, 64 from top-left to
// bottom-right) with the mosaic bit 32.
std::uint8_t MosaicPixelBit(int px, int py);

// The raster pixel under a window position. While dragging, positions above or left of the
// page are held at pixel 0.
TRasterPoint MouseToRaster(int x, int y, bool dragging);

// Receives the pixels a shape is made of, in drawing order (a pixel may come twice).
using TPixelSink = std::function<void(int px, int py)>;

// Writes one pixel into the grid when it lies on the raster, in a cell between the margin and
// column 39 and rows 1..23, and that cell is in a graphics zone and holds no control code;
// elsewhere nothing changes.
// Erase also clears bit 7 of the cell.
void Plot(TEditGrid& grid, int leftMargin, int px, int py, TPlotMode mode);

// The shapes, pixel by pixel:
//  - a line from (x1, y1) to (x2, y2), the start pixel only with `plotStart`; nothing at all
//    when both ends are the same pixel;
//  - a rectangle outline with opposite corners start and current, every pixel once;
//  - a circle around start through current, in raster units.
void DrawLine(int x1, int y1, int x2, int y2, bool plotStart, const TPixelSink& sink);
void DrawRectangle(int xs, int ys, int xc, int yc, const TPixelSink& sink);
void DrawCircle(int xs, int ys, int xc, int yc, const TPixelSink& sink);

// Fills the 4-connected region of fillable pixels around (px0, py0): pixels that Plot may
// write and that are off (with `inverse`: on). The start pixel itself is written only when the
// search comes back to it, so a single enclosed pixel stays as it is. The search stops when its
// stack holds kFillStackLimit pixels. Answers the number of pixels written.
int FloodFill(TEditGrid& grid, int leftMargin, int px0, int py0, TPlotMode mode, bool inverse);

// The window rectangle the rubber-band preview inverts for a pixel, or nothing when the pixel
// lies left of the margin, right of column 39 or below row 23. A cell drawn as a separated
// mosaic shows its smaller blocks.
std::optional<TPixelRect> PreviewPixelRect(const std::array<TPrestCell, kCellGridSize>& display,
                                           int leftMargin, int px, int py);

}  // namespace tavrel
