#pragma once

#include <set>
#include <utility>

#include "editor/mosaic_tools.h"
#include "editor/page_editor.h"
#include "editor/text_block_frame.h"

namespace tavrel {

enum class TMouseButton { Left, Right };

// What a mouse event asks the window to do.
struct TMouseOutcome {
  // Cells of the page that changed (draw again); empty when none did.
  TPixelRect Changed;
  // The rubber-band preview changed within this rectangle (repaint it); empty when not.
  TPixelRect PreviewChanged;
  // The text block frame moved an edge: repaint the page area and move the block-text field.
  bool FrameChanged = false;
  TSizerCursor Cursor = TSizerCursor::Default;
};

// The editor's mouse over the page: the text block frame's handles, placing the cursor, and the
// mosaic drawing tools of the draw modes with their rubber-band preview. The preview never
// touches the grid; it is a set of raster pixels the window shows inverted.
class TEditorMouse {
 public:
  explicit TEditorMouse(TPageEditor& editor);

  tSizer& Sizer() { return sizer_; }
  const tSizer& Sizer() const { return sizer_; }
  // The frame on the editor's text block (after a reload).
  void PlaceFrame();

  TMouseOutcome Press(int x, int y, TMouseButton button);
  TMouseOutcome Move(int x, int y, bool leftDown, bool rightDown);
  TMouseOutcome Release(int x, int y);

  // The raster pixels the preview currently shows inverted.
  const std::set<std::pair<int, int>>& Preview() const { return preview_; }
  // Their window rectangles, for painting.
  std::vector<TPixelRect> PreviewRects() const;

 private:
  bool FrameShown() const;
  TPlotMode StrokeMode() const;
  void DrawShape(TRasterPoint end, const TPixelSink& sink) const;
  void TogglePreview(TRasterPoint end, TPixelRect& changed);
  // One pixel of a free-hand stroke, as a new step (the press) or part of it (the moves).
  TPixelRect PlotStroke(TRasterPoint point, TPageEditor::TUndoStep step);

  TPageEditor& editor_;
  tSizer sizer_;
  bool drawing_ = false;
  bool leftDown_ = false;
  bool rightDown_ = false;
  bool firstPreview_ = true;
  TRasterPoint start_;
  TRasterPoint current_;
  TRasterPoint previousEnd_;
  std::set<std::pair<int, int>> preview_;
};

}  // namespace tavrel
