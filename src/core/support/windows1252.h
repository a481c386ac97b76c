#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// The Windows-1252 code page: the one table of it and the conversions built on it. Inside the
// core every std::string holds Windows-1252 bytes.
//
// The code page leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined, and so does the C library's
// iconv: it neither decodes those bytes nor encodes U+0081, U+008D, U+008F, U+0090 or U+009D.
// Two uses follow from that:
// - Windows1252ByteOf is the code page itself, as iconv has it. The feed reader encodes with
//   it, so a C1 control in a feed (U+0081 and the like) is a character the code page lacks and
//   is transliterated ("?"), never made into the byte 0x81, which a teletext page would take
//   for a colour code.
// - The conversions at the edges of the program (the window, the terminal, test output) must
//   keep every byte string the core holds, colour codes typed into a text included: they carry
//   each undefined byte as the C1 control of the same value and encode that back to the byte.

// The characters of the bytes 0x80..0x9F, indexed by byte - 0x80; zero marks the five bytes the
// code page leaves undefined. Every other byte is the Latin-1 character of the same value.
inline constexpr std::array<char32_t, 32> kWindows1252HighCharacters = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80..0x87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88..0x8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90..0x97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98..0x9F
};

namespace windows1252_detail {

// The characters of kWindows1252HighCharacters all lie in the blocks U+01xx, U+02xx, U+20xx
// and U+21xx. For each block: its Windows-1252 bytes indexed by the low byte of the character,
// zero where the code page has no such character. A lookup is two loads where a search over
// the 27 characters would be five compares and branches, on every typographic quote of a feed.
inline constexpr std::array<unsigned, 4> kBlocks = {0x01, 0x02, 0x20, 0x21};

inline constexpr std::array<std::array<unsigned char, 256>, kBlocks.size()> kBlockBytes = [] {
  std::array<std::array<unsigned char, 256>, kBlocks.size()> table{};
  for (std::size_t i = 0; i < kWindows1252HighCharacters.size(); ++i) {
    char32_t character = kWindows1252HighCharacters[i];
    if (character == 0) continue;
    for (std::size_t block = 0; block < kBlocks.size(); ++block) {
      if ((character >> 8) == kBlocks[block]) {
        table[block][character & 0xFF] = static_cast<unsigned char>(0x80 + i);
      }
    }
  }
  return table;
}();

// The row of kBlockBytes for each block U+00xx..U+21xx, -1 for a block without characters.
inline constexpr std::array<signed char, 0x22> kBlockRow = [] {
  std::array<signed char, 0x22> rows{};
  rows.fill(-1);
  for (std::size_t block = 0; block < kBlocks.size(); ++block) {
    rows[kBlocks[block]] = static_cast<signed char>(block);
  }
  return rows;
}();

}  // namespace windows1252_detail

// The Windows-1252 byte of a character, or -1 when the code page lacks the character (the C1
// controls U+0080..U+009F included: their bytes stand for other characters or for nothing).
constexpr int Windows1252ByteOf(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    return static_cast<int>(character);
  }
  if (character < 0x100 || character >= 0x2200) return -1;
  int row = windows1252_detail::kBlockRow[character >> 8];
  if (row < 0) return -1;
  unsigned char byte =
      windows1252_detail::kBlockBytes[static_cast<std::size_t>(row)][character & 0xFF];
  return byte != 0 ? byte : -1;
}

static_assert(Windows1252ByteOf(0x20AC) == 0x80 && Windows1252ByteOf(0x2122) == 0x99 &&
              Windows1252ByteOf(0x0178) == 0x9F && Windows1252ByteOf(0xE9) == 0xE9 &&
              Windows1252ByteOf(0x0153) == 0x9C && Windows1252ByteOf(0x85) == -1 &&
              Windows1252ByteOf(0x81) == -1 && Windows1252ByteOf(0x0141) == -1);

// The edges. The Unicode character of one Windows-1252 byte; an undefined byte gives the C1
// control of the same value.
char32_t Windows1252ToUnicode(std::uint8_t byte);

// The Windows-1252 byte of a Unicode character, or nothing when the code page lacks it; the C1
// control of an undefined byte gives that byte back.
std::optional<std::uint8_t> UnicodeToWindows1252(char32_t character);

std::string Windows1252ToUtf8(std::string_view text);

// Appends the UTF-8 bytes of one character (at most U+10FFFF; the caller keeps surrogates out).
void AppendUtf8(std::string& out, char32_t c);
std::u32string Windows1252ToUtf32(std::string_view text);

// Encodes UTF-8 text. A character the code page lacks, and every byte of a malformed UTF-8
// sequence (overlong forms, surrogates, values above U+10FFFF, truncated sequences), becomes
// `replacement`. When `replaced` is given it receives the number of replacements, so that a
// caller can tell the operator that text was changed.
std::string Utf8ToWindows1252(std::string_view utf8, char replacement = '?',
                              std::size_t* replaced = nullptr);

// A path (the file system's UTF-8 bytes) as Windows-1252 text, for a message worded in the
// program's text: the edges turn such a message into UTF-8, and the path then reads as it is
// named on disk. Only the message carries this copy; characters the code page lacks become "?"
// there, never in a path that is opened.
inline std::string PathAsWindows1252Text(std::string_view path) { return Utf8ToWindows1252(path); }

// Encodes UTF-32 text; characters the code page lacks become `replacement`.
std::string Utf32ToWindows1252(std::u32string_view text, char replacement = '?',
                               std::size_t* replaced = nullptr);

}  // namespace tavrel
