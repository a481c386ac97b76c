#include "render/page_renderer.h"

#include <algorithm>
#include <cstring>

namespace tavrel {
namespace {

// The 13 national positions of the teletext character set, in the order of the national face.
constexpr std::array<std::uint8_t, 13> kNationalPositions = {
    0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};

// Character set code (0..14, even) to the language block of the national face; the blocks
// stand in the order English, German, Swedish, Italian, French, Spanish. Codes that are no
// language of ours use the English block.
constexpr std::array<int, 16> kNationalBlockOfCharSet = {0, 0, 4, 0, 2, 0, 0, 0,
                                                         1, 0, 5, 0, 3, 0, 0, 0};

constexpr int kNationalBlockSize = 13;
// First codes of the double-height upper and lower groups of the national face.
constexpr int kNationalUpperGroup = 78;
constexpr int kNationalLowerGroup = 156;

// Place of a glyph among the national positions, or -1.
constexpr int NationalPlace(std::uint8_t glyph) {
  for (std::size_t i = 0; i < kNationalPositions.size(); ++i) {
    if (kNationalPositions[i] == glyph) return static_cast<int>(i);
  }
  return -1;
}

constexpr int NationalBlock(int charSet) {
  return charSet >= 0 && charSet < static_cast<int>(kNationalBlockOfCharSet.size())
             ? kNationalBlockOfCharSet[charSet]
             : 0;
}

static_assert(NationalPlace(0x7B) == 9 && NationalPlace(0x41) == -1);

// The attributes that end a run: the whole high byte of the cell and whether it is national.
struct TRunKey {
  std::uint8_t HighByte = 0;
  bool National = false;
  bool operator==(const TRunKey&) const = default;
};

// Everything needed to paint one run of glyphs.
struct TRunStyle {
  const TTeletextFace* Face = nullptr;
  std::uint32_t Foreground = 0;
  std::uint32_t Background = 0;
  // Four pixels for each 4-bit slice of a glyph row: lets a glyph row be written in chunks
  // instead of pixel by pixel.
  std::array<std::array<std::uint32_t, 4>, 16> Nibbles{};

  void Prepare() {
    for (int pattern = 0; pattern < 16; ++pattern) {
      for (int bit = 0; bit < 4; ++bit) {
        Nibbles[pattern][bit] = (pattern >> (3 - bit)) & 1 ? Foreground : Background;
      }
    }
  }
};

// Paints one glyph with its top-left corner at (x, y). Cells wholly inside the surface take
// the fast path; cells on or past an edge are clipped pixel by pixel.
void DrawGlyph(TRgbaImage& surface, const TRunStyle& style, std::uint8_t glyph, int x, int y,
               int cellWidth, int cellHeight) {
  const TTeletextFace* face = style.Face;
  if (face == nullptr || face->Empty()) {
    // No font to draw with: keep the cell's background so the page stays readable as colours.
    for (int row = std::max(y, 0); row < std::min(y + cellHeight, surface.Height()); ++row) {
      std::uint32_t* target = surface.Row(row);
      for (int column = std::max(x, 0); column < std::min(x + cellWidth, surface.Width());
           ++column) {
        target[column] = style.Background;
      }
    }
    return;
  }
  const int width = face->Width();
  const int height = face->Height();
  const std::uint16_t* rows = face->GlyphRows(glyph);
  const bool inside =
      x >= 0 && y >= 0 && x + width <= surface.Width() && y + height <= surface.Height();
  if (inside) {
    std::uint32_t* target = surface.Row(y) + x;
    const std::size_t stride = static_cast<std::size_t>(surface.Width());
    if (width == 12) {
      // The program's one cell width, spelled out: three 4-pixel slices per glyph row with no
      // loop around them, which is most of the preview's drawing time.
      for (int row = 0; row < height; ++row, target += stride) {
        const unsigned mask = rows[row];
        std::memcpy(target, style.Nibbles[(mask >> 8) & 0xF].data(), 16);
        std::memcpy(target + 4, style.Nibbles[(mask >> 4) & 0xF].data(), 16);
        std::memcpy(target + 8, style.Nibbles[mask & 0xF].data(), 16);
      }
      return;
    }
    for (int row = 0; row < height; ++row, target += stride) {
      std::uint32_t* pixel = target;
      const unsigned mask = rows[row];
      int shift = width - 4;
      for (; shift >= 0; shift -= 4, pixel += 4) {
        std::memcpy(pixel, style.Nibbles[(mask >> shift) & 0xF].data(), 16);
      }
      for (int bit = shift + 3; bit >= 0; --bit) {
        *pixel++ = (mask >> bit) & 1 ? style.Foreground : style.Background;
      }
    }
    return;
  }
  for (int row = 0; row < height; ++row) {
    const int targetY = y + row;
    if (targetY < 0 || targetY >= surface.Height()) continue;
    std::uint32_t* target = surface.Row(targetY);
    const unsigned mask = rows[row];
    for (int column = 0; column < width; ++column) {
      const int targetX = x + column;
      if (targetX < 0 || targetX >= surface.Width()) continue;
      target[targetX] = (mask >> (width - 1 - column)) & 1 ? style.Foreground : style.Background;
    }
  }
}

}  // namespace

void DrawFrame(TRgbaImage& surface, int colourIndex, int left, int top, int rowCount, int cellWidth,
               int cellHeight) {
  const TRgb colour = kTeletextPalette[colourIndex & 7];
  const int width = kPageColumns * cellWidth;
  const int height = rowCount * cellHeight;
  const int outerWidth = width + 2 * kFrameThickness;
  const int outerHeight = height + 2 * kFrameThickness;
  surface.FillRect(left, top, outerWidth, kFrameThickness, colour);
  surface.FillRect(left, top + height + kFrameThickness, outerWidth, kFrameThickness, colour);
  surface.FillRect(left + width + kFrameThickness, top, kFrameThickness, outerHeight, colour);
  surface.FillRect(left, top, kFrameThickness, outerHeight, colour);
}

std::uint8_t NationalGlyph(int charSet, std::uint8_t glyph, bool doubleHeight) {
  const int lowerPlace = NationalPlace(glyph & 0x7F);
  const bool lowerHalf = (glyph & 0x80) != 0;
  // A single-height glyph with bit 7 set is a mosaic, never a national character.
  if (lowerPlace < 0 || (lowerHalf && !doubleHeight)) return glyph;
  const int block = NationalBlock(charSet) * kNationalBlockSize;
  if (!doubleHeight) return static_cast<std::uint8_t>(lowerPlace + block);
  return static_cast<std::uint8_t>(lowerPlace + block +
                                   (lowerHalf ? kNationalLowerGroup : kNationalUpperGroup));
}

bool IsNationalCell(int charSet, TPrestCell cell) {
  if (charSet == kCharSetEnglish) return false;
  const std::uint8_t glyph = CellGlyph(cell);
  if (NationalPlace(glyph) >= 0) return true;
  return CellDoubleHeight(cell) && (glyph & 0x80) != 0 && NationalPlace(glyph & 0x7F) >= 0;
}

int DrawRows(TRgbaImage& surface, int firstRow, int lastRow, std::span<const TPrestCell> cells,
             int charSet, int xOrigin, int yOrigin, int cellWidth, int cellHeight,
             const TFontSet& fonts, bool flashPhase, TRowFlags& rowFlash,
             const TRowFlags& highlight) {
  const int gridRows = static_cast<int>(cells.size() / kPageColumns);
  const int first = std::max(firstRow, 0);
  const int last = std::min({lastRow, kPageRows - 1, gridRows - 1});
  int runs = 0;
  TRunStyle style;
  bool stylePrepared = false;
  for (int row = first; row <= last; ++row) {
    rowFlash[row] = false;
    const int mask = highlight[row] ? 7 : 0;
    const TPrestCell* rowCells = cells.data() + row * kPageColumns;
    const int y = yOrigin + row * cellHeight;

    TRunKey runKey;
    bool runOpen = false;
    for (int column = 0; column < kPageColumns; ++column) {
      const TPrestCell cell = rowCells[column];
      const TRunKey key{static_cast<std::uint8_t>(cell >> 8), IsNationalCell(charSet, cell)};
      if (!runOpen || !(key == runKey)) {
        // A new run: work out its colours and face once for all its cells.
        runOpen = true;
        runKey = key;
        ++runs;
        const int background = CellBackground(cell) ^ mask;
        int foreground = CellForeground(cell) ^ mask;
        if (CellFlash(cell)) {
          rowFlash[row] = true;
          if (flashPhase) foreground = background;
        }
        const std::uint32_t foregroundPixel = TRgbaImage::Pack(kTeletextPalette[foreground]);
        const std::uint32_t backgroundPixel = TRgbaImage::Pack(kTeletextPalette[background]);
        if (!stylePrepared || foregroundPixel != style.Foreground ||
            backgroundPixel != style.Background) {
          style.Foreground = foregroundPixel;
          style.Background = backgroundPixel;
          style.Prepare();
          stylePrepared = true;
        }
        style.Face = key.National             ? fonts.National
                     : CellDoubleHeight(cell) ? fonts.DoubleHeight
                                              : fonts.SingleHeight;
      }
      const std::uint8_t glyph =
          key.National ? NationalGlyph(charSet, CellGlyph(cell), CellDoubleHeight(cell))
                       : CellGlyph(cell);
      DrawGlyph(surface, style, glyph, xOrigin + column * cellWidth, y, cellWidth, cellHeight);
    }
  }
  return runs;
}

void DrawTextBlockFrame(TRgbaImage& surface, const TTextBlock& block, int xOrigin, int yOrigin,
                        int cellWidth, int cellHeight) {
  const int left = xOrigin + block.Left * cellWidth;
  const int top = yOrigin + block.Top * cellHeight;
  const int width = block.Width() * cellWidth;
  const int height = block.Height() * cellHeight;
  const auto outline = [&surface](int l, int t, int w, int h, TRgb colour) {
    if (w <= 0 || h <= 0) return;
    surface.FillRect(l, t, w, 1, colour);
    surface.FillRect(l, t + h - 1, w, 1, colour);
    surface.FillRect(l, t, 1, h, colour);
    surface.FillRect(l + w - 1, t, 1, h, colour);
  };
  outline(left - 1, top - 1, width + 2, height + 2, kTeletextPalette[0]);
  outline(left, top, width, height, kTeletextPalette[7]);
}

}  // namespace tavrel
