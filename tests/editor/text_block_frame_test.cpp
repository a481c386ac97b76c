#include "editor/text_block_frame.h"

#include <gtest/gtest.h>

#include "editor/edit_grid.h"
#include "editor/page_editor.h"

namespace tavrel {
namespace {

// Window positions of cell corners: column c's left edge, row r's top edge.
int ColumnX(int c) { return kEditorPageLeft + c * kEditorCellWidth; }
int RowY(int r) { return kEditorPageTop + (r - 1) * kEditorCellHeight; }

TEST(TextBlockFrame, CellsFollowPixels) {
  tSizer sizer = EditorSizer();
  sizer.SetBlock({4, 6, 39, 22});
  EXPECT_EQ(sizer.Pixels(), (TFrameRect{ColumnX(4), RowY(6), 36 * 12, 17 * 16}));
  EXPECT_EQ(sizer.Block(), (TTextBlock{4, 6, 39, 22}));
  EXPECT_EQ(sizer.CellCount(), 36 * 17);
}

TEST(TextBlockFrame, HitZones) {
  tSizer sizer = EditorSizer();
  sizer.SetBlock({4, 6, 13, 12});  // 120 x 112 pixels
  const int l = ColumnX(4), t = RowY(6), r = l + 120, b = t + 112;
  struct {
    const char* Name;
    int X, Y;
    TSizerZone Zone;
    TSizerCursor Cursor;
  } const cases[] = {
      {"left edge outside", l - 5, t + 50, TSizerZone::Left, TSizerCursor::HorizontalResize},
      {"left edge inside", l + 4, t + 50, TSizerZone::Left, TSizerCursor::HorizontalResize},
      {"past the left band", l - 6, t + 50, TSizerZone::None, TSizerCursor::Default},
      {"right edge", r + 4, t + 50, TSizerZone::Right, TSizerCursor::HorizontalResize},
      {"right band ends", r + 5, t + 50, TSizerZone::None, TSizerCursor::Default},
      {"top edge", l + 50, t - 5, TSizerZone::Top, TSizerCursor::VerticalResize},
      {"bottom edge", l + 50, b + 4, TSizerZone::Bottom, TSizerCursor::VerticalResize},
      {"top-left corner", l, t, TSizerZone::None, TSizerCursor::Default},
      {"bottom-right corner", r + 2, b - 2, TSizerZone::None, TSizerCursor::Default},
      {"top-right corner", r - 5, t + 4, TSizerZone::None, TSizerCursor::Default},
      {"inside", l + 5, t + 5, TSizerZone::Inside, TSizerCursor::Default},
      {"far away", 10, 10, TSizerZone::None, TSizerCursor::Default},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(sizer.HitTest(c.X, c.Y), c.Zone);
    EXPECT_EQ(sizer.Hover(c.X, c.Y), c.Cursor);
  }
}

// Drags from a window point to another in steps of one pixel, as the mouse reports it.
TTextBlock Drag(TTextBlock start, int margin, int x0, int y0, int x1, int y1) {
  tSizer sizer = EditorSizer();
  sizer.SetBlock(start);
  MoveFrame(sizer, x0, y0, false, margin);
  sizer.Press(x0, y0);
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int i = 1; i <= steps; ++i) {
    MoveFrame(sizer, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, true, margin);
  }
  return sizer.Block();
}

TEST(TextBlockFrame, DragStepsAndValidation) {
  const TTextBlock block{4, 6, 10, 12};  // 7 x 7 cells
  const int l = ColumnX(4), t = RowY(6), r = ColumnX(11), b = RowY(13);
  const int midX = l + 40, midY = t + 50;
  struct {
    const char* Name;
    int Margin, X0, Y0, X1, Y1;
    TTextBlock Expected;
  } const cases[] = {
      {"right edge out two cells", 0, r + 1, midY, r + 25, midY, {4, 6, 12, 12}},
      {"right edge in to two cells stays three",
       0,
       r + 1,
       midY,
       r - 5 * 12 + 1,
       midY,
       {4, 6, 6, 12}},
      {"right edge past column 39", 0, r + 1, midY, ColumnX(45), midY, {4, 6, 39, 12}},
      {"left edge out", 0, l + 1, midY, l - 23, midY, {2, 6, 10, 12}},
      {"left edge stops at the margin", 3, l + 1, midY, l - 47, midY, {3, 6, 10, 12}},
      {"top edge up to row 1 and not above", 0, midX, t + 1, midX, RowY(-2), {4, 1, 10, 12}},
      {"top edge down to three rows", 0, midX, t + 1, midX, t + 9 * 16, {4, 10, 10, 12}},
      {"bottom edge past row 23", 0, midX, b + 1, midX, RowY(30), {4, 6, 10, 23}},
      {"bottom edge up", 0, midX, b + 1, midX, b - 31, {4, 6, 10, 10}},
      {"a corner drags nothing", 0, r, b, r + 40, b + 40, block},
      {"the inside drags nothing", 0, midX, midY, midX + 40, midY + 40, block},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Drag(block, c.Margin, c.X0, c.Y0, c.X1, c.Y1), c.Expected);
  }
}

TEST(TextBlockFrame, FitsPage) {
  const TFrameRect fits{ColumnX(2), RowY(1), 38 * 12, 23 * 16};
  EXPECT_TRUE(FrameFitsPage(fits, 2));
  EXPECT_FALSE(FrameFitsPage(fits, 3));
  EXPECT_FALSE(FrameFitsPage({fits.Left, fits.Top, fits.Width + 12, fits.Height}, 0));
  EXPECT_FALSE(FrameFitsPage({fits.Left, fits.Top, fits.Width, fits.Height + 16}, 0));
  EXPECT_FALSE(FrameFitsPage({fits.Left, fits.Top - 16, fits.Width, 48}, 0));
  EXPECT_FALSE(FrameFitsPage({fits.Left, fits.Top, 24, 48}, 0));
  EXPECT_FALSE(FrameFitsPage({fits.Left, fits.Top, 36, 32}, 0));
  EXPECT_TRUE(FrameFitsPage({fits.Left, fits.Top, 36, 48}, 0));
}

}  // namespace
}  // namespace tavrel
