#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "glyph_pictures.h"

namespace tavrel::fontc {

inline constexpr int kCellWidth = 12;
inline constexpr int kCellHeight = 16;

// A face ready to be written: glyphs for codes FirstChar..LastChar, each kCellHeight rows with
// bit (kCellWidth - 1) leftmost.
struct TFaceGlyphs {
  std::string Name;
  int FirstChar = 0;
  int LastChar = 255;
  std::vector<std::array<std::uint16_t, kCellHeight>> Glyphs;  // LastChar - FirstChar + 1
};

// The glyph sources the compiler reads from the data folder.
struct TGlyphSources {
  TPictureFile English;   // codes 0x20..0x7F
  TPictureFile National;  // by Unicode character
  TPictureFile Controls;  // codes 0x00..0x1F
};

TGlyphSources ReadGlyphSources(const std::string& folder);

// The nine faces of the combined 12 x 16 font file, in the order EHPRESTEL, DHPRESTEL,
// LAPRESTEL, PrestUK, PrestD, PrestF, PrestI, PrestE, PrestS.
std::vector<TFaceGlyphs> BuildTeletextFaces(const TGlyphSources& sources);

// A large-font file: 96 glyphs of 9 bytes for the codes 0x20..0x7F, bit 7 leftmost.
std::vector<std::uint8_t> BuildLargeFont(const std::string& picturePath);

}  // namespace tavrel::fontc
