#include "editor/mosaic_tools.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "editor/edit_engine.h"
#include "page/cell_codes.h"

namespace tavrel {
namespace {

// Sextant bits without the mosaic bit 32; the ones a pixel can clear.
constexpr std::uint8_t kSextantMask = 0x5F;
constexpr std::array<std::uint8_t, 6> kPixelBits = {0x21, 0x22, 0x24, 0x28, 0x30, 0x60};

// Half-way values go to the even neighbour, as the rounding of the drawing routines always has.
int Nearest(double value) { return static_cast<int>(std::nearbyint(value)); }

bool Writable(const TEditGrid& grid, int leftMargin, int px, int py) {
  if (px < 0 || px >= kMosaicWidth || py < 0 || py >= kMosaicHeight) return false;
  const int column = px / 2;
  const int row = kFirstEditRow + py / 3;
  if (column < leftMargin || column >= kPageColumns || row > kLastEditRow) return false;
  // A pixel written into a control code would turn it into a mosaic character and change the
  // colours of the rest of the row: codes keep their cells.
  if ((grid.At(row, column) & kCellValueMask) < kSpaceCode) return false;
  return GraphicsZone(grid, row, column);
}

}  // namespace

std::uint8_t MosaicPixelBit(int px, int py) { return kPixelBits[(py % 3) * 2 + px % 2]; }

TRasterPoint MouseToRaster(int x, int y, bool dragging) {
  // Integer division of negative offsets truncates towards zero; only a drag clamps them.
  const int dx = x - kEditorPageLeft - 2;
  const int dy = y - kEditorPageTop;
  TRasterPoint point{dx * 2 / kEditorCellWidth,
                     (dy / kEditorCellHeight) * 3 + (dy % kEditorCellHeight) / 5};
  if (dragging) {
    point.X = std::max(point.X, 0);
    point.Y = std::max(point.Y, 0);
  }
  return point;
}

void Plot(TEditGrid& grid, int leftMargin, int px, int py, TPlotMode mode) {
  if (!Writable(grid, leftMargin, px, py)) return;
  std::uint8_t& cell = grid.At(kFirstEditRow + py / 3, px / 2);
  const std::uint8_t bit = MosaicPixelBit(px, py);
  switch (mode) {
    case TPlotMode::Set:
      cell |= bit;
      break;
    case TPlotMode::Invert:
      cell ^= bit & kSextantMask;
      break;
    case TPlotMode::Erase:
      cell &= bit ^ kSextantMask;
      break;
  }
}

void DrawLine(int x1, int y1, int x2, int y2, bool plotStart, const TPixelSink& sink) {
  if (x1 == x2 && y1 == y2) return;
  if (plotStart) sink(x1, y1);
  if (std::abs(y2 - y1) < std::abs(x2 - x1)) {
    const double slope = static_cast<double>(y2 - y1) / (x2 - x1);
    const int step = x2 > x1 ? 1 : -1;
    for (int x = x1 + step;; x += step) {
      sink(x, y1 + Nearest((x - x1) * slope));
      if (x == x2) break;
    }
  } else {
    const double slope = static_cast<double>(x2 - x1) / (y2 - y1);
    const int step = y2 > y1 ? 1 : -1;
    for (int y = y1 + step;; y += step) {
      sink(x1 + Nearest((y - y1) * slope), y);
      if (y == y2) break;
    }
  }
}

void DrawRectangle(int xs, int ys, int xc, int yc, const TPixelSink& sink) {
  DrawLine(xs, ys, xs, yc, false, sink);
  DrawLine(xs, yc, xc, yc, false, sink);
  DrawLine(xc, yc, xc, ys, false, sink);
  DrawLine(xc, ys, xs, ys, false, sink);
}

void DrawCircle(int xs, int ys, int xc, int yc, const TPixelSink& sink) {
  const long r2 = static_cast<long>(xc - xs) * (xc - xs) + static_cast<long>(yc - ys) * (yc - ys);
  for (int i = 0;; ++i) {
    const int t = Nearest(std::sqrt(static_cast<double>(r2 - static_cast<long>(i) * i)));
    if (i > 0) {
      sink(xs + i, ys + t);
      sink(xs + i, ys - t);
    }
    sink(xs - i, ys + t);
    sink(xs - i, ys - t);
    if (i != t) {
      if (i > 0) {
        sink(xs + t, ys + i);
        sink(xs - t, ys + i);
      }
      sink(xs + t, ys - i);
      sink(xs - t, ys - i);
    }
    if (!(i + 1 < t && i + 1 < kMosaicWidth)) break;
  }
}

int FloodFill(TEditGrid& grid, int leftMargin, int px0, int py0, TPlotMode mode, bool inverse) {
  auto fillable = [&](int px, int py) {
    if (!Writable(grid, leftMargin, px, py)) return false;
    const std::uint8_t bit = MosaicPixelBit(px, py);
    const bool on = (grid.At(kFirstEditRow + py / 3, px / 2) & bit) == bit;
    return inverse ? on : !on;
  };
  // Depth first with an explicit stack, bounded so that a fill that never ends (erasing what
  // is already off) still stops.
  std::vector<TRasterPoint> stack;
  stack.reserve(kFillStackLimit + 1);
  stack.push_back({px0, py0});
  if (!fillable(px0, py0)) return 0;
  int written = 0;
  constexpr std::array<TRasterPoint, 4> kNeighbours = {{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
  while (!stack.empty() && static_cast<int>(stack.size()) < kFillStackLimit) {
    const TRasterPoint top = stack.back();
    bool pushed = false;
    for (const TRasterPoint& d : kNeighbours) {
      const int x = top.X + d.X, y = top.Y + d.Y;
      if (!fillable(x, y)) continue;
      stack.push_back({x, y});
      Plot(grid, leftMargin, x, y, mode);
      ++written;
      pushed = true;
      break;
    }
    if (!pushed) stack.pop_back();
  }
  return written;
}

std::optional<TPixelRect> PreviewPixelRect(const std::array<TPrestCell, kCellGridSize>& display,
                                           int leftMargin, int px, int py) {
  const int column = px / 2;
  const int row = py / 3;
  if (px < 0 || py < 0 || column < leftMargin || column >= kPageColumns ||
      row > kLastEditRow - kFirstEditRow) {
    return std::nullopt;
  }
  const std::uint8_t glyph = CellGlyph(display[(kFirstEditRow + row) * kPageColumns + column]);
  const bool separated = (glyph >= 128 && glyph <= 159) || (glyph >= 192 && glyph <= 223);
  constexpr std::array<int, 3> kContiguousTop = {0, 5, 11}, kContiguousHeight = {5, 6, 5};
  constexpr std::array<int, 3> kSeparatedTop = {1, 6, 12}, kSeparatedHeight = {3, 4, 3};
  const int third = py % 3;
  const int left = kEditorPageLeft + px * 6 + (separated ? 1 : 0);
  const int top = kEditorPageTop + row * kEditorCellHeight +
                  (separated ? kSeparatedTop[third] : kContiguousTop[third]);
  const int height = separated ? kSeparatedHeight[third] : kContiguousHeight[third];
  return TPixelRect{left, top, left + (separated ? 4 : 6), top + height};
}

}  // namespace tavrel
