#include "editor/text_block_frame.h"

#include "editor/edit_grid.h"
#include "editor/page_editor.h"

namespace tavrel {
namespace {

// Half-open on the right and bottom, as window rectangles are.
bool Inside(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x < right && y >= top && y < bottom;
}

// Snaps down to the cell grid; window positions are never negative inside the page area, and
// the snapping of negative ones does not matter for the drag.
int Snap(int value, int cell) { return value / cell * cell; }

}  // namespace

tSizer::tSizer(int cellWidth, int cellHeight, int originX, int originY)
    : cellWidth_(cellWidth), cellHeight_(cellHeight), originX_(originX), originY_(originY) {
  UpdateCells();
}

void tSizer::SetLeftColumn(int column) {
  pixels_.Left = column * cellWidth_ + originX_;
  UpdateCells();
}

void tSizer::SetTopRow(int row) {
  pixels_.Top = row * cellHeight_ + originY_;
  UpdateCells();
}

void tSizer::SetWidthCells(int width) {
  pixels_.Width = width * cellWidth_;
  UpdateCells();
}

void tSizer::SetHeightCells(int height) {
  pixels_.Height = height * cellHeight_;
  UpdateCells();
}

void tSizer::SetBlock(const TTextBlock& block) {
  SetLeftColumn(block.Left);
  SetTopRow(block.Top);
  SetWidthCells(block.Right - block.Left + 1);
  SetHeightCells(block.Bottom - block.Top + 1);
}

void tSizer::SetPixels(const TFrameRect& pixels) {
  pixels_ = pixels;
  UpdateCells();
}

TTextBlock tSizer::Block() const {
  return {column_, row_, column_ + widthCells_ - 1, row_ + heightCells_ - 1};
}

void tSizer::UpdateCells() {
  column_ = (pixels_.Left - originX_) / cellWidth_;
  row_ = (pixels_.Top - originY_) / cellHeight_;
  widthCells_ = pixels_.Width / cellWidth_;
  heightCells_ = pixels_.Height / cellHeight_;
}

TSizerZone tSizer::HitTest(int x, int y) const {
  const int l = pixels_.Left, t = pixels_.Top;
  const int r = l + pixels_.Width, b = t + pixels_.Height;
  if (Inside(x, y, l - kBand, t + kBand, l + kBand, b - kBand)) return TSizerZone::Left;
  if (Inside(x, y, r - kBand, t + kBand, r + kBand, b - kBand)) return TSizerZone::Right;
  if (Inside(x, y, l + kBand, t - kBand, r - kBand, t + kBand)) return TSizerZone::Top;
  if (Inside(x, y, l + kBand, b - kBand, r - kBand, b + kBand)) return TSizerZone::Bottom;
  // The corner squares and everything outside are no handle; so the inside is all that is left.
  if (Inside(x, y, l + kBand, t + kBand, r - kBand, b - kBand)) return TSizerZone::Inside;
  return TSizerZone::None;
}

TSizerCursor tSizer::CursorFor(TSizerZone zone) {
  switch (zone) {
    case TSizerZone::Left:
    case TSizerZone::Right:
      return TSizerCursor::HorizontalResize;
    case TSizerZone::Top:
    case TSizerZone::Bottom:
      return TSizerCursor::VerticalResize;
    default:
      return TSizerCursor::Default;
  }
}

TSizerCursor tSizer::Hover(int x, int y) {
  zone_ = HitTest(x, y);
  return CursorFor(zone_);
}

void tSizer::Press(int x, int y) {
  lastX_ = Snap(x, cellWidth_);
  lastY_ = Snap(y, cellHeight_);
  DragStep(x, y);
}

TSizerCursor tSizer::Move(int x, int y, bool leftButton) {
  if (!leftButton) return Hover(x, y);
  DragStep(x, y);
  return CursorFor(zone_);
}

void tSizer::DragStep(int x, int y) {
  const int snappedX = Snap(x, cellWidth_);
  const int snappedY = Snap(y, cellHeight_);
  const int dx = lastX_ - snappedX;
  const int dy = lastY_ - snappedY;
  switch (zone_) {
    case TSizerZone::Top:
      pixels_.Top -= dy;
      pixels_.Height += dy;
      break;
    case TSizerZone::Right:
      pixels_.Width -= dx;
      break;
    case TSizerZone::Bottom:
      pixels_.Height -= dy;
      break;
    case TSizerZone::Left:
      pixels_.Left -= dx;
      pixels_.Width += dx;
      break;
    default:
      break;
  }
  lastX_ = snappedX;
  lastY_ = snappedY;
  UpdateCells();
}

bool FrameFitsPage(const TFrameRect& frame, int leftMargin) {
  const int pageRight = kEditorPageLeft + kPageColumns * kEditorCellWidth;
  const int pageBottom = kEditorPageTop + (kLastEditRow - kFirstEditRow + 1) * kEditorCellHeight;
  return frame.Width >= 3 * kEditorCellWidth && frame.Height >= 3 * kEditorCellHeight &&
         frame.Left + frame.Width <= pageRight && frame.Top + frame.Height <= pageBottom &&
         frame.Left >= kEditorPageLeft + leftMargin * kEditorCellWidth &&
         frame.Top >= kEditorPageTop;
}

bool MoveFrame(tSizer& sizer, int x, int y, bool leftButton, int leftMargin) {
  const TFrameRect before = sizer.Pixels();
  sizer.Move(x, y, leftButton);
  if (!FrameFitsPage(sizer.Pixels(), leftMargin)) sizer.SetPixels(before);
  return !(sizer.Pixels() == before);
}

tSizer EditorSizer() {
  return tSizer(kEditorCellWidth, kEditorCellHeight, kEditorPageLeft,
                kEditorPageTop - kEditorCellHeight);
}

}  // namespace tavrel
