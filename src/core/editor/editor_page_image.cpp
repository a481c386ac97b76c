#include "editor/editor_page_image.h"

#include <algorithm>

namespace tavrel {
namespace {

// Cell (0, row 1) inside the picture.
constexpr int kCellsLeft = kFrameThickness;
constexpr int kCellsTop = kFrameThickness;

}  // namespace

TEditorPageImage::TEditorPageImage() : image_(kEditorImageWidth, kEditorImageHeight) {}

void TEditorPageImage::DrawAll(const TPageEditor& editor, const TFontSet& fonts) {
  image_.FillRect(0, 0, image_.Width(), image_.Height(),
                  kTeletextPalette[editor.Page.FrameColor & 7]);
  DrawRowRange(editor, fonts, kFirstEditRow, kLastEditRow);
}

void TEditorPageImage::DrawChanged(const TPageEditor& editor, const TFontSet& fonts,
                                   const TPixelRect& changed) {
  if (changed.Empty()) return;
  const int firstRow = kFirstEditRow + (changed.Top + 2 - kEditorPageTop) / kEditorCellHeight;
  const int lastRow = kFirstEditRow + (changed.Bottom - 3 - kEditorPageTop) / kEditorCellHeight;
  DrawRowRange(editor, fonts, std::max(firstRow, kFirstEditRow), std::min(lastRow, kLastEditRow));
}

void TEditorPageImage::DrawRowRange(const TPageEditor& editor, const TFontSet& fonts, int firstRow,
                                    int lastRow) {
  if (firstRow > lastRow) return;
  TRowFlags rowFlash{};
  TRowFlags highlight{};
  std::copy(editor.Selection.Highlight.begin(), editor.Selection.Highlight.end(),
            highlight.begin());
  // Rows are drawn from the display words; row 1 sits at the picture's cell origin, so the
  // renderer's row 0 lies one cell above it.
  const int yOrigin = kCellsTop - kFirstEditRow * kEditorCellHeight;
  const int top = kCellsTop + (firstRow - kFirstEditRow) * kEditorCellHeight;
  const int height = (lastRow - firstRow + 1) * kEditorCellHeight;
  image_.FillRect(kCellsLeft, top, kPageColumns * kEditorCellWidth, height, TRgb{});
  // The editor always draws with flash phase 0: flashing cells show steadily.
  DrawRows(image_, firstRow, lastRow, editor.State.Display, editor.Page.CharSet, kCellsLeft,
           yOrigin, kEditorCellWidth, kEditorCellHeight, fonts, false, rowFlash, highlight);
  if (!editor.GridDisplay) return;
  const int gridBottom = kCellsTop + (kPageRows - kFirstEditRow) * kEditorCellHeight;
  for (int row = firstRow; row <= lastRow + 1 && row <= kPageRows; ++row) {
    const int y = kCellsTop + (row - kFirstEditRow) * kEditorCellHeight;
    image_.FillRect(kCellsLeft, y, kPageColumns * kEditorCellWidth + 1, 1, kEditorGridColour);
  }
  for (int column = 0; column <= kPageColumns; ++column) {
    const int x = kCellsLeft + column * kEditorCellWidth;
    image_.FillRect(x, top, 1, std::min(height + 1, gridBottom - top), kEditorGridColour);
  }
}

}  // namespace tavrel
