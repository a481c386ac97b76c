#include "render/page_renderer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {
namespace {

constexpr int kCellWidth = 12;
constexpr int kCellHeight = 16;

// Which face a drawn cell came from; the test faces write this into every glyph.
enum TFaceId { kSingleFace = 1, kDoubleFace = 2, kNationalFace = 3 };

// A test face whose glyphs can be read back from the picture: row 0 is all ink (so the
// foreground colour is known), the bottom-right pixel is always paper (so the background is
// known), rows 1..8 hold the glyph code as ink in column 0 (bit 0 in row 1) and rows 9..10 the
// face id. That makes the picture itself say which face and glyph the renderer chose.
TTeletextFace MakeCodedFace(const char* name, int faceId) {
  TTeletextFace face(name, kCellWidth, kCellHeight);
  const std::uint16_t leftmost = 1u << (kCellWidth - 1);
  for (int code = 0; code < 256; ++code) {
    std::array<std::uint16_t, kCellHeight> rows{};
    rows[0] = (1u << kCellWidth) - 1;
    for (int bit = 0; bit < 8; ++bit) {
      if (code & (1 << bit)) rows[1 + bit] = leftmost;
    }
    for (int bit = 0; bit < 2; ++bit) {
      if (faceId & (1 << bit)) rows[9 + bit] = leftmost;
    }
    face.SetGlyph(static_cast<std::uint8_t>(code), rows.data());
  }
  return face;
}

struct TTestFonts {
  TTeletextFace Single = MakeCodedFace("EHPRESTEL", kSingleFace);
  TTeletextFace Double = MakeCodedFace("DHPRESTEL", kDoubleFace);
  TTeletextFace National = MakeCodedFace("LAPRESTEL", kNationalFace);
  TFontSet Set() const { return {kCellWidth, kCellHeight, &Single, &Double, &National}; }
};

int PaletteIndex(TRgb colour) {
  for (int i = 0; i < 8; ++i) {
    if (kTeletextPalette[i] == colour) return i;
  }
  return -1;
}

// What the picture shows in one cell.
struct TDrawnCell {
  int Face = 0;  // 0 when foreground and background are equal and the glyph cannot be read
  int Glyph = -1;
  int Foreground = -1;
  int Background = -1;
  bool operator==(const TDrawnCell&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TDrawnCell& cell) {
  return out << "{face " << cell.Face << ", glyph " << cell.Glyph << ", fg " << cell.Foreground
             << ", bg " << cell.Background << "}";
}

TDrawnCell ReadCell(const TRgbaImage& image, int x, int y) {
  TDrawnCell cell;
  const TRgb ink = image.At(x, y);
  const TRgb paper = image.At(x + kCellWidth - 1, y + kCellHeight - 1);
  cell.Foreground = PaletteIndex(ink);
  cell.Background = PaletteIndex(paper);
  if (ink == paper) return cell;
  cell.Glyph = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (image.At(x, y + 1 + bit) == ink) cell.Glyph |= 1 << bit;
  }
  for (int bit = 0; bit < 2; ++bit) {
    if (image.At(x, y + 9 + bit) == ink) cell.Face |= 1 << bit;
  }
  return cell;
}

struct TExpectedDrawnCell {
  int Column;
  TDrawnCell Cell;
};

struct TDrawRowCase {
  const char* Name;
  int CharSet;
  std::vector<std::pair<int, TPrestCell>> Cells;  // column, word; the rest are white spaces
  bool FlashPhase;
  bool Highlighted;
  int Runs;
  bool RowFlashes;
  std::vector<TExpectedDrawnCell> Expected;
};

constexpr TPrestCell kWhiteSpace = 0x0720;

const std::vector<TDrawRowCase> kDrawRowCases = {
    {"a row of one attribute is one run",
     kCharSetGerman,
     {},
     false,
     false,
     1,
     false,
     {{0, {kSingleFace, 0x20, 7, 0}}, {39, {kSingleFace, 0x20, 7, 0}}}},
    {"every change of the high byte starts a run",
     kCharSetEnglish,
     {{10, 0x0141}, {11, 0x0142}, {12, 0x2142}, {30, 0x0F41}},
     false,
     false,
     6,
     false,
     {{9, {kSingleFace, 0x20, 7, 0}},
      {10, {kSingleFace, 0x41, 1, 0}},
      {11, {kSingleFace, 0x42, 1, 0}},
      {12, {kSingleFace, 0x42, 1, 2}},
      {30, {kDoubleFace, 0x41, 7, 0}},
      {31, {kSingleFace, 0x20, 7, 0}}}},
    {"German a-umlaut comes from the national face",
     kCharSetGerman,
     {{5, 0x077B}},
     false,
     false,
     3,
     false,
     {{4, {kSingleFace, 0x20, 7, 0}},
      {5, {kNationalFace, 22, 7, 0}},
      {6, {kSingleFace, 0x20, 7, 0}}}},
    {"German double-height a-umlaut halves",
     kCharSetGerman,
     {{5, 0x0F7B}, {6, 0x0FFB}},
     false,
     false,
     3,
     false,
     {{5, {kNationalFace, 100, 7, 0}}, {6, {kNationalFace, 178, 7, 0}}}},
    {"English keeps national positions in the single-height face",
     kCharSetEnglish,
     {{0, 0x0723}, {1, 0x0F7B}, {2, 0x0FFB}},
     false,
     false,
     3,
     false,
     {{0, {kSingleFace, 0x23, 7, 0}},
      {1, {kDoubleFace, 0x7B, 7, 0}},
      {2, {kDoubleFace, 0xFB, 7, 0}}}},
    {"mosaics are never national",
     kCharSetGerman,
     {{0, 0x07A3}, {1, 0x07FB}, {2, 0x0F8F}, {3, 0x0F1F}},
     false,
     false,
     3,
     false,
     {{0, {kSingleFace, 0xA3, 7, 0}},
      {1, {kSingleFace, 0xFB, 7, 0}},
      {2, {kDoubleFace, 0x8F, 7, 0}},
      {3, {kDoubleFace, 0x1F, 7, 0}}}},
    {"show-codes symbols come from the single-height face",
     kCharSetGerman,
     {{0, 0x200D}},
     false,
     false,
     2,
     false,
     {{0, {kSingleFace, 0x0D, 0, 2}}}},
    {"flash phase off shows a flashing cell",
     kCharSetEnglish,
     {{3, 0xC141}},
     false,
     false,
     3,
     true,
     {{3, {kSingleFace, 0x41, 1, 4}}}},
    {"flash phase on hides a flashing cell in its background",
     kCharSetEnglish,
     {{3, 0xC141}},
     true,
     false,
     3,
     true,
     {{3, {0, -1, 4, 4}}, {4, {kSingleFace, 0x20, 7, 0}}}},
    {"highlight swaps white on black",
     kCharSetEnglish,
     {{0, 0x0741}},
     false,
     true,
     1,
     false,
     {{0, {kSingleFace, 0x41, 0, 7}}, {1, {kSingleFace, 0x20, 0, 7}}}},
    {"highlight inverts every colour",
     kCharSetEnglish,
     {{0, 0x2141}, {1, 0x4352}},
     false,
     true,
     3,
     false,
     {{0, {kSingleFace, 0x41, 6, 5}}, {1, {kSingleFace, 0x52, 4, 3}}}},
    {"highlight and flash phase together",
     kCharSetEnglish,
     {{0, 0xC141}},
     true,
     true,
     2,
     true,
     {{0, {0, -1, 3, 3}}}},
};

TEST(PageRendererTest, DrawRowsPicksFaceGlyphAndColoursPerCell) {
  const TTestFonts fonts;
  constexpr int kRow = 7;
  for (const TDrawRowCase& testCase : kDrawRowCases) {
    SCOPED_TRACE(testCase.Name);
    std::vector<TPrestCell> grid(kCellGridSize, kWhiteSpace);
    for (const auto& [column, word] : testCase.Cells) grid[kRow * kPageColumns + column] = word;
    TRgbaImage image(40 * kCellWidth + 12, 24 * kCellHeight + 12, {10, 20, 30});
    TRowFlags flash;
    flash.fill(!testCase.RowFlashes);  // the renderer must set or clear it either way
    TRowFlags highlight{};
    highlight[kRow] = testCase.Highlighted;
    const int yOrigin = 6 - kCellHeight;  // row 1 at the top, as the preview draws
    const int runs = DrawRows(image, kRow, kRow, grid, testCase.CharSet, 6, yOrigin, kCellWidth,
                              kCellHeight, fonts.Set(), testCase.FlashPhase, flash, highlight);
    EXPECT_EQ(runs, testCase.Runs);
    EXPECT_EQ(flash[kRow], testCase.RowFlashes);
    EXPECT_EQ(flash[kRow - 1], !testCase.RowFlashes) << "a row that was not drawn changed";
    for (const TExpectedDrawnCell& expected : testCase.Expected) {
      SCOPED_TRACE("column " + std::to_string(expected.Column));
      EXPECT_EQ(ReadCell(image, 6 + expected.Column * kCellWidth, yOrigin + kRow * kCellHeight),
                expected.Cell);
    }
    // Nothing outside the row's band may be touched.
    EXPECT_EQ(image.At(5, yOrigin + kRow * kCellHeight), (TRgb{10, 20, 30}));
    EXPECT_EQ(image.At(6, yOrigin + kRow * kCellHeight - 1), (TRgb{10, 20, 30}));
    EXPECT_EQ(image.At(6, yOrigin + (kRow + 1) * kCellHeight), (TRgb{10, 20, 30}));
    EXPECT_EQ(image.At(6 + 40 * kCellWidth, yOrigin + kRow * kCellHeight), (TRgb{10, 20, 30}));
  }
}

struct TNationalGlyphCase {
  int CharSet;
  std::uint8_t Glyph;
  bool DoubleHeight;
  std::uint8_t Expected;
};

TEST(PageRendererTest, NationalGlyphIndexes) {
  // Group of 78 per height kind, block of 13 per language, place within the block.
  const std::vector<TNationalGlyphCase> cases = {
      {kCharSetGerman, 0x7B, false, 22},
      {kCharSetGerman, 0x7B, true, 100},
      {kCharSetGerman, 0xFB, true, 178},
      {kCharSetEnglish, 0x23, false, 0},
      {kCharSetSpanish, 0x7E, true, 12 + 65 + 78},
      {kCharSetSpanish, 0xFE, true, 233},
      {kCharSetFrench, 0x60, false, 8 + 52},
      {kCharSetSwedish, 0x40, false, 2 + 26},
      {kCharSetItalian, 0x7E, false, 12 + 39},
      {14, 0x5B, false, 3},
      {-3, 0x5B, false, 3},
      {200, 0x5B, true, 81},
      {kCharSetGerman, 0x41, false, 0x41},
      {kCharSetGerman, 0xFB, false, 0xFB},
  };
  for (const TNationalGlyphCase& testCase : cases) {
    SCOPED_TRACE("charset " + std::to_string(testCase.CharSet) + " glyph " +
                 std::to_string(testCase.Glyph) + (testCase.DoubleHeight ? " double" : ""));
    EXPECT_EQ(NationalGlyph(testCase.CharSet, testCase.Glyph, testCase.DoubleHeight),
              testCase.Expected);
  }
}

struct TRect {
  int Left, Top, Width, Height;
  bool Contains(int x, int y) const {
    return x >= Left && x < Left + Width && y >= Top && y < Top + Height;
  }
};

struct TFrameCase {
  const char* Name;
  int Colour;
  int Left, Top, Rows, CellWidth, CellHeight;
  int ImageWidth, ImageHeight;
  TRgb Expected;
  std::vector<TRect> Bars;  // top, bottom, right, left
};

TEST(PageRendererTest, DrawFrameFillsFourBars) {
  const std::vector<TFrameCase> cases = {
      {"the preview's black frame",
       0,
       0,
       0,
       23,
       12,
       16,
       500,
       390,
       {0, 0, 0},
       {{0, 0, 492, 6}, {0, 374, 492, 6}, {486, 0, 6, 380}, {0, 0, 6, 380}}},
      {"one row of small cells away from the corner",
       3,
       10,
       20,
       1,
       6,
       8,
       270,
       50,
       {255, 255, 0},
       {{10, 20, 252, 6}, {10, 34, 252, 6}, {256, 20, 6, 20}, {10, 20, 6, 20}}},
      {"colour numbers wrap at 8",
       9,
       0,
       0,
       2,
       2,
       2,
       100,
       20,
       {255, 0, 0},
       {{0, 0, 92, 6}, {0, 10, 92, 6}, {86, 0, 6, 16}, {0, 0, 6, 16}}},
      {"a frame larger than the image is clipped",
       7,
       -3,
       -3,
       23,
       12,
       16,
       100,
       100,
       {255, 255, 255},
       {{-3, -3, 492, 6}, {-3, -3, 6, 380}}},
  };
  const TRgb paper{1, 2, 3};
  for (const TFrameCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    TRgbaImage image(testCase.ImageWidth, testCase.ImageHeight, paper);
    DrawFrame(image, testCase.Colour, testCase.Left, testCase.Top, testCase.Rows,
              testCase.CellWidth, testCase.CellHeight);
    int wrong = 0;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        bool onBar = false;
        for (const TRect& bar : testCase.Bars) onBar = onBar || bar.Contains(x, y);
        if (image.At(x, y) != (onBar ? testCase.Expected : paper) && wrong++ < 5) {
          ADD_FAILURE() << "pixel " << x << "," << y << (onBar ? " should" : " should not")
                        << " be frame";
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

struct TProbe {
  int X, Y;
  int Colour;
};

struct TClipCase {
  const char* Name;
  int XOrigin, YOrigin;
  std::vector<TProbe> Probes;
};

TEST(PageRendererTest, DrawRowsClipsToTheSurface) {
  const TTestFonts fonts;
  // Every cell is 'A' red on green; in a coded glyph, row 0 is ink and column 0 carries the
  // code bits (rows 1..8) and the face id (rows 9..10).
  const std::vector<TClipCase> cases = {
      {"origin left of and above the image", -7, -9, {{5, 0, 1}, {0, 0, 2}, {5, 1, 2}, {4, 0, 2}}},
      {"row far below the image", 0, 5000, {{0, 0, 9}}},
      {"cells past the right edge", 100, 0, {{100, 0, 1}, {100, 1, 1}, {119, 1, 2}, {99, 0, 9}}},
  };
  for (const TClipCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    std::vector<TPrestCell> grid(kPageCells, 0x2141);
    TRgbaImage image(120, 40, {9, 9, 9});
    TRowFlags flash{};
    EXPECT_EQ(DrawRows(image, 0, 1, grid, 0, testCase.XOrigin, testCase.YOrigin, kCellWidth,
                       kCellHeight, fonts.Set(), false, flash),
              2);
    for (const TProbe& probe : testCase.Probes) {
      SCOPED_TRACE(std::to_string(probe.X) + "," + std::to_string(probe.Y));
      const TRgb expected = probe.Colour == 9 ? TRgb{9, 9, 9} : kTeletextPalette[probe.Colour];
      EXPECT_EQ(image.At(probe.X, probe.Y), expected);
    }
  }
}

TEST(PageRendererTest, GlyphPixelsMatchTheFaceForEveryCellSize) {
  // The cell sizes of the four font sets; the 12-pixel width has a path of its own.
  const std::vector<std::pair<int, int>> sizes = {{6, 8}, {9, 12}, {12, 16}, {15, 20}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    TTeletextFace face("EHPRESTEL", width, height);
    std::vector<std::uint16_t> rows(height);
    for (int row = 0; row < height; ++row) {
      rows[row] = static_cast<std::uint16_t>((0xB5A3u >> (row % 5)) ^ (row * 0x2491u));
      rows[row] &= static_cast<std::uint16_t>((1u << width) - 1);
    }
    face.SetGlyph(0x41, rows.data());
    const TFontSet set{static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), &face,
                       &face, &face};
    std::vector<TPrestCell> grid(kPageCells, 0x4141);  // 'A' red on blue
    TRgbaImage image(kPageColumns * width, 2 * height);
    TRowFlags flash{};
    DrawRows(image, 1, 1, grid, 0, 0, 0, width, height, set, false, flash);
    int wrong = 0;
    for (int column : {0, 1, 39}) {
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const TRgb expected = kTeletextPalette[face.Pixel(0x41, x, y) ? 1 : 4];
          if (image.At(column * width + x, height + y) != expected && wrong++ < 3) {
            ADD_FAILURE() << "column " << column << " pixel " << x << "," << y;
          }
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(PageRendererTest, RowsOutsideTheGridOrPageAreSkipped) {
  const TTestFonts fonts;
  struct TCase {
    const char* Name;
    std::size_t GridCells;
    int First, Last, Runs;
  };
  const std::vector<TCase> cases = {
      {"grid of two rows", 2 * kPageColumns, 0, 23, 2},
      {"rows before the page", kCellGridSize, -4, 0, 1},
      {"rows after the page", kCellGridSize, 23, 30, 1},
      {"empty range", kCellGridSize, 5, 4, 0},
  };
  for (const TCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    std::vector<TPrestCell> grid(testCase.GridCells, kWhiteSpace);
    TRgbaImage image(492, 400);
    TRowFlags flash{};
    EXPECT_EQ(DrawRows(image, testCase.First, testCase.Last, grid, 0, 6, 6, kCellWidth, kCellHeight,
                       fonts.Set(), false, flash),
              testCase.Runs);
  }
}

TEST(PageRendererTest, UnloadedFontSetPaintsBackgrounds) {
  std::vector<TPrestCell> grid(kCellGridSize, 0x4141);  // 'A' red on blue
  TRgbaImage image(492, 400);
  TRowFlags flash{};
  DrawRows(image, 1, 1, grid, 0, 6, 6 - kCellHeight, kCellWidth, kCellHeight, TFontSet{}, false,
           flash);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{6, 6}, {485, 21}, {100, 10}}) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    EXPECT_EQ(image.At(x, y), kTeletextPalette[4]);
  }
  EXPECT_EQ(image.At(6, 22), kTeletextPalette[0]);
}

TEST(PageRendererTest, TextBlockFrameIsWhiteWithBlackOutside) {
  TRgbaImage image(492, 380, {0, 0, 255});
  // The default block, columns 3..38 and rows 6..22, drawn with row 1 at y = 6.
  DrawTextBlockFrame(image, TTextBlock{}, 6, 6 - kCellHeight, kCellWidth, kCellHeight);
  const int left = 6 + 3 * 12, top = 6 + 5 * 16, right = 6 + 39 * 12 - 1, bottom = 6 + 22 * 16 - 1;
  struct TColourProbe {
    int X, Y;
    TRgb Colour;
  };
  const TRgb white{255, 255, 255}, black{0, 0, 0}, blue{0, 0, 255};
  const std::vector<TColourProbe> probes = {
      {left, top, white},         {right, bottom, white},
      {left, 200, white},         {right, 200, white},
      {200, top, white},          {200, bottom, white},
      {left - 1, top - 1, black}, {right + 1, bottom + 1, black},
      {left - 1, 200, black},     {200, bottom + 1, black},
      {left + 1, top + 1, blue},  {left - 2, 200, blue},
      {200, top - 2, blue},       {right - 1, bottom - 1, blue},
  };
  for (const TColourProbe& probe : probes) {
    SCOPED_TRACE(std::to_string(probe.X) + "," + std::to_string(probe.Y));
    EXPECT_EQ(image.At(probe.X, probe.Y), probe.Colour);
  }
}

}  // namespace
}  // namespace tavrel
