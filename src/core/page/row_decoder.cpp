#include "page/row_decoder.h"

#include <stdexcept>
#include <string>

namespace tavrel {
namespace {

// Control codes the decoder acts on.
constexpr std::uint8_t kAlphaWhite = 0x07;
constexpr std::uint8_t kFlash = 0x08;
constexpr std::uint8_t kSteady = 0x09;
constexpr std::uint8_t kNormalHeight = 0x0C;
constexpr std::uint8_t kDoubleHeight = 0x0D;
constexpr std::uint8_t kDoubleWidth = 0x0E;
constexpr std::uint8_t kDoubleSize = 0x0F;
constexpr std::uint8_t kMosaicBlack = 0x10;
constexpr std::uint8_t kMosaicWhite = 0x17;
constexpr std::uint8_t kContiguous = 0x19;
constexpr std::uint8_t kSeparated = 0x1A;
constexpr std::uint8_t kBlackBackground = 0x1C;
constexpr std::uint8_t kNewBackground = 0x1D;
constexpr std::uint8_t kHoldMosaics = 0x1E;
constexpr std::uint8_t kReleaseMosaics = 0x1F;

constexpr std::uint8_t kSpace = 0x20;
// High byte of a control cell in show-codes mode: black on green.
constexpr TPrestCell kShowCodeAttributes = 0x2000;

constexpr bool IsBlastThrough(std::uint8_t b) { return b >= 0x40 && b <= 0x5F; }

// The six sixels of a mosaic byte (0x20..0x3F, 0x60..0x7F): bits 0..5 are top left, top right,
// middle left, middle right, bottom left, bottom right.
constexpr int Sixels(std::uint8_t b) { return b < 0x40 ? b - 0x20 : b - 0x40; }

// Single-height mosaic glyphs: the contiguous form keeps the byte and sets bit 7; the separated
// form also clears bit 5, which moves it into the free 0x80..0x9F and 0xC0..0xDF ranges.
constexpr std::uint8_t SingleMosaicGlyph(std::uint8_t b, bool separated) {
  return static_cast<std::uint8_t>((separated ? (b & ~0x20) : b) | 0x80);
}

// Double-height mosaic glyphs: each half holds four sixels (two rows of two), so 16 patterns
// per half, with the separated forms 0x10 above the contiguous ones.
constexpr std::uint8_t UpperMosaicGlyph(std::uint8_t b, bool separated) {
  return static_cast<std::uint8_t>((Sixels(b) & 0x0F) | (separated ? 0x10 : 0));
}
constexpr std::uint8_t LowerMosaicGlyph(std::uint8_t b, bool separated) {
  return static_cast<std::uint8_t>((Sixels(b) >> 2) | 0x80 | (separated ? 0x10 : 0));
}

static_assert(SingleMosaicGlyph(0x7F, false) == 0xFF);
static_assert(SingleMosaicGlyph(0x7F, true) == 0xDF);
static_assert(SingleMosaicGlyph(0x20, true) == 0x80);
static_assert(UpperMosaicGlyph(0x7F, false) == 0x0F && LowerMosaicGlyph(0x7F, false) == 0x8F);
static_assert(UpperMosaicGlyph(0x7F, true) == 0x1F && LowerMosaicGlyph(0x7F, true) == 0x9F);
// 0x27 lights top left, top right and middle left: the upper half shows all three, the lower
// half (sixels 2..5) only the middle left, which becomes its top left.
static_assert(UpperMosaicGlyph(0x27, false) == 0x07 && LowerMosaicGlyph(0x27, false) == 0x81);

// The attribute state of one row, reset at the start of every row.
struct TRowState {
  int Foreground = 7;
  int Background = 0;
  bool Mosaic = false;
  bool Separated = false;
  bool Hold = false;
  std::uint8_t HeldMosaic = kSpace;
  bool DoubleHeight = false;
  bool Flash = false;

  TPrestCell Attributes() const {
    return static_cast<TPrestCell>(
        ((Background * 16 + Foreground + (DoubleHeight ? 8 : 0) + (Flash ? 0x80 : 0)) << 8));
  }
};

bool RowHasDoubleHeight(std::span<const std::uint8_t, kPageColumns> rowBytes, int row) {
  if (row >= kPageRows - 1) return false;
  for (std::uint8_t raw : rowBytes) {
    const std::uint8_t b = raw & 0x7F;
    if (b == kDoubleHeight || b == kDoubleSize) return true;
  }
  return false;
}

void CheckGrid(int row, int rowsWritten, std::size_t gridSize) {
  if (row < 0 || row >= kPageRows) {
    throw std::out_of_range("row decoder: row " + std::to_string(row) +
                            " is not a page row (0..23)");
  }
  if (static_cast<std::size_t>((row + rowsWritten) * kPageColumns) > gridSize) {
    throw std::out_of_range("row decoder: a grid of " + std::to_string(gridSize) +
                            " cells cannot hold row " + std::to_string(row + rowsWritten - 1));
  }
}

}  // namespace

bool DecodeRow(std::span<const std::uint8_t, kPageColumns> rowBytes, int row, bool showCodes,
               std::span<TPrestCell> cells) {
  const bool rowDoubleHeight = RowHasDoubleHeight(rowBytes, row);
  CheckGrid(row, rowDoubleHeight ? 2 : 1, cells.size());

  TPrestCell* upperRow = cells.data() + row * kPageColumns;
  TPrestCell* lowerRow = rowDoubleHeight ? upperRow + kPageColumns : nullptr;

  TRowState state;
  TPrestCell attributes = 0;
  bool recompute = true;
  std::uint8_t previous = 0;

  for (int column = 0; column < kPageColumns; ++column) {
    const std::uint8_t b = rowBytes[column] & 0x7F;
    if (recompute) {
      attributes = state.Attributes();
      recompute = false;
    }
    std::uint8_t glyph = kSpace;
    std::uint8_t lowerGlyph = kSpace;

    if (b >= kSpace) {
      if (state.Mosaic && IsBlastThrough(b)) {
        // Capitals in mosaic mode are drawn as text and break the held mosaic.
        glyph = b;
        if (state.DoubleHeight) lowerGlyph = b | 0x80;
        state.HeldMosaic = kSpace;
      } else if (state.Mosaic) {
        if (state.DoubleHeight) {
          glyph = UpperMosaicGlyph(b, state.Separated);
          lowerGlyph = LowerMosaicGlyph(b, state.Separated);
        } else {
          glyph = SingleMosaicGlyph(b, state.Separated);
        }
        state.HeldMosaic = b;
      } else {
        glyph = b;
        if (state.DoubleHeight) lowerGlyph = b | 0x80;
      }
      upperRow[column] = attributes | glyph;
      if (lowerRow) lowerRow[column] = attributes | lowerGlyph;
      previous = b;
      continue;
    }

    // Effects that already apply to the control code's own cell.
    bool holdAfter = false;
    switch (b) {
      case kSteady:
        state.Flash = false;
        attributes = state.Attributes();
        break;
      case kBlackBackground:
        state.Background = 0;
        attributes = state.Attributes();
        break;
      case kNewBackground:
        state.Background = state.Foreground;
        attributes = state.Attributes();
        state.HeldMosaic = kSpace;
        break;
      case kHoldMosaics:
        // Hold right after a mosaic (or a release) repeats that mosaic in this very cell;
        // after any other control code there is nothing to repeat yet.
        if (previous > kHoldMosaics) {
          state.Hold = true;
        } else {
          state.HeldMosaic = kSpace;
          holdAfter = true;
        }
        break;
      default:
        break;
    }

    // The control code's own cell.
    if (state.Hold && state.Mosaic && !showCodes) {
      if (state.DoubleHeight) {
        glyph = UpperMosaicGlyph(state.HeldMosaic, state.Separated);
        lowerGlyph = LowerMosaicGlyph(state.HeldMosaic, state.Separated);
      } else {
        glyph = SingleMosaicGlyph(state.HeldMosaic, state.Separated);
      }
      upperRow[column] = attributes | glyph;
      if (lowerRow) lowerRow[column] = attributes | lowerGlyph;
    } else if (showCodes) {
      upperRow[column] = kShowCodeAttributes | b;
      attributes = state.Attributes();
      if (lowerRow) lowerRow[column] = attributes | 0x80;
    } else {
      upperRow[column] = attributes | kSpace;
      if (lowerRow) lowerRow[column] = attributes | 0x80;
    }

    // Effects that start with the next cell.
    if (b <= kAlphaWhite) {
      state.Mosaic = false;
      state.Foreground = b;
      recompute = true;
    } else if (b >= kMosaicBlack && b <= kMosaicWhite) {
      state.Mosaic = true;
      state.Foreground = b & 7;
      recompute = true;
    } else {
      switch (b) {
        case kFlash:
          state.Flash = true;
          recompute = true;
          break;
        case kNormalHeight:
        case kDoubleWidth:
          state.DoubleHeight = false;
          recompute = true;
          break;
        case kDoubleHeight:
        case kDoubleSize:
          // The last page row has no row below it to hold lower halves.
          if (rowDoubleHeight) {
            state.DoubleHeight = true;
            recompute = true;
          }
          break;
        case kContiguous:
          state.Separated = false;
          break;
        case kSeparated:
          state.Separated = true;
          break;
        case kHoldMosaics:
          if (holdAfter) state.Hold = true;
          break;
        case kReleaseMosaics:
          state.Hold = false;
          break;
        default:
          break;
      }
    }
    previous = b;
  }
  return rowDoubleHeight;
}

void DecodePage(std::span<const std::uint8_t, kPageCells> pageCells, int firstRow, bool showCodes,
                std::span<TPrestCell> cells) {
  if (firstRow < 0 || firstRow >= kPageRows) {
    throw std::out_of_range("row decoder: first row " + std::to_string(firstRow) +
                            " is not a page row (0..23)");
  }
  if (cells.size() < static_cast<std::size_t>(kPageCells)) {
    throw std::out_of_range("row decoder: a grid of " + std::to_string(cells.size()) +
                            " cells cannot hold a page");
  }
  int row = firstRow;
  while (row < kPageRows) {
    const std::span<const std::uint8_t, kPageColumns> rowBytes(
        pageCells.data() + row * kPageColumns, kPageColumns);
    row += DecodeRow(rowBytes, row, showCodes, cells) ? 2 : 1;
  }
}

}  // namespace tavrel
