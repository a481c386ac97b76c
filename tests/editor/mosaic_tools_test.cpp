#include "editor/mosaic_tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <queue>
#include <random>
#include <set>

#include "editor/editor_mouse.h"

namespace tavrel {
namespace {

using TPixels = std::vector<TRasterPoint>;

TPixels Collect(const std::function<void(const TPixelSink&)>& draw) {
  TPixels pixels;
  draw([&](int x, int y) { pixels.push_back({x, y}); });
  return pixels;
}

// A blank grid whose rows 1..23 are graphics from column 1 on (graphics white in column 0).
TEditGrid GraphicsGrid() {
  TEditGrid grid;
  grid.FillSpaces();
  for (int row = 1; row <= 23; ++row) grid.At(row, 0) = 0x17;
  return grid;
}

// Whether a pixel is on, read from the grid by the sextant layout, independently of the code.
bool PixelOn(const TEditGrid& grid, int px, int py) {
  static const int kBits[6] = {1, 2, 4, 8, 16, 64};
  return (grid.At(1 + py / 3, px / 2) & kBits[(py % 3) * 2 + px % 2]) != 0;
}

std::set<std::pair<int, int>> OnPixels(const TEditGrid& grid) {
  std::set<std::pair<int, int>> on;
  for (int py = 0; py < kMosaicHeight; ++py) {
    for (int px = 2; px < kMosaicWidth; ++px) {
      if (PixelOn(grid, px, py)) on.insert({px, py});
    }
  }
  return on;
}

TEST(MosaicTools, PixelBitsAndMouseToRaster) {
  const std::uint8_t expected[6] = {0x21, 0x22, 0x24, 0x28, 0x30, 0x60};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(MosaicPixelBit(10 + i % 2, 30 + i / 2), expected[i]);
  struct {
    int X, Y;
    bool Dragging;
    TRasterPoint Expected;
  } const cases[] = {
      {70, 36, false, {0, 0}},   {76, 36, false, {1, 0}},     {82, 41, false, {2, 1}},
      {70, 47, false, {0, 2}},   {70, 51, false, {0, 3}},  // remainder 15 gives part 3
      {70, 52, false, {0, 3}},   {549, 402, false, {79, 68}}, {20, 10, true, {0, 0}},
      {20, 10, false, {-8, -5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.X) + "," + std::to_string(c.Y));
    EXPECT_EQ(MouseToRaster(c.X, c.Y, c.Dragging), c.Expected);
  }
}

TEST(MosaicTools, PreviewRectangles) {
  std::array<TPrestCell, kCellGridSize> display{};
  display[2 * 40 + 5] = 0x9F;  // row 2, column 5: a separated mosaic glyph
  display[2 * 40 + 6] = 0x7F;  // row 2, column 6: contiguous
  struct {
    const char* Name;
    int Px, Py, Margin;
    std::optional<TPixelRect> Expected;
  } const cases[] = {
      {"contiguous top", 12, 3, 0, TPixelRect{140, 52, 146, 57}},
      {"contiguous middle", 13, 4, 0, TPixelRect{146, 57, 152, 63}},
      {"contiguous bottom", 12, 5, 0, TPixelRect{140, 63, 146, 68}},
      {"separated top", 10, 3, 0, TPixelRect{129, 53, 133, 56}},
      {"separated middle", 11, 4, 0, TPixelRect{135, 58, 139, 62}},
      {"separated bottom", 10, 5, 0, TPixelRect{129, 64, 133, 67}},
      {"left of the margin", 10, 3, 6, std::nullopt},
      {"past column 39", 80, 3, 0, std::nullopt},
      {"below row 23", 0, 69, 0, std::nullopt},
      {"the last row", 0, 68, 0, TPixelRect{68, 36 + 22 * 16 + 11, 74, 36 + 22 * 16 + 16}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(PreviewPixelRect(display, c.Margin, c.Px, c.Py), c.Expected);
  }
}

TEST(MosaicTools, PlotRules) {
  TEditGrid grid = GraphicsGrid();
  grid.At(5, 20) = 0x01;  // alpha red: column 21 on is text again
  struct {
    const char* Name;
    int Px, Py, Margin;
    TPlotMode Mode;
    std::uint8_t Before, After;  // the cell of the pixel
  } const cases[] = {
      {"set ors the bit", 10, 3, 0, TPlotMode::Set, 0x20, 0x21},
      {"invert toggles on", 11, 5, 0, TPlotMode::Invert, 0x20, 0x60},
      {"invert toggles off", 11, 5, 0, TPlotMode::Invert, 0x7F, 0x3F},
      {"erase clears bit and bit 7", 10, 4, 0, TPlotMode::Erase, 0xA4 | 0x01, 0x21},
      {"left of the margin", 10, 3, 6, TPlotMode::Set, 0x20, 0x20},
      {"column 0 holds the code", 0, 3, 0, TPlotMode::Set, 0x20, 0x20},
      {"text zone after an alpha code", 44, 12, 0, TPlotMode::Set, 0x20, 0x20},
      {"graphics before the alpha code", 38, 12, 0, TPlotMode::Set, 0x20, 0x21},
      {"a code in a graphics zone stays", 40, 12, 0, TPlotMode::Set, 0x01, 0x01},
      {"nor is it erased", 40, 12, 0, TPlotMode::Erase, 0x13, 0x13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditGrid g = grid;
    std::uint8_t& cell = g.At(1 + c.Py / 3, c.Px / 2);
    cell = c.Before;
    Plot(g, c.Margin, c.Px, c.Py, c.Mode);
    EXPECT_EQ(cell, c.After);
  }
  // Off the raster: nothing changes and nothing outside the grid is touched.
  TEditGrid g = grid;
  for (auto [x, y] : {std::pair{-1, 0}, {80, 0}, {0, -1}, {10, 72}, {200, 500}}) {
    Plot(g, 0, x, y, TPlotMode::Set);
  }
  EXPECT_EQ(g, grid);
}

TEST(MosaicTools, ShapeEdgeCases) {
  {
    SCOPED_TRACE("drawing outside a graphics zone changes nothing");
    TEditGrid text;
    text.FillSpaces();
    const TEditGrid before = text;
    DrawCircle(40, 30, 50, 30, [&](int x, int y) { Plot(text, 0, x, y, TPlotMode::Set); });
    DrawLine(2, 2, 70, 60, true, [&](int x, int y) { Plot(text, 0, x, y, TPlotMode::Set); });
    EXPECT_EQ(FloodFill(text, 0, 30, 30, TPlotMode::Set, false), 0);
    EXPECT_EQ(text, before);
  }
  {
    SCOPED_TRACE("a line to its own start draws nothing; one pixel further draws two");
    EXPECT_TRUE(Collect([](auto& s) { DrawLine(9, 9, 9, 9, true, s); }).empty());
    EXPECT_EQ(Collect([](auto& s) { DrawLine(9, 9, 10, 9, true, s); }), (TPixels{{9, 9}, {10, 9}}));
    EXPECT_EQ(Collect([](auto& s) { DrawLine(9, 9, 9, 8, false, s); }), (TPixels{{9, 8}}));
  }
  {
    SCOPED_TRACE("a rectangle drawn twice inverted leaves the page as it was");
    TEditGrid grid = GraphicsGrid();
    grid.At(7, 12) = 0x7F;
    const TEditGrid before = grid;
    for (int i = 0; i < 2; ++i) {
      DrawRectangle(5, 4, 30, 22, [&](int x, int y) { Plot(grid, 0, x, y, TPlotMode::Invert); });
      if (i == 0) {
        EXPECT_NE(grid, before);
      }
    }
    EXPECT_EQ(grid, before);
    const TPixels outline = Collect([](auto& s) { DrawRectangle(5, 4, 30, 22, s); });
    std::set<std::pair<int, int>> unique;
    for (auto p : outline) unique.insert({p.X, p.Y});
    EXPECT_EQ(unique.size(), outline.size());
    EXPECT_EQ(outline.size(), 2u * 25 + 2u * 18);
  }
  {
    SCOPED_TRACE("a circle of radius 0 sets its centre, or inverted leaves it");
    TEditGrid grid = GraphicsGrid();
    DrawCircle(20, 20, 20, 20, [&](int x, int y) { Plot(grid, 0, x, y, TPlotMode::Set); });
    EXPECT_EQ(OnPixels(grid), (std::set<std::pair<int, int>>{{20, 20}}));
    TEditGrid inverted = GraphicsGrid();
    DrawCircle(20, 20, 20, 20, [&](int x, int y) { Plot(inverted, 0, x, y, TPlotMode::Invert); });
    EXPECT_EQ(inverted, GraphicsGrid());
  }
  {
    SCOPED_TRACE("a circle over the edges draws only the pixels inside");
    TEditGrid grid = GraphicsGrid();
    std::set<std::pair<int, int>> inside;
    DrawCircle(3, 2, 3, 30, [&](int x, int y) {
      Plot(grid, 0, x, y, TPlotMode::Set);
      if (x >= 2 && x < kMosaicWidth && y >= 0 && y < kMosaicHeight) inside.insert({x, y});
    });
    EXPECT_EQ(OnPixels(grid), inside);
    EXPECT_FALSE(inside.empty());
  }
}

// Distance of a pixel from the ideal line through a and b, measured along the minor axis.
double MinorAxisError(TRasterPoint a, TRasterPoint b, TRasterPoint p) {
  const int dx = b.X - a.X, dy = b.Y - a.Y;
  if (std::abs(dy) < std::abs(dx)) return std::abs(a.Y + double(p.X - a.X) * dy / dx - p.Y);
  return std::abs(a.X + double(p.Y - a.Y) * dx / dy - p.X);
}

TEST(MosaicTools, LineAgainstTheIdealLine) {
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> x(0, 79), y(0, 71);
  int checked = 0;
  for (int n = 0; n < 2000; ++n) {
    const TRasterPoint a{x(random), y(random)}, b{x(random), y(random)};
    if (a == b) continue;
    SCOPED_TRACE(std::to_string(a.X) + "," + std::to_string(a.Y) + " to " + std::to_string(b.X) +
                 "," + std::to_string(b.Y));
    const TPixels line = Collect([&](auto& s) { DrawLine(a.X, a.Y, b.X, b.Y, true, s); });
    ASSERT_EQ(line.size(), std::max(std::abs(b.X - a.X), std::abs(b.Y - a.Y)) + 1u);
    EXPECT_EQ(line.front(), a);
    EXPECT_EQ(line.back(), b);
    for (std::size_t i = 0; i < line.size(); ++i) {
      ASSERT_LE(MinorAxisError(a, b, line[i]), 0.5);
      // No gaps: every pixel touches the one before it.
      if (i > 0) {
        ASSERT_LE(std::abs(line[i].X - line[i - 1].X), 1);
        ASSERT_LE(std::abs(line[i].Y - line[i - 1].Y), 1);
      }
    }
    // Drawn backwards, the same pixels, except where the ideal line passes exactly half-way.
    const TPixels back = Collect([&](auto& s) { DrawLine(b.X, b.Y, a.X, a.Y, true, s); });
    ASSERT_EQ(back.size(), line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
      const TRasterPoint p = back[line.size() - 1 - i];
      if (!(p == line[i])) {
        ASSERT_DOUBLE_EQ(MinorAxisError(a, b, p), 0.5);
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 1900);
}

TEST(MosaicTools, CircleAgainstTheIdealCircle) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> x(0, 79), y(0, 71);
  for (int n = 0; n < 1000; ++n) {
    const TRasterPoint c{x(random), y(random)}, through{x(random), y(random)};
    const long r2 =
        long(through.X - c.X) * (through.X - c.X) + long(through.Y - c.Y) * (through.Y - c.Y);
    SCOPED_TRACE("centre " + std::to_string(c.X) + "," + std::to_string(c.Y) + " r2 " +
                 std::to_string(r2));
    std::set<std::pair<int, int>> offsets;
    DrawCircle(c.X, c.Y, through.X, through.Y, [&](int px, int py) {
      offsets.insert({px - c.X, py - c.Y});
    });
    for (auto [dx, dy] : offsets) {
      // Within half a raster unit of the circle along one of the axes.
      const double alongY = dx * dx <= r2 ? std::abs(std::abs(dy) - std::sqrt(r2 - dx * dx)) : 9;
      const double alongX = dy * dy <= r2 ? std::abs(std::abs(dx) - std::sqrt(r2 - dy * dy)) : 9;
      ASSERT_LE(std::min(alongX, alongY), 0.5) << dx << "," << dy;
      // Symmetric in both axes and the diagonal.
      ASSERT_TRUE(offsets.count({-dx, dy}) && offsets.count({dx, -dy}) && offsets.count({dy, dx}));
    }
    // No gaps: every pixel reaches every other through touching pixels.
    std::set<std::pair<int, int>> reached{*offsets.begin()};
    std::queue<std::pair<int, int>> open;
    open.push(*offsets.begin());
    while (!open.empty()) {
      const auto [px, py] = open.front();
      open.pop();
      for (int ddx = -1; ddx <= 1; ++ddx) {
        for (int ddy = -1; ddy <= 1; ++ddy) {
          const std::pair<int, int> q{px + ddx, py + ddy};
          if (offsets.count(q) && reached.insert(q).second) open.push(q);
        }
      }
    }
    ASSERT_EQ(reached.size(), offsets.size());
  }
}

// The graphics zone and fill rule written out again: a pixel may be filled when its cell is
// between the margin and column 39 in rows 1..23, a graphics colour code stands left of it
// with no alpha colour code in between, and it is off (with `inverse`: on).
std::set<std::pair<int, int>> ReferenceRegion(const TEditGrid& grid, int margin, int px0, int py0,
                                              bool inverse) {
  auto fillable = [&](int px, int py) {
    if (px < 0 || px >= 80 || py < 0 || py >= 72 || px / 2 < margin) return false;
    int zone = 0;
    for (int c = 0; c < px / 2; ++c) {
      const int b = grid.At(1 + py / 3, c) & 0x7F;
      if (b >= 0x10 && b <= 0x17) zone = 1;
      if (b <= 0x07) zone = 0;
    }
    const bool code = (grid.At(1 + py / 3, px / 2) & 0x7F) < 0x20;
    return zone == 1 && !code && PixelOn(grid, px, py) == inverse;
  };
  std::set<std::pair<int, int>> region;
  if (!fillable(px0, py0)) return region;
  std::queue<std::pair<int, int>> open;
  open.push({px0, py0});
  region.insert({px0, py0});
  while (!open.empty()) {
    const auto [px, py] = open.front();
    open.pop();
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
      if (fillable(px + dx, py + dy) && region.insert({px + dx, py + dy}).second) {
        open.push({px + dx, py + dy});
      }
    }
  }
  return region;
}

TEST(MosaicTools, FillAgainstAReferenceFloodFill) {
  std::mt19937 random(4711);
  for (int n = 0; n < 100; ++n) {
    SCOPED_TRACE("grid " + std::to_string(n));
    TEditGrid grid = GraphicsGrid();
    std::bernoulli_distribution dense(n % 2 ? 0.15 : 0.35);
    for (int row = 1; row <= 23; ++row) {
      for (int column = 1; column < 40; ++column) {
        std::uint8_t b = 0x20;
        for (int bit : {1, 2, 4, 8, 16, 64}) b |= dense(random) ? bit : 0;
        grid.At(row, column) = b;
      }
      if (random() % 4 == 0) grid.At(row, 1 + random() % 39) = 0x02;  // text from here
    }
    const int margin = static_cast<int>(random() % 4);
    const bool inverse = random() % 3 == 0;
    const int px0 = static_cast<int>(random() % 80), py0 = static_cast<int>(random() % 72);
    const auto region = ReferenceRegion(grid, margin, px0, py0, inverse);
    TEditGrid filled = grid;
    FloodFill(filled, margin, px0, py0, inverse ? TPlotMode::Invert : TPlotMode::Set, inverse);
    std::set<std::pair<int, int>> changed;
    for (int py = 0; py < 72; ++py) {
      for (int px = 0; px < 80; ++px) {
        if (PixelOn(grid, px, py) != PixelOn(filled, px, py)) changed.insert({px, py});
      }
    }
    // A lone pixel is never filled: the start pixel is written only when the search comes back.
    const auto expected = region.size() > 1 ? region : decltype(region){};
    EXPECT_EQ(changed, expected);
  }
  {
    SCOPED_TRACE("erasing what is off ends at the stack limit without a change");
    TEditGrid grid = GraphicsGrid();
    FloodFill(grid, 0, 20, 20, TPlotMode::Erase, false);
    EXPECT_EQ(grid, GraphicsGrid());
  }
}

// The mouse over a page in a draw mode: presses, drags and releases as the window sends them.
struct TDrawing {
  TPageEditor Editor{"/nonexistent/"};
  TEditorMouse Mouse{Editor};
  TDrawing(int mode) {
    for (int row = 1; row <= 23; ++row) Editor.Page.Cell(row, 0) = 0x17;
    Editor.Reload();
    Editor.SetMode(mode);
  }
  // The window position at the middle of a raster pixel.
  static std::pair<int, int> At(int px, int py) {
    return {kEditorPageLeft + 2 + px * 6 + 3, kEditorPageTop + (py / 3) * 16 + (py % 3) * 5 + 2};
  }
};

TEST(MosaicTools, MouseStrokes) {
  {
    SCOPED_TRACE("a right-button free-hand stroke erases only the pressed pixel");
    TDrawing d(EditMode::DrawFree);
    for (int px = 10; px < 20; ++px) Plot(d.Editor.State.Grid, 0, px, 10, TPlotMode::Set);
    const TEditGrid before = d.Editor.State.Grid;
    auto [x, y] = TDrawing::At(12, 10);
    d.Mouse.Press(x, y, TMouseButton::Right);
    for (int px = 13; px < 18; ++px) {
      auto [mx, my] = TDrawing::At(px, 10);
      d.Mouse.Move(mx, my, false, true);
    }
    d.Mouse.Release(x, y);
    TEditGrid expected = before;
    Plot(expected, 0, 12, 10, TPlotMode::Erase);
    EXPECT_EQ(d.Editor.State.Grid, expected);
    EXPECT_EQ(d.Editor.UndoCopy(), before);
  }
  {
    SCOPED_TRACE("a rectangle drag previews on screen only, draws on release, undoes in one");
    TDrawing d(EditMode::DrawRectangle);
    const TEditGrid before = d.Editor.State.Grid;
    auto [x0, y0] = TDrawing::At(4, 3);
    d.Mouse.Press(x0, y0, TMouseButton::Left);
    for (int px = 5; px <= 20; px += 3) {
      auto [x, y] = TDrawing::At(px, px);
      const TMouseOutcome moved = d.Mouse.Move(x, y, true, false);
      EXPECT_FALSE(moved.PreviewChanged.Empty());
      EXPECT_EQ(d.Editor.State.Grid, before);
    }
    const auto shown = d.Mouse.Preview();
    std::set<std::pair<int, int>> outline;
    DrawRectangle(4, 3, 20, 20, [&](int px, int py) { outline.insert({px, py}); });
    EXPECT_EQ(shown, outline);
    auto [x1, y1] = TDrawing::At(20, 20);
    const TMouseOutcome released = d.Mouse.Release(x1, y1);
    EXPECT_TRUE(d.Mouse.Preview().empty());
    EXPECT_FALSE(released.Changed.Empty());
    EXPECT_EQ(OnPixels(d.Editor.State.Grid), outline);
    d.Editor.Undo();
    EXPECT_EQ(d.Editor.State.Grid, before);
  }
}

}  // namespace
}  // namespace tavrel
