#pragma once

#include <optional>

#include "page/page_record.h"
#include "render/page_view_rules.h"
#include "render/rgba_image.h"
#include "render/teletext_fonts.h"

namespace tavrel {

// How a page is shown in a preview picture.
struct TPreviewOptions {
  bool ShowCodes = false;   // control cells show their code symbols, as in the editor
  bool FlashPhase = false;  // the phase in which flashing text is hidden
  // A template's text block, outlined over the page as the template editor shows it.
  std::optional<TTextBlock> TextBlock;
  // A fastext prompt row (BuildFastextRow), drawn as a row of its own below row 23 inside the
  // frame, where a receiver shows it.
  std::optional<TFastextRow> FastextRow;
};

// Rows the preview shows: the body of the page, without the header row.
inline constexpr int kPreviewFirstRow = 1;
inline constexpr int kPreviewRows = kPageRows - kPreviewFirstRow;

// A page drawn as the preview shows it: the frame in the page's frame colour around 40 x 23
// cells of rows 1..23, decoded with the row decoder and drawn with the given font set. The
// picture is 40 x cell width + 12 by 23 x cell height + 12 pixels (492 x 380 for 12 x 16
// cells), one cell height more with a fastext row. A font set that was never loaded is drawn at 12
// x 16 as plain cell backgrounds.
TRgbaImage RenderPagePreview(const TPrestPage& page, const TFontSet& fonts,
                             const TPreviewOptions& options = {});

}  // namespace tavrel
