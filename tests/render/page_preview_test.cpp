// The whole drawing chain with the real font file: a page that uses every attribute, drawn as
// the preview shows it, compared pixel for pixel with a picture that was checked by eye.
#include "render/page_preview.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/page_renderer.h"
#include "render/png_writer.h"
#include "render/teletext_fonts.h"
#include "testing/control_codes.h"

namespace tavrel {
namespace {

using tavrel::testing::ExpandCodes;

// Rows 1..23 of a German page that together use every control code, every mosaic in both
// forms and heights, held mosaics, blast-through, national characters in both heights and
// double height on the last row (ignored). Rows after a double-height row are left empty,
// since the preview never shows them.
TPrestPage EveryAttributePage() {
  const std::vector<std::string> rows = {
      /* 1 */ "{0D}{03}Every attribute {12}{1D}{14}{7F}{2F}{1C}{07} p.101",
      /* 2 */ "",
      /* 3 */ "{00}Bk{01}Red{02}Grn{03}Yel{04}Blu{05}Mag{06}Cyn{07}White",
      /* 4 */ "{01}{1D}{07}white on red{02}{1D}{00}black on green{1C}{07}end",
      /* 5 */ "{08}Flash{09} steady {01}{08}red flash{09}{07}steady",
      /* 6 */ "{11} !\"#$%&'()*+,-./0123456789:;<=>?",
      /* 7 */ "{12}`abcdefghijklmnopqrstuvwxyz{7B}{7C}{7D}{7E}{7F}",
      /* 8 */ "{13}{1A} !\"#$%&'()*+,-./0123456789:;<=>?",
      /* 9 */ "{16}{1A}`abcdefghijklmnopqrstuvwxyz{7B}{7C}{7D}{7E}{7F}",
      /* 10 */ "{11}{7F}{1E}{12}{13}{14}{1F}{15}{35}{1E}{1A}{19}{1F}{16}BLAST{1E}{17}x",
      /* 11 */ "{0D}{17}{7F}{23}{2C}{70}{1A}{7F}{23}{2C}{70}{19}{06}Tall{0C}{02}low",
      /* 12 */ "",
      /* 13 */ "{18}conceal{0B}{0B}box{0A}{0A}{1B}esc{0E}wide",
      /* 14 */ "{0F}{05}double size{0E}{06} width{11}{1E}{7F}{0D}{12}",
      /* 15 */ "",
      /* 16 */ "{07}Umlaute: {7B}{7C}{7D}{7E} {5B}{5C}{5D} {40}{23}{24}{5E}{5F}{60}",
      /* 17 */ "{0D}{03}Gr{7D}{7E}e {7B}{7C}{7D} {40}{23}{24}{5E}{5F}{60}",
      /* 18 */ "",
      /* 19 */ "{14}{1D}{13}{7F}{1E}{1D}{12}{1C}{15}{35}{6A}{1F}{1A}{6A}",
      /* 20 */ "{04}{1D}{03}yellow on blue {1C} black background",
      /* 21 */ "{06}{1D}{04}{08}blue flashing on cyan{09}steady",
      /* 22 */ "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklm",
      /* 23 */ "Row 23 {0D}double height ignored",
  };
  TPrestPage page = TPrestPage::Blank(kCharSetGerman);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string cells = ExpandCodes(rows[i]);
    EXPECT_LE(cells.size(), static_cast<std::size_t>(kPageColumns)) << "row " << i + 1;
    for (std::size_t c = 0; c < cells.size() && c < kPageColumns; ++c) {
      page.Cell(static_cast<int>(i) + 1, static_cast<int>(c)) = static_cast<std::uint8_t>(cells[c]);
    }
  }
  return page;
}

// Reads a PNG with libpng's own decoder; an empty image when the file cannot be read.
TRgbaImage ReadPng(const std::string& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return {};
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
  const bool read = png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr);
  png_image_free(&png);
  if (!read) return {};
  TRgbaImage image(static_cast<int>(png.width), static_cast<int>(png.height));
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * image.Width() + x) * 3];
      image.Set(x, y, {p[0], p[1], p[2]});
    }
  }
  return image;
}

struct TGoldenCase {
  const char* Name;
  TPreviewOptions Options;
  const char* Golden;  // in tests/data/render
};

// Set TAVREL_UPDATE_GOLDEN=1 to write new golden pictures after a deliberate change of the
// glyphs or the drawing; look at them before committing.
TEST(PagePreviewTest, EveryAttributeMatchesTheGoldenPicture) {
  TTeletextFonts fonts;
  const TFontLoadResult loaded = fonts.Load(kFontFileAll1216, TAVREL_BINARY_DIR);
  ASSERT_TRUE(loaded.Success()) << loaded.Message();
  const TPrestPage page = EveryAttributePage();
  const std::vector<TGoldenCase> cases = {
      {"preview", {}, "every_attribute.png"},
      {"flash phase", {false, true, std::nullopt, std::nullopt}, "every_attribute_flash.png"},
      {"show codes with a text block",
       {true, false, TTextBlock{}, std::nullopt},
       "every_attribute_codes.png"},
  };
  const bool update = std::getenv("TAVREL_UPDATE_GOLDEN") != nullptr;
  for (const TGoldenCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    const TRgbaImage image =
        RenderPagePreview(page, fonts.FontSet(kFontSize1216), testCase.Options);
    const std::string golden = std::string(TAVREL_TEST_DATA_DIR "/render/") + testCase.Golden;
    if (update) WritePngFile(image, golden);
    const TRgbaImage expected = ReadPng(golden);
    ASSERT_EQ(expected.Width(), image.Width()) << golden;
    ASSERT_EQ(expected.Height(), image.Height()) << golden;
    if (std::memcmp(expected.Bytes(), image.Bytes(), image.ByteCount()) == 0) continue;
    const std::string actual = std::string(TAVREL_BINARY_DIR "/") + testCase.Golden;
    WritePngFile(image, actual);
    int differing = 0;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        if (image.At(x, y) != expected.At(x, y) && differing++ == 0) {
          ADD_FAILURE() << "first difference at " << x << "," << y << " (cell column "
                        << (x - 6) / 12 << ", row " << (y - 6) / 16 + 1 << "); drawn picture in "
                        << actual;
        }
      }
    }
    EXPECT_EQ(differing, 0);
  }
}

// The fastext row is a 24th row inside the frame, decoded on its own: its colour codes colour
// the prompts, and row 23 above it is left as it was.
TEST(PagePreviewTest, FastextRowBelowTheLastRow) {
  TTeletextFonts fonts;
  ASSERT_TRUE(fonts.Load(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  const TFontSet& set = fonts.FontSet(kFontSize1216);
  TPrestPage page = TPrestPage::Blank();
  TPreviewOptions options;
  options.FastextRow = BuildFastextRow({"News", "Sport", "Money", "Weather"});
  const TRgbaImage with = RenderPagePreview(page, set, options);
  const TRgbaImage without = RenderPagePreview(page, set);
  ASSERT_EQ(with.Height(), without.Height() + 16);
  for (int y = 0; y < without.Height() - kFrameThickness; ++y) {
    for (int x = 0; x < with.Width(); ++x)
      ASSERT_EQ(with.At(x, y), without.At(x, y)) << x << "," << y;
  }
  // Ink of each prompt's colour in its part of the row ("News" red from column 1, "Weather"
  // cyan in the last quarter).
  const auto hasInk = [&](int firstColumn, int lastColumn, TRgb colour) {
    for (int y = kFrameThickness + 23 * 16; y < kFrameThickness + 24 * 16; ++y) {
      for (int x = kFrameThickness + firstColumn * 12; x < kFrameThickness + lastColumn * 12; ++x) {
        if (with.At(x, y) == colour) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(hasInk(1, 5, kTeletextPalette[1]));
  EXPECT_TRUE(hasInk(30, 40, kTeletextPalette[6]));
  EXPECT_FALSE(hasInk(1, 5, kTeletextPalette[6]));
}

TEST(PagePreviewTest, PictureSizeFollowsTheFontSet) {
  TTeletextFonts fonts;
  ASSERT_TRUE(fonts.Load(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  struct TCase {
    const char* Name;
    const TFontSet* Set;
    int Width, Height;
  };
  const TFontSet none;
  const std::vector<TCase> cases = {
      {"12 x 16 cells", &fonts.FontSet(kFontSize1216), 492, 380},
      {"no fonts loaded: 12 x 16 cells of plain colour", &none, 492, 380},
  };
  for (const TCase& testCase : cases) {
    SCOPED_TRACE(testCase.Name);
    TPrestPage page = TPrestPage::Blank();
    page.FrameColor = 4;
    const TRgbaImage image = RenderPagePreview(page, *testCase.Set);
    EXPECT_EQ(image.Width(), testCase.Width);
    EXPECT_EQ(image.Height(), testCase.Height);
    EXPECT_EQ(image.At(0, 0), kTeletextPalette[4]);
    EXPECT_EQ(image.At(testCase.Width - 1, testCase.Height - 1), kTeletextPalette[4]);
    EXPECT_EQ(image.At(6, 6), kTeletextPalette[0]);
  }
}

}  // namespace
}  // namespace tavrel
