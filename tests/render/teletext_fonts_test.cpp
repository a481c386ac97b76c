#include "render/teletext_fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/error.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

// A path under the test temporary folder that no other test process uses at the same time.
fs::path TempPath(const std::string& name) {
  return fs::path(testing::TempDir()) / (name + "." + std::to_string(::getpid()));
}

const std::string kBuildDir = TAVREL_BINARY_DIR;
const std::string kFontFile = kBuildDir + "/p1216all.fon";
const std::string kSourceDir = std::string(TAVREL_SOURCE_DIR) + "/data/fonts";

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The glyph pictures of a source file, by the key after "glyph" (its code "0x41" or its
// character "U+00E4"), as rows of '#' and '.'. Read independently of the font compiler.
std::map<std::string, std::vector<std::string>> ReadPictures(const std::string& path) {
  std::map<std::string, std::vector<std::string>> pictures;
  std::map<std::string, std::string> alsoKnownAs;  // English glyphs: character key -> code key
  std::ifstream in(path);
  std::string line;
  std::vector<std::string>* open = nullptr;
  while (std::getline(in, line)) {
    if (line.rfind("glyph ", 0) == 0) {
      std::istringstream words(line.substr(6));
      std::string key;
      std::string second;
      words >> key >> second;
      open = &pictures[key];
      if (second.rfind("U+", 0) == 0) alsoKnownAs[second] = key;
    } else if (open != nullptr && !line.empty() && (line[0] == '#' || line[0] == '.')) {
      open->push_back(line);
    }
  }
  for (const auto& [character, code] : alsoKnownAs) pictures[character] = pictures[code];
  return pictures;
}

std::vector<std::string> Picture(const TTeletextFace& face, std::uint8_t code) {
  std::vector<std::string> rows;
  for (int y = 0; y < face.Height(); ++y) {
    std::string row;
    for (int x = 0; x < face.Width(); ++x) row += face.Pixel(code, x, y) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

// The upper or lower half of a picture stretched to twice its height.
std::vector<std::string> StretchedHalf(const std::vector<std::string>& picture, bool lower) {
  std::vector<std::string> half;
  const std::size_t first = lower ? picture.size() / 2 : 0;
  for (std::size_t y = 0; y < picture.size(); ++y) half.push_back(picture[first + y / 2]);
  return half;
}

const TTeletextFace& Face(const std::vector<TTeletextFace>& faces, const std::string& name) {
  for (const auto& face : faces) {
    if (face.Name() == name) return face;
  }
  throw std::runtime_error("no face " + name);
}

class FontFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    faces_ = new std::vector<TTeletextFace>(ReadFontResourceFile(kFontFile));
  }
  static void TearDownTestSuite() {
    delete faces_;
    faces_ = nullptr;
  }
  static const TTeletextFace& Named(const std::string& name) { return Face(*faces_, name); }
  static std::vector<TTeletextFace>* faces_;
};
std::vector<TTeletextFace>* FontFileTest::faces_ = nullptr;

// FreeType reads the file on its own; every glyph it renders must match what our reader made.
TEST_F(FontFileTest, EveryFaceMatchesFreeTypesReading) {
  struct Case {
    int Index;
    const char* Name;
    int GlyphCount;
  };
  const Case cases[] = {{0, "EHPRESTEL", 256}, {1, "DHPRESTEL", 256}, {2, "LAPRESTEL", 234},
                        {3, "PrestUK", 256},   {4, "PrestD", 256},    {5, "PrestF", 256},
                        {6, "PrestI", 256},    {7, "PrestE", 256},    {8, "PrestS", 256}};
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    FT_Face ftFace = nullptr;
    ASSERT_EQ(FT_New_Face(library, kFontFile.c_str(), c.Index, &ftFace), 0);
    EXPECT_EQ(ftFace->num_faces, 9);
    EXPECT_STREQ(ftFace->family_name, c.Name);
    EXPECT_EQ(ftFace->num_glyphs, c.GlyphCount + 1);  // FreeType adds a .notdef
    ASSERT_EQ(FT_Select_Size(ftFace, 0), 0);
    const TTeletextFace& ours = Named(c.Name);
    EXPECT_EQ(ours.Width(), 12);
    EXPECT_EQ(ours.Height(), 16);
    int mismatches = 0;
    for (int code = 0; code < c.GlyphCount; ++code) {
      ASSERT_EQ(FT_Load_Glyph(ftFace, code + 1, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
      const FT_Bitmap& bitmap = ftFace->glyph->bitmap;
      ASSERT_EQ(bitmap.pixel_mode, FT_PIXEL_MODE_MONO);
      ASSERT_EQ(bitmap.width, 12u);
      ASSERT_EQ(bitmap.rows, 16u);
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 12; ++x) {
          const bool ink = (bitmap.buffer[y * bitmap.pitch + x / 8] >> (7 - x % 8)) & 1;
          if (ink != ours.Pixel(static_cast<std::uint8_t>(code), x, y)) ++mismatches;
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
    FT_Done_Face(ftFace);
  }
  FT_Done_FreeType(library);
}

// The text and control glyphs of the single-height face are the drawn pictures.
TEST_F(FontFileTest, SingleHeightTextAndControlsAreTheSourcePictures) {
  struct Case {
    const char* File;
    int First;
    int Last;
  };
  const Case cases[] = {{"english.txt", 0x20, 0x7F}, {"controls.txt", 0x00, 0x1F}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    const auto pictures = ReadPictures(kSourceDir + "/" + c.File);
    for (int code = c.First; code <= c.Last; ++code) {
      char key[8];
      std::snprintf(key, sizeof key, "0x%02X", code);
      SCOPED_TRACE(key);
      ASSERT_EQ(pictures.count(key), 1u);
      EXPECT_EQ(Picture(Named("EHPRESTEL"), code), pictures.at(key));
    }
  }
}

// Mosaics drawn by hand from the sixel geometry: columns of 6 pixels, rows of 5, 6 and 5
// pixels; separated sixels 4 pixels wide from 1 pixel in, rows 1-3, 6-9 and 12-14.
TEST_F(FontFileTest, MosaicsFollowTheSixelGeometry) {
  struct Case {
    const char* What;
    std::uint8_t Glyph;
    std::vector<std::string> Picture;
  };
  const std::vector<std::string> empty(16, "............");
  const Case cases[] = {
      {"contiguous 0x21 (top left)",
       0xA1,
       {"######......", "######......", "######......", "######......", "######......",
        "............", "............", "............", "............", "............",
        "............", "............", "............", "............", "............",
        "............"}},
      {"contiguous 0x7F (all)", 0xFF, std::vector<std::string>(16, "############")},
      {"contiguous 0x20 (none)", 0xA0, empty},
      {"contiguous 0x6A (top right, middle right, bottom right)",
       0xEA,
       {"......######", "......######", "......######", "......######", "......######",
        "......######", "......######", "......######", "......######", "......######",
        "......######", "......######", "......######", "......######", "......######",
        "......######"}},
      {"contiguous 0x2C (middle left, middle right)",
       0xAC,
       {"............", "............", "............", "............", "............",
        "############", "############", "############", "############", "############",
        "############", "............", "............", "............", "............",
        "............"}},
      {"separated 0x7F (all)",
       0xDF,
       {"............", ".####..####.", ".####..####.", ".####..####.", "............",
        "............", ".####..####.", ".####..####.", ".####..####.", ".####..####.",
        "............", "............", ".####..####.", ".####..####.", ".####..####.",
        "............"}},
      {"separated 0x30 (bottom left)",
       0x90,
       {"............", "............", "............", "............", "............",
        "............", "............", "............", "............", "............",
        "............", "............", ".####.......", ".####.......", ".####.......",
        "............"}},
      {"separated 0x66 (top right, middle left, bottom right)",
       0xC6,
       {"............", ".......####.", ".......####.", ".......####.", "............",
        "............", ".####.......", ".####.......", ".####.......", ".####.......",
        "............", "............", ".......####.", ".......####.", ".......####.",
        "............"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(Picture(Named("EHPRESTEL"), c.Glyph), c.Picture);
  }
}

// Double-height halves are the single-height glyph stretched to two cells: text by code, and
// mosaics by four-sixel pattern (upper: top and middle sixels, lower: middle and bottom).
TEST_F(FontFileTest, DoubleHeightHalvesAreTheStretchedSingleGlyph) {
  struct Case {
    const char* What;
    int FirstHalf;  // first double-height glyph of the range
    int Count;
    bool Lower;
    int (*SingleGlyph)(int index);  // the single-height glyph that is stretched
  };
  const Case cases[] = {
      {"text upper halves", 0x20, 0x60, false, [](int i) { return 0x20 + i; }},
      {"text lower halves", 0xA0, 0x60, true, [](int i) { return 0x20 + i; }},
      // Pattern p as mosaic code 0x20 + p; contiguous at code OR 0x80, separated at code
      // with bit 5 cleared OR 0x80.
      {"contiguous mosaic upper halves", 0x00, 16, false, [](int p) { return 0xA0 + p; }},
      {"separated mosaic upper halves", 0x10, 16, false, [](int p) { return 0x80 + p; }},
      {"contiguous mosaic lower halves", 0x80, 16, true,
       [](int p) { return (p << 2) < 0x20 ? 0xA0 + (p << 2) : 0xE0 + (p << 2) - 0x20; }},
      {"separated mosaic lower halves", 0x90, 16, true,
       [](int p) { return (p << 2) < 0x20 ? 0x80 + (p << 2) : 0xC0 + (p << 2) - 0x20; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    for (int i = 0; i < c.Count; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(Picture(Named("DHPRESTEL"), c.FirstHalf + i),
                StretchedHalf(Picture(Named("EHPRESTEL"), c.SingleGlyph(i)), c.Lower));
    }
  }
}

// National glyphs: three groups of 78, six language blocks of 13 in the order English, German,
// Swedish, Italian, French, Spanish, positions ascending. Checked against the drawn pictures
// of the characters each language shows.
TEST_F(FontFileTest, NationalGlyphsAreInLanguageAndPositionOrder) {
  struct Case {
    const char* What;
    int Block;
    int Place;
    const char* Character;  // picture key
  };
  const Case cases[] = {
      {"English 0x23 pound", 0, 0, "U+00A3"},      {"English 0x7E division", 0, 12, "U+00F7"},
      {"German 0x40 section", 1, 2, "U+00A7"},     {"German 0x7B a umlaut", 1, 9, "U+00E4"},
      {"German 0x7E sharp s", 1, 12, "U+00DF"},    {"Swedish 0x24 currency", 2, 1, "U+00A4"},
      {"Swedish 0x5D A ring", 2, 5, "U+00C5"},     {"Italian 0x5B degree", 3, 3, "U+00B0"},
      {"Italian 0x7E i grave", 3, 12, "U+00EC"},   {"French 0x23 e acute", 4, 0, "U+00E9"},
      {"French 0x5F number sign", 4, 7, "U+0023"}, {"Spanish 0x60 inverted ?", 5, 8, "U+00BF"},
      {"Spanish 0x7C n tilde", 5, 10, "U+00F1"},
  };
  auto pictures = ReadPictures(kSourceDir + "/national.txt");
  for (const auto& [key, rows] : ReadPictures(kSourceDir + "/english.txt")) pictures[key] = rows;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    ASSERT_EQ(pictures.count(c.Character), 1u);
    const auto& picture = pictures.at(c.Character);
    const int index = c.Block * 13 + c.Place;
    EXPECT_EQ(Picture(Named("LAPRESTEL"), index), picture);
    EXPECT_EQ(Picture(Named("LAPRESTEL"), 78 + index), StretchedHalf(picture, false));
    EXPECT_EQ(Picture(Named("LAPRESTEL"), 156 + index), StretchedHalf(picture, true));
  }
}

// Each language face is the single-height face with that language's national glyphs.
TEST_F(FontFileTest, LanguageFacesCarryTheirNationalGlyphs) {
  constexpr std::array<int, 13> kPositions = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D, 0x5E,
                                              0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};
  struct Case {
    const char* Face;
    int Block;
  };
  const Case cases[] = {{"PrestUK", 0}, {"PrestD", 1}, {"PrestS", 2},
                        {"PrestI", 3},  {"PrestF", 4}, {"PrestE", 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Face);
    for (int code = 0; code < 256; ++code) {
      SCOPED_TRACE(code);
      const auto* place = std::find(kPositions.begin(), kPositions.end(), code);
      if (place != kPositions.end()) {
        EXPECT_EQ(Picture(Named(c.Face), code),
                  Picture(Named("LAPRESTEL"), c.Block * 13 + (place - kPositions.begin())));
      } else {
        EXPECT_EQ(Picture(Named(c.Face), code), Picture(Named("EHPRESTEL"), code));
      }
    }
  }
}

// Loading by load bits from a folder holding the given files.
TEST(TeletextFontsLoadTest, FillsTheSetsOfFoundFilesAndListsMissingOnes) {
  struct Case {
    const char* What;
    int LoadBits;
    bool WithCombinedFile;
    std::vector<std::string> MissingNames;
    std::array<bool, 4> SetsLoaded;
  };
  const Case cases[] = {
      {"the program's call with the file present",
       kFontFileAll1216,
       true,
       {},
       {false, false, true, false}},
      {"the program's call without the file",
       kFontFileAll1216,
       false,
       {"p1216all.fon"},
       {false, false, false, false}},
      {"bit 16 fills set 3 although bit 4's file is missing",
       kFontFile1216 | kFontFileAll1216,
       true,
       {"qor1216.fon"},
       {false, false, true, false}},
      {"missing files listed in bit order",
       kFontFile1520 | kFontFile0608 | kFontFile0912,
       true,
       {"qor0608.fon", "qor0912.fon", "qor1520.fon"},
       {false, false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const fs::path folder = TempPath("tavrel_fonts_load");
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (c.WithCombinedFile) fs::copy_file(kFontFile, folder / "p1216all.fon");

    TTeletextFonts fonts;
    const TFontLoadResult result = fonts.Load(c.LoadBits, folder.string());
    std::string expected;
    if (!c.MissingNames.empty()) {
      expected = "Font file(s)\n";
      for (const auto& name : c.MissingNames) expected += (folder / name).string() + "\n";
      expected += "not found!";
    }
    EXPECT_EQ(result.Message(), expected);
    EXPECT_EQ(result.Success(), c.MissingNames.empty());
    for (int size = 1; size <= 4; ++size) {
      SCOPED_TRACE(size);
      const TFontSet& set = fonts.FontSet(size);
      EXPECT_EQ(set.Loaded(), c.SetsLoaded[size - 1]);
      if (c.SetsLoaded[size - 1]) {
        EXPECT_EQ(set.CellWidth, 12);
        EXPECT_EQ(set.CellHeight, 16);
        EXPECT_EQ(set.SingleHeight->Name(), "EHPRESTEL");
        EXPECT_EQ(set.DoubleHeight->Name(), "DHPRESTEL");
        EXPECT_EQ(set.National->Name(), "LAPRESTEL");
      } else {
        EXPECT_EQ(set.CellWidth, 0);
        EXPECT_EQ(set.National, nullptr);
      }
    }
    ASSERT_EQ(fonts.CharSetFace(8) != nullptr, c.WithCombinedFile && (c.LoadBits & 16) != 0);
    fs::remove_all(folder);
  }
}

TEST(TeletextFontsLoadTest, CharSetCodesChooseTheLanguageFace) {
  TTeletextFonts fonts;
  ASSERT_TRUE(fonts.Load(kFontFileAll1216, kBuildDir).Success());
  const std::pair<int, const char*> cases[] = {
      {0, "PrestUK"}, {2, "PrestF"},   {4, "PrestS"}, {6, "PrestUK"}, {8, "PrestD"}, {10, "PrestE"},
      {12, "PrestI"}, {14, "PrestUK"}, {1, nullptr},  {16, nullptr},  {-2, nullptr}};
  for (const auto& [charSet, face] : cases) {
    SCOPED_TRACE(charSet);
    if (face == nullptr) {
      EXPECT_EQ(fonts.CharSetFace(charSet), nullptr);
    } else {
      ASSERT_NE(fonts.CharSetFace(charSet), nullptr);
      EXPECT_EQ(fonts.CharSetFace(charSet)->Name(), face);
    }
  }
  fonts.Unload();
  EXPECT_FALSE(fonts.FontSet(kFontSize1216).Loaded());
  EXPECT_EQ(fonts.CharSetFace(8), nullptr);
}

// Offsets of the built file, found through its own headers.
struct FileLayout {
  std::size_t Ne;
  std::size_t ResourceTable;
  std::size_t FirstFont;  // file offset of the first FNT resource
};
FileLayout Layout(const std::vector<std::uint8_t>& bytes) {
  auto u16 = [&](std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); };
  FileLayout layout{};
  layout.Ne = u16(0x3C);
  layout.ResourceTable = layout.Ne + u16(layout.Ne + 0x24);
  const int shift = u16(layout.ResourceTable);
  // FONTDIR type (8 bytes) and its one entry (12), then the FONT type (8) and its entries.
  layout.FirstFont = static_cast<std::size_t>(u16(layout.ResourceTable + 2 + 20 + 8)) << shift;
  return layout;
}

void Put16(std::vector<std::uint8_t>& bytes, std::size_t at, unsigned value) {
  bytes[at] = value & 0xFF;
  bytes[at + 1] = (value >> 8) & 0xFF;
}

TEST(FontResourceParseTest, BrokenFilesGiveAClearError) {
  const std::vector<std::uint8_t> good = ReadBytes(kFontFile);
  ASSERT_GT(good.size(), 0x1000u);
  const FileLayout layout = Layout(good);
  struct Case {
    const char* What;
    void (*Break)(std::vector<std::uint8_t>&, const FileLayout&);
    std::string Message;
  };
  const Case cases[] = {
      {"empty file", [](auto& b, const auto&) { b.clear(); },
       "x.fon: not a font resource file (no MZ header)"},
      {"cut inside the MZ header", [](auto& b, const auto&) { b.resize(0x30); },
       "x.fon: truncated font file: MZ header at byte 60 runs past the end (48 bytes)"},
      {"no NE signature", [](auto& b, const auto& l) { b[l.Ne] = 'P'; },
       "x.fon: not a font resource file (no NE header)"},
      {"NE header pointer past the end", [](auto& b, const auto&) { Put16(b, 0x3E, 0x7FFF); },
       "x.fon: truncated font file: NE header at byte 2147418240 runs past the end (85264 "
       "bytes)"},
      {"huge alignment shift", [](auto& b, const auto& l) { Put16(b, l.ResourceTable, 40); },
       "x.fon: resource alignment shift 40 is too large"},
      {"resource count past the end",
       [](auto& b, const auto& l) { Put16(b, l.ResourceTable + 2 + 20 + 2, 0xFFFF); },
       "x.fon: truncated font file: resource table at byte 222 runs past the end (85264 "
       "bytes)"},
      {"font resource past the end",
       [](auto& b, const auto& l) { Put16(b, l.ResourceTable + 2 + 20 + 8, 0xFFFF); },
       "x.fon: font resource 1 starts at byte 1048560, past the end of the file (85264 bytes)"},
      {"cut inside the first font's header",
       [](auto& b, const auto& l) { b.resize(l.FirstFont + 50); },
       "x.fon: truncated font file: FNT header at byte 1536 runs past the end (1586 bytes)"},
      {"unknown FNT version", [](auto& b, const auto& l) { Put16(b, l.FirstFont, 0x0100); },
       "x.fon: font resource 1: unsupported FNT version 0x0100"},
      {"FNT size larger than its resource",
       [](auto& b, const auto& l) { Put16(b, l.FirstFont + 2, 0xF000); },
       "x.fon: font resource 1: FNT size 61440 does not fit its resource of 9392 bytes"},
      {"vector font", [](auto& b, const auto& l) { b[l.FirstFont + 66] = 1; },
       "x.fon: font resource 1: vector fonts are not supported"},
      {"zero pixel height", [](auto& b, const auto& l) { Put16(b, l.FirstFont + 88, 0); },
       "x.fon: font resource 1: cell of 12 x 0 pixels is not a teletext cell"},
      {"glyph wider than the cell", [](auto& b, const auto& l) { Put16(b, l.FirstFont + 118, 13); },
       "x.fon: font resource 1: glyph 0 is 13 pixels wide in a 12-pixel cell"},
      {"glyph bitmap outside the font",
       [](auto& b, const auto& l) { Put16(b, l.FirstFont + 118 + 2, 0xFFF0); },
       "x.fon: font resource 1: glyph bitmap lies outside the FNT data"},
      {"face name outside the font",
       [](auto& b, const auto& l) { Put16(b, l.FirstFont + 105, 0xFFF0); },
       "x.fon: font resource 1: face name lies outside the FNT data"},
      {"last character before the first",
       [](auto& b, const auto& l) { b[l.FirstFont + 95] = 0x80, b[l.FirstFont + 96] = 0x7F; },
       "x.fon: font resource 1: last character before first character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    std::vector<std::uint8_t> bytes = good;
    c.Break(bytes, layout);
    try {
      ParseFontResource(bytes, "x.fon");
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), c.Message);
    }
  }
}

// Whatever the damage, reading answers faces or a tavrel::Error, never a crash or a read
// outside the bytes (the sanitizer build watches the reads).
TEST(FontResourceParseTest, DamagedBytesNeverCrash) {
  const std::vector<std::uint8_t> good = ReadBytes(kFontFile);
  std::mt19937 random(1216);
  int errors = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes = good;
    if (round % 3 == 0) {
      bytes.resize(random() % good.size());
    } else {
      // Damage the headers and tables, where offsets live.
      for (int i = 0; i < 8; ++i) bytes[random() % 0x1000] = static_cast<std::uint8_t>(random());
    }
    try {
      const auto faces = ParseFontResource(bytes, "x.fon");
      for (const auto& face : faces) EXPECT_LE(face.Width(), kMaxGlyphWidth);
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()).rfind("x.fon: ", 0), 0u) << error.what();
      ++errors;
    }
  }
  EXPECT_GT(errors, 100);
}

// A file that is readable but lacks a face the program needs is reported, and its set stays
// empty rather than half filled.
TEST(TeletextFontsLoadTest, FileWithoutANeededFaceIsReported) {
  struct Case {
    const char* What;
    std::string FaceName;  // renamed to the same length so the file stays valid
    std::string Rename;
    std::string Message;
  };
  const Case cases[] = {
      {"no national face", "LAPRESTEL", "LAPRESTEX", "no face LAPRESTEL"},
      {"no German face", "PrestD", "PrestX", "no face PrestD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    std::vector<std::uint8_t> bytes = ReadBytes(kFontFile);
    const std::string text(bytes.begin(), bytes.end());
    // Rename every copy: the font directory and the font both carry the name.
    std::size_t at = 0;
    int renamed = 0;
    while ((at = text.find(std::string(1, '\0') + c.FaceName + '\0', at)) != std::string::npos) {
      std::copy(c.Rename.begin(), c.Rename.end(), bytes.begin() + at + 1);
      ++at;
      ++renamed;
    }
    ASSERT_EQ(renamed, 2);
    const fs::path folder = TempPath("tavrel_fonts_face");
    fs::create_directories(folder);
    std::ofstream(folder / "p1216all.fon", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    TTeletextFonts fonts;
    const TFontLoadResult result = fonts.Load(kFontFileAll1216, folder.string());
    EXPECT_FALSE(result.Success());
    EXPECT_EQ(result.Message(), (folder / "p1216all.fon").string() + ": " + c.Message);
    EXPECT_FALSE(fonts.FontSet(kFontSize1216).Loaded());
    EXPECT_EQ(fonts.LanguageFace(0), nullptr);
    fs::remove_all(folder);
  }
}

// The large fonts: 96 glyphs of 9 rows, the pictures of their source, each glyph starting at
// the left edge (the editor measures a glyph's width from where its ink ends), six styles.
TEST(LargeFontTest, FilesHoldTheirPicturesLeftAligned) {
  std::vector<std::vector<std::uint8_t>> files;
  for (int number = 1; number <= 6; ++number) {
    SCOPED_TRACE(number);
    const std::string name = "txtfont" + std::to_string(number);
    const std::vector<std::uint8_t> bytes = ReadBytes(kBuildDir + "/" + name + ".fnt");
    ASSERT_EQ(bytes.size(), 864u);
    const auto pictures = ReadPictures(kSourceDir + "/large/" + name + ".txt");
    for (int code = 0x20; code < 0x80; ++code) {
      char key[8];
      std::snprintf(key, sizeof key, "0x%02X", code);
      SCOPED_TRACE(key);
      ASSERT_EQ(pictures.count(key), 1u);
      std::uint8_t ink = 0;
      for (int row = 0; row < 9; ++row) {
        const std::uint8_t byte = bytes[(code - 0x20) * 9 + row];
        std::string drawn;
        for (int x = 0; x < 8; ++x) drawn += (byte & (0x80 >> x)) ? '#' : '.';
        EXPECT_EQ(drawn, pictures.at(key)[row]);
        ink |= byte;
      }
      // Only the blank space has no ink, except in the inverse style, where it is a box.
      if (code != 0x20 || number == 5) {
        EXPECT_TRUE(ink & 0x80) << "glyph does not start at bit 7";
      }
    }
    for (const auto& other : files) EXPECT_NE(bytes, other) << "two large fonts are the same";
    files.push_back(bytes);
  }
}

}  // namespace
}  // namespace tavrel
