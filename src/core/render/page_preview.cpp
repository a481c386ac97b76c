#include "render/page_preview.h"

#include <algorithm>
#include <vector>

#include "page/row_decoder.h"
#include "render/page_renderer.h"

namespace tavrel {

TRgbaImage RenderPagePreview(const TPrestPage& page, const TFontSet& fonts,
                             const TPreviewOptions& options) {
  const int cellWidth = fonts.Loaded() ? fonts.CellWidth : 12;
  const int cellHeight = fonts.Loaded() ? fonts.CellHeight : 16;
  const int rows = kPreviewRows + (options.FastextRow ? 1 : 0);
  TRgbaImage image(kPageColumns * cellWidth + 2 * kFrameThickness,
                   rows * cellHeight + 2 * kFrameThickness);
  DrawFrame(image, page.FrameColor, 0, 0, rows, cellWidth, cellHeight);

  // The decoder writes every row from the first preview row down; the fill only covers the
  // header row, which is never drawn.
  std::vector<TPrestCell> cells(kCellGridSize, 0x0720);
  DecodePage(page.Cells, kPreviewFirstRow, options.ShowCodes, cells);

  const int xOrigin = kFrameThickness;
  const int yOrigin = kFrameThickness - kPreviewFirstRow * cellHeight;
  TRowFlags rowFlash{};
  DrawRows(image, kPreviewFirstRow, kPageRows - 1, cells, page.CharSet, xOrigin, yOrigin, cellWidth,
           cellHeight, fonts, options.FlashPhase, rowFlash);
  if (options.FastextRow) {
    // The prompt row is decoded as a row 1 of its own, so no attribute of row 23 runs into it.
    TPrestPage prompts = TPrestPage::Blank(page.CharSet);
    std::copy(options.FastextRow->begin(), options.FastextRow->end(),
              prompts.Cells.begin() + kPageColumns);
    std::vector<TPrestCell> promptCells(kCellGridSize, 0x0720);
    DecodePage(prompts.Cells, 1, false, promptCells);
    TRowFlags promptFlash{};
    DrawRows(image, 1, 1, promptCells, page.CharSet, xOrigin,
             kFrameThickness + (kPreviewRows - 1) * cellHeight, cellWidth, cellHeight, fonts, false,
             promptFlash);
  }
  if (options.TextBlock) {
    DrawTextBlockFrame(image, *options.TextBlock, xOrigin, yOrigin, cellWidth, cellHeight);
  }
  return image;
}

}  // namespace tavrel
