#pragma once

#include "editor/page_editor.h"
#include "render/page_renderer.h"
#include "render/rgba_image.h"
#include "render/teletext_fonts.h"

namespace tavrel {

// The picture of the editor's page area: the frame (6 pixels left and above, 7 right and
// below) around rows 1..23 of 40 cells. Its top-left pixel sits at the window position
// kEditorImageLeft, kEditorImageTop.
inline constexpr int kEditorImageLeft = kEditorPageLeft - kFrameThickness;
inline constexpr int kEditorImageTop = kEditorPageTop - kFrameThickness;
inline constexpr int kEditorImageWidth = kFrameThickness + kPageColumns * kEditorCellWidth + 7;
inline constexpr int kEditorImageHeight =
    kFrameThickness + (kPageRows - kFirstEditRow) * kEditorCellHeight + 7;
// The grid lines' grey.
inline constexpr TRgb kEditorGridColour{0x80, 0x80, 0x80};

// Keeps the page picture of one editor up to date. The window repaints only what changed, so
// after a step only the rows of the changed rectangle are drawn again.
class TEditorPageImage {
 public:
  TEditorPageImage();

  // Draws everything: frame, rows 1..23, grid lines when shown.
  void DrawAll(const TPageEditor& editor, const TFontSet& fonts);
  // Draws the rows a changed window rectangle touches (and their grid lines) again.
  void DrawChanged(const TPageEditor& editor, const TFontSet& fonts, const TPixelRect& changed);

  const TRgbaImage& Image() const { return image_; }

 private:
  void DrawRowRange(const TPageEditor& editor, const TFontSet& fonts, int firstRow, int lastRow);

  TRgbaImage image_;
};

}  // namespace tavrel
