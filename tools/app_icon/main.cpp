// Draws the application icon with the program's own renderer and teletext fonts: a corner of a
// teletext screen (a page number, a headline and the four fastext colours) in 4 x 3 cells, at
// each size the desktop asks for.
//   tavrel_app_icon FONT_FOLDER OUTPUT_FOLDER
// writes OUTPUT_FOLDER/hicolor/<size>x<size>/apps/tavrel.png.
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "page/row_decoder.h"
#include "render/page_renderer.h"
#include "render/png_writer.h"
#include "render/teletext_fonts.h"

namespace {

using tavrel::TPrestCell;

constexpr int kColumns = 4;
constexpr int kRows = 3;
constexpr int kCellWidth = 12;
constexpr int kCellHeight = 16;
// The design is 48 x 48 pixels at its own size.
constexpr int kDesignSize = kColumns * kCellWidth;
static_assert(kRows * kCellHeight == kDesignSize, "the icon is square");

// Teletext colour numbers.
constexpr int kBlack = 0, kRed = 1, kGreen = 2, kYellow = 3, kBlue = 4, kCyan = 6, kWhite = 7;

// One display cell: glyph, foreground and background colour (the renderer's cell layout).
constexpr TPrestCell Cell(char glyph, int foreground, int background) {
  return static_cast<TPrestCell>(static_cast<std::uint8_t>(glyph) | (foreground << 8) |
                                 (background << 12));
}

// The icon's cells, row by row: a page number in the header's colours, a headline, and the
// fastext bar.
constexpr std::array<std::array<TPrestCell, kColumns>, kRows> kDesign = {{
    {Cell('P', kYellow, kBlue), Cell('1', kYellow, kBlue), Cell('0', kYellow, kBlue),
     Cell('0', kYellow, kBlue)},
    {Cell('N', kWhite, kBlack), Cell('e', kWhite, kBlack), Cell('w', kWhite, kBlack),
     Cell('s', kWhite, kBlack)},
    {Cell(' ', kWhite, kRed), Cell(' ', kWhite, kGreen), Cell(' ', kWhite, kYellow),
     Cell(' ', kWhite, kCyan)},
}};

// Each size: the design enlarged by a whole number (teletext stays sharp only so) and centred
// on a black screen; the margin keeps the larger icons' visual weight near the small one's.
struct TIconSize {
  int Size;
  int Scale;
};
constexpr std::array<TIconSize, 3> kIconSizes = {{{48, 1}, {128, 2}, {256, 4}}};
static_assert(kDesignSize * 4 <= 256 && kDesignSize * 2 <= 128);

tavrel::TRgbaImage DrawDesign(const tavrel::TFontSet& fonts) {
  std::vector<TPrestCell> cells(tavrel::kCellGridSize, Cell(' ', kWhite, kBlack));
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      cells[static_cast<std::size_t>(row * tavrel::kPageColumns + column)] = kDesign[row][column];
    }
  }
  tavrel::TRgbaImage design(kDesignSize, kDesignSize);
  tavrel::TRowFlags flashing{};
  tavrel::DrawRows(design, 0, kRows - 1, cells, 0, 0, 0, kCellWidth, kCellHeight, fonts, false,
                   flashing);
  return design;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tavrel_app_icon FONT_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  try {
    tavrel::TTeletextFonts fonts;
    const tavrel::TFontLoadResult loaded = fonts.Load(tavrel::kFontFileAll1216, argv[1]);
    if (!loaded.Success()) {
      std::fprintf(stderr, "tavrel_app_icon: %s\n", loaded.Message().c_str());
      return 1;
    }
    const tavrel::TRgbaImage design = DrawDesign(fonts.FontSet(tavrel::kFontSize1216));
    for (const TIconSize& size : kIconSizes) {
      const tavrel::TRgbaImage scaled = design.Scaled(size.Scale);
      tavrel::TRgbaImage icon(size.Size, size.Size, tavrel::kTeletextPalette[kBlack]);
      const int margin = (size.Size - scaled.Width()) / 2;
      for (int y = 0; y < scaled.Height(); ++y) {
        for (int x = 0; x < scaled.Width(); ++x) icon.Set(margin + x, margin + y, scaled.At(x, y));
      }
      const std::string name = std::to_string(size.Size) + "x" + std::to_string(size.Size);
      const std::filesystem::path folder =
          std::filesystem::path(argv[2]) / "hicolor" / name / "apps";
      std::filesystem::create_directories(folder);
      tavrel::WritePngFile(icon, (folder / "tavrel.png").string());
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tavrel_app_icon: %s\n", error.what());
    return 1;
  }
  return 0;
}
