#include "editor/editor_mouse.h"

#include <algorithm>

#include "editor/edit_engine.h"

namespace tavrel {
namespace {

TPixelRect Union(const TPixelRect& a, const TPixelRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

bool IsEdge(TSizerZone zone) {
  return zone == TSizerZone::Left || zone == TSizerZone::Right || zone == TSizerZone::Top ||
         zone == TSizerZone::Bottom;
}

}  // namespace

TEditorMouse::TEditorMouse(TPageEditor& editor) : editor_(editor), sizer_(EditorSizer()) {
  PlaceFrame();
}

void TEditorMouse::PlaceFrame() { sizer_.SetBlock(editor_.TextBlock); }

bool TEditorMouse::FrameShown() const {
  return editor_.FrameDisplay || editor_.Mode() == EditMode::BlockText;
}

TPlotMode TEditorMouse::StrokeMode() const {
  if (rightDown_) return TPlotMode::Erase;
  return editor_.InverseDrawing ? TPlotMode::Invert : TPlotMode::Set;
}

TPixelRect TEditorMouse::PlotStroke(TRasterPoint point, TPageEditor::TUndoStep step) {
  const TPlotMode mode = StrokeMode();
  return editor_.ChangeGrid(
      [&](TEditGrid& grid, int leftMargin) { Plot(grid, leftMargin, point.X, point.Y, mode); },
      step);
}

TMouseOutcome TEditorMouse::Press(int x, int y, TMouseButton button) {
  TMouseOutcome outcome;
  bool onEdge = false;
  if (FrameShown()) {
    sizer_.Hover(x, y);
    onEdge = IsEdge(sizer_.Zone());
    sizer_.Press(x, y);
    outcome.Cursor = tSizer::CursorFor(sizer_.Zone());
  }
  // The block-text field and the frame's edges take the press; nothing is drawn there.
  if (onEdge || editor_.Mode() == EditMode::BlockText) return outcome;

  const int column = (x - kEditorPageLeft - 2) / kEditorCellWidth;
  const int row = (y - kEditorPageTop) / kEditorCellHeight + kFirstEditRow;
  if (x - kEditorPageLeft - 2 >= 0 && y >= kEditorPageTop && column < kPageColumns &&
      row <= kLastEditRow) {
    editor_.State.CursorColumn = column;
    // The lower half of a double-height row belongs to the row above.
    editor_.State.CursorRow =
        editor_.State.RowStart[row] == 0 && row > kFirstEditRow ? row - 1 : row;
    // Through the engine, which keeps a large-font cursor low enough for a whole letter: a
    // click on row 1 or 2 places it on row 3.
    outcome.Changed = editor_.Step(EditCommand::None).Changed;
    editor_.Selection.Highlight = {};
  }

  leftDown_ = button == TMouseButton::Left;
  rightDown_ = button == TMouseButton::Right;
  start_ = current_ = MouseToRaster(x, y, false);
  drawing_ = leftDown_;
  if (!editor_.IsDrawMode()) return outcome;

  const TDrawGesture gesture = DrawGestureOf(editor_.Mode());
  if (gesture == TDrawGesture::Stroke) {
    outcome.Changed = Union(outcome.Changed, PlotStroke(start_, TPageEditor::TUndoStep::New));
  } else if (gesture == TDrawGesture::Fill) {
    const TPlotMode mode = StrokeMode();
    const bool inverse = editor_.InverseDrawing;
    const TPixelRect filled = editor_.ChangeGrid(
        [&](TEditGrid& grid, int leftMargin) {
          FloodFill(grid, leftMargin, start_.X, start_.Y, mode, inverse);
        },
        TPageEditor::TUndoStep::New);
    outcome.Changed = Union(outcome.Changed, filled);
  }
  return outcome;
}

void TEditorMouse::DrawShape(TRasterPoint end, const TPixelSink& sink) const {
  const TEditModeRow* row = FindEditMode(editor_.Mode());
  if (row && row->Gesture == TDrawGesture::Shape && row->Shape) {
    row->Shape(start_.X, start_.Y, end.X, end.Y, sink);
  }
}

void TEditorMouse::TogglePreview(TRasterPoint end, TPixelRect& changed) {
  DrawShape(end, [&](int px, int py) {
    const auto rect = PreviewPixelRect(editor_.State.Display, editor_.State.LeftMargin, px, py);
    if (!rect) return;
    // Inverting twice shows the page again: the set holds what is inverted now.
    const auto key = std::make_pair(px, py);
    if (!preview_.erase(key)) preview_.insert(key);
    changed = Union(changed, *rect);
  });
}

TMouseOutcome TEditorMouse::Move(int x, int y, bool leftDown, bool rightDown) {
  TMouseOutcome outcome;
  if (FrameShown() && !drawing_) {
    outcome.FrameChanged = MoveFrame(sizer_, x, y, leftDown, editor_.State.LeftMargin) && leftDown;
    outcome.Cursor = tSizer::CursorFor(sizer_.Zone());
    if (outcome.FrameChanged) editor_.TextBlock = ClampTextBlock(sizer_.Block());
  }
  if (!drawing_) return outcome;
  current_ = MouseToRaster(x, y, true);
  const TDrawGesture gesture = DrawGestureOf(editor_.Mode());
  if (gesture == TDrawGesture::Stroke) {
    if (leftDown || rightDown) {
      outcome.Changed = PlotStroke(current_, TPageEditor::TUndoStep::Continue);
    }
  } else if (gesture == TDrawGesture::Shape && leftDown) {
    if (!firstPreview_) TogglePreview(previousEnd_, outcome.PreviewChanged);
    TogglePreview(current_, outcome.PreviewChanged);
    previousEnd_ = current_;
    firstPreview_ = false;
  }
  return outcome;
}

TMouseOutcome TEditorMouse::Release(int, int) {
  TMouseOutcome outcome;
  leftDown_ = rightDown_ = false;
  if (drawing_ && DrawGestureOf(editor_.Mode()) == TDrawGesture::Shape) {
    if (!firstPreview_) TogglePreview(previousEnd_, outcome.PreviewChanged);
    preview_.clear();
    // The release draws or inverts; it never erases.
    const TPlotMode mode = editor_.InverseDrawing ? TPlotMode::Invert : TPlotMode::Set;
    outcome.Changed = editor_.ChangeGrid(
        [&](TEditGrid& grid, int leftMargin) {
          DrawShape(current_, [&](int px, int py) { Plot(grid, leftMargin, px, py, mode); });
        },
        TPageEditor::TUndoStep::New);
  } else if (drawing_ && editor_.IsDrawMode()) {
    // The stroke or fill is written already; the release only brings the display along.
    outcome.Changed = editor_.ChangeGrid([](TEditGrid&, int) {}, TPageEditor::TUndoStep::Continue);
  }
  drawing_ = false;
  firstPreview_ = true;
  return outcome;
}

std::vector<TPixelRect> TEditorMouse::PreviewRects() const {
  std::vector<TPixelRect> rects;
  for (const auto& [px, py] : preview_) {
    if (auto rect = PreviewPixelRect(editor_.State.Display, editor_.State.LeftMargin, px, py)) {
      rects.push_back(*rect);
    }
  }
  return rects;
}

}  // namespace tavrel
