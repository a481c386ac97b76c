#include "teletext_layouts.h"

#include <cstdio>

#include "support/error.h"

namespace tavrel::fontc {

namespace {

using TGlyph = std::array<std::uint16_t, kCellHeight>;

// The 13 national positions, in the order the national face keeps them.
constexpr std::array<int, 13> kNationalPositions = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D, 0x5E,
                                                    0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};

// What each language shows at the national positions (Unicode characters), in the national
// option order English, German, Swedish, Italian, French, Spanish. English and Italian show
// arrows at 0x5B, 0x5D and 0x5E, and English a double bar at 0x7C, as teletext sets do; the
// Windows text of those positions is a pair or a look-alike, but the glyph is the teletext one.
constexpr std::array<std::array<int, 13>, 6> kNationalCharacters = {{
    {0x00A3, 0x0024, 0x0040, 0x2190, 0x00BD, 0x2192, 0x2191, 0x0023, 0x2014, 0x00BC, 0x2016, 0x00BE,
     0x00F7},
    {0x0023, 0x0024, 0x00A7, 0x00C4, 0x00D6, 0x00DC, 0x005E, 0x005F, 0x00B0, 0x00E4, 0x00F6, 0x00FC,
     0x00DF},
    {0x0023, 0x00A4, 0x00C9, 0x00C4, 0x00D6, 0x00C5, 0x00DC, 0x005F, 0x00E9, 0x00E4, 0x00F6, 0x00E5,
     0x00FC},
    {0x00A3, 0x0024, 0x00E9, 0x00B0, 0x00E7, 0x2192, 0x2191, 0x0023, 0x00F9, 0x00E0, 0x00F2, 0x00E8,
     0x00EC},
    {0x00E9, 0x00EF, 0x00E0, 0x00EB, 0x00EA, 0x00F9, 0x00EE, 0x0023, 0x00E8, 0x00E2, 0x00F4, 0x00FB,
     0x00E7},
    {0x00E7, 0x0024, 0x00A1, 0x00E1, 0x00E9, 0x00ED, 0x00F3, 0x00FA, 0x00BF, 0x00FC, 0x00F1, 0x00E8,
     0x00E0},
}};

// Language faces in file order, with their index in the national option order above.
struct TLanguageFace {
  const char* Name;
  int Language;
};
constexpr std::array<TLanguageFace, 6> kLanguageFaces = {
    {{"PrestUK", 0}, {"PrestD", 1}, {"PrestF", 4}, {"PrestI", 3}, {"PrestE", 5}, {"PrestS", 2}}};

// Sixel geometry of a 12 x 16 mosaic cell: two columns 6 pixels wide; three rows 5, 6 and 5
// pixels high. A separated sixel is the block 1 pixel right of its sixel's left edge, 4 pixels
// wide, starting at row 1, 6 or 12 with heights 3, 4 and 3. These line up with the editor's
// pixel preview of mosaics.
struct TSpan {
  int First;
  int Count;
};
constexpr std::array<TSpan, 2> kContiguousColumns = {{{0, 6}, {6, 6}}};
constexpr std::array<TSpan, 3> kContiguousRows = {{{0, 5}, {5, 6}, {11, 5}}};
constexpr std::array<TSpan, 2> kSeparatedColumns = {{{1, 4}, {7, 4}}};
constexpr std::array<TSpan, 3> kSeparatedRows = {{{1, 3}, {6, 4}, {12, 3}}};

constexpr std::uint16_t SpanMask(TSpan span) {
  std::uint16_t mask = 0;
  for (int x = span.First; x < span.First + span.Count; ++x) {
    mask |= static_cast<std::uint16_t>(1u << (kCellWidth - 1 - x));
  }
  return mask;
}
static_assert(SpanMask({0, 6}) == 0xFC0 && SpanMask({7, 4}) == 0x01E);

// A mosaic glyph for six sixel bits (bit 0 top left, 1 top right, 2 middle left, 3 middle
// right, 4 bottom left, 5 bottom right).
TGlyph MosaicGlyph(int sixels, bool separated) {
  const auto& columns = separated ? kSeparatedColumns : kContiguousColumns;
  const auto& rowSpans = separated ? kSeparatedRows : kContiguousRows;
  TGlyph glyph{};
  for (int sixel = 0; sixel < 6; ++sixel) {
    if ((sixels & (1 << sixel)) == 0) continue;
    const TSpan rows = rowSpans[sixel / 2];
    for (int y = rows.First; y < rows.First + rows.Count; ++y) {
      glyph[y] |= SpanMask(columns[sixel % 2]);
    }
  }
  return glyph;
}

// Upper (rows 0..7) or lower (rows 8..15) half of a glyph stretched to double height.
TGlyph Half(const TGlyph& glyph, bool lower) {
  TGlyph half{};
  const int first = lower ? kCellHeight / 2 : 0;
  for (int y = 0; y < kCellHeight; ++y) half[y] = glyph[first + y / 2];
  return half;
}

TGlyph FromPicture(const TGlyphPicture& picture) {
  TGlyph glyph{};
  for (int y = 0; y < kCellHeight; ++y) glyph[y] = picture.Rows[y];
  return glyph;
}

TGlyph CharacterGlyph(const TGlyphSources& sources, int unicode) {
  if (const auto* glyph = sources.English.FindUnicode(unicode)) return FromPicture(*glyph);
  if (const auto* glyph = sources.National.FindUnicode(unicode)) return FromPicture(*glyph);
  char text[96];
  std::snprintf(text, sizeof text, "no picture of character U+%04X, which a national set needs",
                unicode);
  throw FileError(sources.National.Path, text);
}

TFaceGlyphs NewFace(const char* name, int lastChar) {
  TFaceGlyphs face;
  face.Name = name;
  face.FirstChar = 0;
  face.LastChar = lastChar;
  face.Glyphs.assign(lastChar + 1, TGlyph{});
  return face;
}

// Single height: controls, English text, contiguous mosaics at mosaic code OR 0x80 and
// separated mosaics at mosaic code with bit 5 cleared OR 0x80.
TFaceGlyphs SingleHeightFace(const TGlyphSources& sources) {
  TFaceGlyphs face = NewFace("EHPRESTEL", 255);
  for (int code = 0x00; code < 0x20; ++code) {
    face.Glyphs[code] = FromPicture(sources.Controls.ByCode(code));
  }
  for (int code = 0x20; code < 0x80; ++code) {
    face.Glyphs[code] = FromPicture(sources.English.ByCode(code));
  }
  for (int mosaic : {0x20, 0x60}) {
    for (int i = 0; i < 0x20; ++i) {
      const int code = mosaic + i;
      const int sixels = code < 0x40 ? code - 0x20 : code - 0x40;
      face.Glyphs[code | 0x80] = MosaicGlyph(sixels, false);
      face.Glyphs[(code & ~0x20) | 0x80] = MosaicGlyph(sixels, true);
    }
  }
  return face;
}

// Double height, one cell per half: text upper halves at the code, lower halves at code OR
// 0x80; mosaics by four-sixel pattern, upper halves at 0x00..0x1F and lower at 0x80..0x9F
// (separated from 0x10 on).
TFaceGlyphs DoubleHeightFace(const TFaceGlyphs& single) {
  TFaceGlyphs face = NewFace("DHPRESTEL", 255);
  for (int code = 0x20; code < 0x80; ++code) {
    face.Glyphs[code] = Half(single.Glyphs[code], false);
    face.Glyphs[code | 0x80] = Half(single.Glyphs[code], true);
  }
  for (int pattern = 0; pattern < 16; ++pattern) {
    for (int separated = 0; separated < 2; ++separated) {
      // The upper pattern holds the top and middle sixels, the lower one the middle and
      // bottom sixels.
      const TGlyph upper = MosaicGlyph(pattern, separated != 0);
      const TGlyph lower = MosaicGlyph(pattern << 2, separated != 0);
      face.Glyphs[pattern + 0x10 * separated] = Half(upper, false);
      face.Glyphs[0x80 + pattern + 0x10 * separated] = Half(lower, true);
    }
  }
  return face;
}

// National glyphs: three groups of 78 (single height, upper halves, lower halves), each six
// language blocks of 13 positions.
TFaceGlyphs NationalFace(const TGlyphSources& sources) {
  TFaceGlyphs face = NewFace("LAPRESTEL", 233);
  for (int language = 0; language < 6; ++language) {
    for (int place = 0; place < 13; ++place) {
      const TGlyph glyph = CharacterGlyph(sources, kNationalCharacters[language][place]);
      const int index = language * 13 + place;
      face.Glyphs[index] = glyph;
      face.Glyphs[78 + index] = Half(glyph, false);
      face.Glyphs[156 + index] = Half(glyph, true);
    }
  }
  return face;
}

TFaceGlyphs LanguageFace(const TGlyphSources& sources, const TFaceGlyphs& single,
                         TLanguageFace language) {
  TFaceGlyphs face = single;
  face.Name = language.Name;
  for (int place = 0; place < 13; ++place) {
    face.Glyphs[kNationalPositions[place]] =
        CharacterGlyph(sources, kNationalCharacters[language.Language][place]);
  }
  return face;
}

}  // namespace

TGlyphSources ReadGlyphSources(const std::string& folder) {
  TGlyphSources sources{ReadPictureFile(folder + "/english.txt", kCellWidth, kCellHeight),
                        ReadPictureFile(folder + "/national.txt", kCellWidth, kCellHeight),
                        ReadPictureFile(folder + "/controls.txt", kCellWidth, kCellHeight)};
  for (int code = 0x20; code < 0x80; ++code) {
    if (sources.English.ByCode(code).Unicode < 0) {
      throw FileError(sources.English.Path, "glyph at line " +
                                                std::to_string(sources.English.ByCode(code).Line) +
                                                " does not name the character it shows (U+XXXX)");
    }
  }
  for (const auto& glyph : sources.English.Glyphs) {
    if (glyph.Code < 0x20 || glyph.Code > 0x7F) {
      throw FileError(sources.English.Path, "glyph at line " + std::to_string(glyph.Line) +
                                                " has a code outside 0x20..0x7F");
    }
  }
  for (const auto& glyph : sources.Controls.Glyphs) {
    if (glyph.Code < 0x00 || glyph.Code > 0x1F) {
      throw FileError(sources.Controls.Path, "glyph at line " + std::to_string(glyph.Line) +
                                                 " has a code outside 0x00..0x1F");
    }
  }
  return sources;
}

std::vector<TFaceGlyphs> BuildTeletextFaces(const TGlyphSources& sources) {
  std::vector<TFaceGlyphs> faces;
  faces.push_back(SingleHeightFace(sources));
  faces.push_back(DoubleHeightFace(faces[0]));
  faces.push_back(NationalFace(sources));
  for (const auto& language : kLanguageFaces) {
    faces.push_back(LanguageFace(sources, faces[0], language));
  }
  return faces;
}

std::vector<std::uint8_t> BuildLargeFont(const std::string& picturePath) {
  const TPictureFile pictures = ReadPictureFile(picturePath, 8, 9);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(96 * 9);
  for (int code = 0x20; code < 0x80; ++code) {
    for (std::uint16_t row : pictures.ByCode(code).Rows) {
      bytes.push_back(static_cast<std::uint8_t>(row));
    }
  }
  if (pictures.Glyphs.size() != 96) {
    throw FileError(picturePath, "a large font has exactly 96 glyphs, codes 0x20..0x7F");
  }
  return bytes;
}

}  // namespace tavrel::fontc
