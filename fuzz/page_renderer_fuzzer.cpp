// Decodes random page cells and draws them with the program's fonts at random places and cell
// sizes. Beyond not crashing or touching memory outside the grid and the surface: every pixel
// is a teletext colour, and no cell colour lies outside the palette.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "page/page_record.h"
#include "page/row_decoder.h"
#include "render/page_renderer.h"
#include "render/rgba_image.h"
#include "render/teletext_fonts.h"

using tavrel::fuzz::Require;

namespace {

// The fonts of the build, loaded once: loading is not what this target exercises.
const tavrel::TTeletextFonts& Fonts() {
  static const tavrel::TTeletextFonts& fonts = []() -> const tavrel::TTeletextFonts& {
    static tavrel::TTeletextFonts loaded;
    const auto result = loaded.Load(tavrel::kFontFileAll1216, TAVREL_FONT_DIR);
    Require(result.Success(), "the build's font file loads");
    return loaded;
  }();
  return fonts;
}

TAVREL_FUZZ_CHECK bool IsPalettePixel(std::uint32_t packed) {
  for (const auto& entry : tavrel::kTeletextPalette) {
    if (tavrel::TRgbaImage::Pack(entry) == packed) return true;
  }
  return false;
}

TAVREL_FUZZ_CHECK void RequireOnlyTeletextColours(const tavrel::TRgbaImage& surface) {
  for (int y = 0; y < surface.Height(); ++y) {
    const std::uint32_t* row = surface.Row(y);
    for (int x = 0; x < surface.Width(); ++x) {
      Require(IsPalettePixel(row[x]), "every pixel is a teletext colour");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool showCodes = input.ConsumeBool();
  const bool flashPhase = input.ConsumeBool();
  const int firstRow = input.ConsumeIntegralInRange(0, tavrel::kPageRows - 1);
  const int charSet = input.ConsumeIntegralInRange(-1, 16);
  const int xOrigin = input.ConsumeIntegralInRange(-60, 400);
  const int yOrigin = input.ConsumeIntegralInRange(-60, 300);
  const int cellWidth = input.ConsumeIntegralInRange(1, 20);
  const int cellHeight = input.ConsumeIntegralInRange(1, 24);
  const int drawFirst = input.ConsumeIntegralInRange(-2, 26);
  const int drawLast = input.ConsumeIntegralInRange(-2, 26);
  std::array<std::uint8_t, tavrel::kPageCells> page{};
  page.fill(0x20);
  const auto bytes = input.ConsumeRemainingBytes<std::uint8_t>();
  for (std::size_t i = 0; i < bytes.size() && i < page.size(); ++i) page[i] = bytes[i];

  std::vector<tavrel::TPrestCell> grid(tavrel::kCellGridSize, 0);
  tavrel::DecodePage(page, firstRow, showCodes, grid);

  // Smaller than a page at full cell size, so that clipping at every edge is exercised. Made
  // once and cleared for each run: making it anew cost more than drawing on it.
  static tavrel::TRgbaImage surface(320, 240, {0, 0, 0});
  surface.FillRect(0, 0, surface.Width(), surface.Height(), {0, 0, 0});
  tavrel::TRowFlags rowFlash{};
  tavrel::TRowFlags highlight{};
  for (int row = 0; row < tavrel::kPageRows; ++row) highlight[row] = (page[row] & 1) != 0;
  const int runs = tavrel::DrawRows(surface, drawFirst, drawLast, grid, charSet, xOrigin, yOrigin,
                                    cellWidth, cellHeight, Fonts().FontSet(tavrel::kFontSize1216),
                                    flashPhase, rowFlash, highlight);
  Require(runs >= 0 && runs <= tavrel::kPageCells, "at most one run per cell");
  tavrel::DrawFrame(surface, charSet, xOrigin, yOrigin, tavrel::kPageRows, cellWidth, cellHeight);
  RequireOnlyTeletextColours(surface);
  return 0;
}
