#pragma once

#include "page/page_record.h"

namespace tavrel {

// The parts of the text block frame a mouse point can be on. Only the edges are handles: the
// corners and the inside drag nothing.
enum class TSizerZone { None = 0, Top = 1, Right = 3, Bottom = 5, Left = 7, Inside = 9 };
enum class TSizerCursor { Default, HorizontalResize, VerticalResize };

// A frame in window pixels: left, top, width, height.
struct TFrameRect {
  int Left = 100;
  int Top = 100;
  int Width = 100;
  int Height = 100;
  bool operator==(const TFrameRect&) const = default;
};

// The text block frame over the editor's page: its pixel rectangle, the cell rectangle read
// from it, hit-testing against its edges and resizing edge by edge in whole cells.
class tSizer {
 public:
  static constexpr int kBand = 5;

  // `originX`, `originY`: the window position of cell (0, 0); the editor passes the page area's
  // top minus one cell, since row 0 is not shown.
  tSizer(int cellWidth, int cellHeight, int originX, int originY);

  void SetLeftColumn(int column);
  void SetTopRow(int row);
  void SetWidthCells(int width);
  void SetHeightCells(int height);
  // Places the frame on a text block (inclusive bounds).
  void SetBlock(const TTextBlock& block);
  // Sets the pixels directly, as a rejected change is put back.
  void SetPixels(const TFrameRect& pixels);
  const TFrameRect& Pixels() const { return pixels_; }

  // The cell rectangle: left column, top row, width and height in cells.
  int LeftColumn() const { return column_; }
  int TopRow() const { return row_; }
  int WidthCells() const { return widthCells_; }
  int HeightCells() const { return heightCells_; }
  int CellCount() const { return widthCells_ * heightCells_; }
  // The cell rectangle as a text block (inclusive bounds, not clamped).
  TTextBlock Block() const;

  // Which part of the frame (x, y) is on; the first matching rule wins.
  TSizerZone HitTest(int x, int y) const;
  // Remembers the zone under the pointer and answers the cursor to show.
  TSizerCursor Hover(int x, int y);
  TSizerZone Zone() const { return zone_; }
  static TSizerCursor CursorFor(TSizerZone zone);
  // A button went down: the drag starts from the cell the pointer is in.
  void Press(int x, int y);
  // The pointer moved: with the left button a drag step of the hovered edge, else a hover.
  // Answers the cursor to show.
  TSizerCursor Move(int x, int y, bool leftButton);

 private:
  void DragStep(int x, int y);
  void UpdateCells();

  int cellWidth_;
  int cellHeight_;
  int originX_;
  int originY_;
  TFrameRect pixels_;
  int column_ = 0;
  int row_ = 0;
  int widthCells_ = 0;
  int heightCells_ = 0;
  TSizerZone zone_ = TSizerZone::None;
  int lastX_ = 0;
  int lastY_ = 0;
};

// Whether a frame fits the editor's page: at least 3 cells wide and high, not left of the left
// margin's column, not above row 1, not past column 39 or row 23.
bool FrameFitsPage(const TFrameRect& frame, int leftMargin);

// The pointer moved over the editor's page with the frame shown: hover, or with the left
// button a drag step that is undone when the frame no longer fits the page. Answers whether
// the frame's pixels changed.
bool MoveFrame(tSizer& sizer, int x, int y, bool leftButton, int leftMargin);

// The frame of the editor's page, its origin one cell above the page area.
tSizer EditorSizer();

}  // namespace tavrel
