#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

// The thirteen national positions of the teletext character range: the codes whose glyph
// depends on the page's character set. Every other code 0x20..0x7F shows its ASCII character.
inline constexpr std::array<std::uint8_t, 13> kNationalPositions = {
    0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};

// The six character sets of the system in national option order: English, German, Swedish,
// Italian, French, Spanish. This order is the order of the language blocks in the national
// glyph font and the tie-break order of character set detection.
inline constexpr std::array<int, 6> kNationalCharSets = {0, 8, 4, 12, 2, 10};

// Place of a code in kNationalPositions (0..12), or -1 when the code is not a national position.
constexpr int NationalPositionIndex(int code) {
  for (std::size_t i = 0; i < kNationalPositions.size(); ++i) {
    if (kNationalPositions[i] == code) return static_cast<int>(i);
  }
  return -1;
}

// Place of a character set code in kNationalCharSets (0..5), or -1 for a code that is not one
// of the six languages (6, 14, odd values, anything out of range).
constexpr int NationalCharSetIndex(int charSet) {
  for (std::size_t i = 0; i < kNationalCharSets.size(); ++i) {
    if (kNationalCharSets[i] == charSet) return static_cast<int>(i);
  }
  return -1;
}

// When `code` is a national position and `charSet` one of the six languages, sets `text` to the
// Windows-1252 text that the position shows (two characters for the arrows, e.g. "<-") and
// answers true; otherwise leaves `text` as it is and answers false. Used when copying page text
// to the clipboard.
bool NationalCharText(int code, int charSet, std::string& text);

// Translates one Windows-1252 byte into teletext text for a character set. The answer points to
// static data and stays valid for the whole run.
//
// For the six languages: the set's own entry where the byte has one, else the entry shared by
// all sets, else the byte itself. With `single`, an entry of several characters is reduced to
// one: "(" keeps the character after it ("(C)" gives "C"), a first character of < > A O U a o s
// u is kept, anything else becomes a space. For any other character set code the answer is the
// byte itself, or a space for a byte above 0x7F, so that TranslateText stays the concatenation
// of TranslateChar for every code.
std::string_view TranslateChar(std::uint8_t byte, int charSet, bool single);

// Translates a Windows-1252 text into teletext text: TranslateChar over every byte. With
// `single` the answer has exactly one byte per byte of `text`.
std::string TranslateText(std::string_view text, int charSet, bool single);

// The one teletext code a typed Windows-1252 byte of 0x80 or above becomes in a character set.
// Bytes 0x80..0x87 pass unchanged in every set; an unmapped byte gives a space. Bytes below
// 0x80 are typed as they are and pass unchanged.
std::uint8_t TypedCharCode(std::uint8_t byte, int charSet);

// The character set a Windows-1252 text most likely needs: English when it contains "@";
// otherwise the set whose detection list holds most of the text's bytes of 0x80 and above,
// earlier sets winning ties; `defaultCharSet` when no such byte is in any list.
int DetectCharSet(std::string_view text, int defaultCharSet);

}  // namespace tavrel
