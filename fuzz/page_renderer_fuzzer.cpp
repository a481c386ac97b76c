// Decodes random page cells and draws them with the program's fonts at random places and cell
// sizes. Beyond not crashing or touching memory outside the grid and the surface: every pixel
// is a teletext colour, and no cell colour lies outside the palette.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
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

TAVREL_FUZZ_HARNESS bool IsPalettePixel(std::uint32_t packed) {
  for (const auto& entry : tavrel::kTeletextPalette) {
    if (tavrel::TRgbaImage::Pack(entry) == packed) return true;
  }
  return false;
}

// The bits of a packed pixel that tell it from every pixel whose bytes are each 0x00 or 0xFF
// and whose alpha is `opaque`: for each byte its bits that differ from the bit above them, and
// the alpha bits that are clear. The eight colours of teletext are exactly such pixels, so one
// test per pixel tells a stray colour.
TAVREL_FUZZ_HARNESS std::uint32_t StrayBits(std::uint32_t packed, std::uint32_t opaque) {
  return ((packed ^ (packed >> 1)) & 0x7F7F7F7F) | (opaque & ~packed);
}

// Whether the palette is the eight colours with red, green and blue each full or off, which
// makes StrayBits exact.
TAVREL_FUZZ_HARNESS bool PaletteIsFullOrOff(std::uint32_t opaque) {
  std::vector<std::uint32_t> seen;
  for (const auto& entry : tavrel::kTeletextPalette) {
    const std::uint32_t packed = tavrel::TRgbaImage::Pack(entry);
    if (StrayBits(packed, opaque) != 0) return false;
    if (std::find(seen.begin(), seen.end(), packed) != seen.end()) return false;
    seen.push_back(packed);
  }
  return seen.size() == 8;
}

// The harness's functions are built without the sanitizer, so they cannot take the image's
// small accessors in: each is called once, not once a pixel.
TAVREL_FUZZ_HARNESS void RequireOnlyTeletextColours(const tavrel::TRgbaImage& surface) {
  static const std::uint32_t opaque = tavrel::TRgbaImage::Pack({0, 0, 0});
  static const bool fullOrOff = PaletteIsFullOrOff(opaque);
  const int width = surface.Width();
  const int height = surface.Height();
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = surface.Row(y);
    std::uint32_t stray = 0;
    for (int x = 0; fullOrOff && x < width; ++x) stray |= StrayBits(row[x], opaque);
    if (stray == 0 && fullOrOff) continue;
    for (int x = 0; x < width; ++x) {
      Require(IsPalettePixel(row[x]), "every pixel is a teletext colour");
    }
  }
}

// Paints the whole surface black, as a new one is.
TAVREL_FUZZ_HARNESS void ClearToBlack(tavrel::TRgbaImage& surface) {
  static const std::uint32_t black = tavrel::TRgbaImage::Pack({0, 0, 0});
  const int width = surface.Width();
  const int height = surface.Height();
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = surface.Row(y);
    for (int x = 0; x < width; ++x) row[x] = black;
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
  ClearToBlack(surface);
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
