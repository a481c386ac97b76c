#include "page/national_charset.h"

#include <cstddef>

namespace tavrel {
namespace {

constexpr int kSetCount = static_cast<int>(kNationalCharSets.size());

// Byte strings below are Windows-1252. Characters outside ASCII are written as hexadecimal
// escapes with the character named in the comment beside them.

// The Windows-1252 text each national position shows, one row per position in the order of
// kNationalPositions, one column per set in the order English, German, Swedish, Italian,
// French, Spanish. The two-character entries stand for the arrow glyphs.
constexpr std::array<std::array<std::string_view, 6>, 13> kPositionTexts = {{
    {"\xA3", "#", "#", "\xA3", "\xE9", "\xE7"},        // 0x23: £ # # £ é ç
    {"$", "$", "\xA4", "$", "\xEF", "$"},              // 0x24: $ $ ¤ $ ï $
    {"@", "\xA7", "\xC9", "\xE9", "\xE0", "\xA1"},     // 0x40: @ § É é à ¡
    {"<-", "\xC4", "\xC4", "\xB0", "\xEB", "\xE1"},    // 0x5B: <- Ä Ä ° ë á
    {"\xBD", "\xD6", "\xD6", "\xE7", "\xEA", "\xE9"},  // 0x5C: ½ Ö Ö ç ê é
    {"->", "\xDC", "\xC5", "->", "\xF9", "\xED"},      // 0x5D: -> Ü Å -> ù í
    {"^", "^", "\xDC", "^", "\xEE", "\xF3"},           // 0x5E: ^ ^ Ü ^ î ó
    {"#", "_", "_", "#", "#", "\xFA"},                 // 0x5F: # _ _ # # ú
    {"\x97", "\xB0", "\xE9", "\xF9", "\xE8", "\xBF"},  // 0x60: em dash ° é ù è ¿
    {"\xBC", "\xE4", "\xE4", "\xE0", "\xE2", "\xFC"},  // 0x7B: ¼ ä ä à â ü
    {"\xA6", "\xF6", "\xF6", "\xF2", "\xF4", "\xF1"},  // 0x7C: broken bar ö ö ò ô ñ
    {"\xBE", "\xFC", "\xE5", "\xE8", "\xFB", "\xE8"},  // 0x7D: ¾ ü å è û è
    {"\xF7", "\xDF", "\xFC", "\xEC", "\xE7", "\xE0"},  // 0x7E: ÷ ß ü ì ç à
}};

// A Windows byte and the teletext text it becomes.
struct SharedTranslation {
  std::uint8_t Byte;
  std::string_view Text;
};

// Windows bytes that become the same teletext text in every set: national positions whose
// character no set can show, and the upper half of the code page reduced to look-alikes.
constexpr SharedTranslation kSharedTranslations[] = {
    {0x5B, "("}, {0x5C, " "}, {0x5D, ")"},   {0x60, "'"},  {0x7B, "("},   {0x7D, ")"}, {0x7E, " "},
    {0x80, " "}, {0x81, " "}, {0x82, " "},   {0x83, "f"},  {0x84, ","},   {0x86, "+"}, {0x87, "+"},
    {0x8A, "S"}, {0x8B, "<"}, {0x8C, "OE"},  {0x8D, " "},  {0x8E, " "},   {0x8F, " "}, {0x90, " "},
    {0x91, " "}, {0x92, "'"}, {0x93, "\""},  {0x94, "\""}, {0x95, "'"},   {0x96, "-"}, {0x98, "\""},
    {0x99, " "}, {0x9A, "s"}, {0x9B, ">"},   {0x9C, "oe"}, {0x9D, " "},   {0x9E, " "}, {0x9F, "Y"},
    {0xA0, " "}, {0xA2, "c"}, {0xA5, "Y"},   {0xA8, "\""}, {0xA9, "(C)"}, {0xAA, "'"}, {0xAB, "<<"},
    {0xAC, "-"}, {0xAD, "-"}, {0xAE, "(x)"}, {0xAF, "-"},  {0xB1, "+/-"}, {0xB2, " "}, {0xB3, " "},
    {0xB4, "'"}, {0xB5, "u"}, {0xB6, " "},   {0xB7, "."},  {0xB8, ","},   {0xB9, "1"}, {0xBB, ">>"},
    {0xC0, "A"}, {0xC1, "A"}, {0xC2, "A"},   {0xC3, "A"},  {0xC6, "AE"},  {0xC7, "C"}, {0xC8, "E"},
    {0xCA, "E"}, {0xCB, "E"}, {0xCC, "I"},   {0xCD, "I"},  {0xCE, "I"},   {0xCF, "I"}, {0xD0, "D"},
    {0xD1, "N"}, {0xD2, "O"}, {0xD3, "O"},   {0xD4, "O"},  {0xD5, "O"},   {0xD7, "x"}, {0xD8, "O"},
    {0xD9, "U"}, {0xDA, "U"}, {0xDB, "U"},   {0xDD, "Y"},  {0xDE, "b"},   {0xE3, "a"}, {0xE6, "ae"},
    {0xF0, "o"}, {0xF5, "o"}, {0xF8, "o"},   {0xFD, "y"},  {0xFE, "b"},   {0xFF, "y"},
};

// A Windows byte and the teletext text it becomes in each set (English, German, Swedish,
// Italian, French, Spanish).
struct PerSetTranslation {
  std::uint8_t Byte;
  std::array<std::string_view, 6> Text;
};

// Windows bytes whose teletext text depends on the set: a character that the set shows at a
// national position becomes that position's code (German ä is 0x7B), otherwise a look-alike.
constexpr PerSetTranslation kPerSetTranslations[] = {
    {0x23, {"_", "#", "#", "_", "_", " "}},                         // #
    {0x24, {"$", "$", " ", "$", " ", "$"}},                         // $
    {0x40, {"@", "@", "$", " ", " ", " "}},                         // @
    {0x5E, {"^", "^", " ", " ", " ", " "}},                         // ^
    {0x5F, {"`", "_", "_", "-", "-", "-"}},                         // _
    {0x7C, {"|", " ", " ", " ", " ", " "}},                         // vertical bar
    {0x85, {"`", "_", "_", "_", "-", "-"}},                         // ellipsis
    {0x88, {"^", "^", " ", "^", " ", " "}},                         // circumflex
    {0x89, {"o/oo", "o/oo ", "o/oo ", "o/oo ", "o/oo ", "o/oo "}},  // per mille
    {0x97, {"`", "-", "-", "-", "-", "-"}},                         // em dash
    {0xA1, {"i", "i", "i", "i", "i", "@"}},                         // ¡
    {0xA3, {"#", "L", "L", "#", "L", "L"}},                         // £
    {0xA4, {" ", " ", "$", " ", " ", " "}},                         // ¤
    {0xA6, {"|", "l", "l", "l", "l", "l"}},                         // broken bar
    {0xA7, {"@", "@", " ", " ", " ", " "}},                         // §
    {0xB0, {"'", "`", "o", "[", "o", "o"}},                         // °
    {0xBA, {"0", "`", "o", "[", "o", "o"}},                         // º
    {0xBC, {"{", "1/4", "1/4", "1/4", "1/4", "1/4"}},               // ¼
    {0xBD, {"\\", "1/2", "1/2", "1/2", "1/2", "1/2"}},              // ½
    {0xBE, {"}", "3/4", "3/4", "3/4", "3/4", "3/4"}},               // ¾
    {0xBF, {"?", "?", "?", "?", "?", "`"}},                         // ¿
    {0xC4, {"AE", "[", "[", "A", "AE", "AE"}},                      // Ä
    {0xC5, {"A", "A", "]", "A", "A", "A"}},                         // Å
    {0xC9, {"E", "E", "@", "E", "E", "E"}},                         // É
    {0xD6, {"OE", "\\", "\\", "OE", "OE", "OE"}},                   // Ö
    {0xDC, {"UE", "]", "^", "UE", "UE", "UE"}},                     // Ü
    {0xDF, {"B", "~", "sz", "sz", "sz", "sz"}},                     // ß
    {0xE0, {"a", "a", "a", "{", "@", "~"}},                         // à
    {0xE1, {"a", "a", "a", "a", "a", "["}},                         // á
    {0xE2, {"a", "a", "a", "a", "{", "a"}},                         // â
    {0xE4, {"ae", "{", "{", "a", "ae", "ae"}},                      // ä
    {0xE5, {"a", "a", "}", "a", "a", "a"}},                         // å
    {0xE7, {"c", "c", "c", "\\", "~", "#"}},                        // ç
    {0xE8, {"e", "e", "e", "}", "`", "}"}},                         // è
    {0xE9, {"e", "e", "`", "@", "#", "\\"}},                        // é
    {0xEA, {"e", "e", "e", "e", "\\", "e"}},                        // ê
    {0xEB, {"e", "e", "e", "e", "[", "e"}},                         // ë
    {0xEC, {"i", "i", "i", "~", "i", "i"}},                         // ì
    {0xED, {"i", "i", "i", "i", "i", "]"}},                         // í
    {0xEE, {"i", "i", "i", "i", "^", "i"}},                         // î
    {0xEF, {"i", "i", "i", "i", "$", "i"}},                         // ï
    {0xF1, {"n", "n", "n", "n", "n", "|"}},                         // ñ
    {0xF2, {"o", "o", "o", "|", "o", "o"}},                         // ò
    {0xF3, {"o", "o", "o", "o", "o", "^"}},                         // ó
    {0xF4, {"o", "o", "o", "o", "|", "o"}},                         // ô
    {0xF6, {"o", "|", "|", "oe", "oe", "oe"}},                      // ö
    {0xF7, {"~", ":", ":", ":", ":", ":"}},                         // ÷
    {0xF9, {"u", "u", "u", "`", "]", "u"}},                         // ù
    {0xFA, {"u", "u", "u", "u", "u", "_"}},                         // ú
    {0xFB, {"u", "u", "u", "u", "}", "u"}},                         // û
    {0xFC, {"ue", "}", "~", "ue", "ue", "{"}},                      // ü
};

// A typed Windows byte and the one teletext code it becomes.
struct TypedCode {
  std::uint8_t Byte;
  char Code;
};

// Typed bytes of 0x80 and above per set. Bytes 0x80..0x87 pass unchanged and every byte from
// 0x88 on that is not listed becomes a space.
constexpr TypedCode kTypedEnglish[] = {
    {0x97, '`'}, {0xA3, '#'}, {0xAB, '['}, {0xBB, ']'}, {0xBC, '{'}, {0xBD, '\\'}, {0xBE, '}'},
    {0xBF, '?'}, {0xC4, 'A'}, {0xC5, 'A'}, {0xC9, 'E'}, {0xD6, 'O'}, {0xDC, 'U'},  {0xE0, 'a'},
    {0xE1, 'a'}, {0xE2, 'a'}, {0xE4, 'a'}, {0xE5, 'a'}, {0xE7, 'c'}, {0xE8, 'e'},  {0xE9, 'e'},
    {0xEA, 'e'}, {0xEB, 'e'}, {0xEC, 'i'}, {0xED, 'i'}, {0xEE, 'i'}, {0xEF, 'i'},  {0xF1, 'n'},
    {0xF2, 'o'}, {0xF3, 'o'}, {0xF4, 'o'}, {0xF6, 'o'}, {0xF7, '~'}, {0xF9, 'u'},  {0xFA, 'u'},
    {0xFB, 'u'}, {0xFC, 'u'},
};
constexpr TypedCode kTypedGerman[] = {
    {0x97, '-'}, {0xA3, 'L'}, {0xA7, '@'}, {0xAB, '<'}, {0xBA, '`'}, {0xBB, '>'}, {0xBC, '/'},
    {0xBD, '/'}, {0xBE, '/'}, {0xBF, '?'}, {0xC4, '['}, {0xC5, 'A'}, {0xC9, 'E'}, {0xD6, '\\'},
    {0xDC, ']'}, {0xDF, '~'}, {0xE0, 'a'}, {0xE1, 'a'}, {0xE2, 'a'}, {0xE4, '{'}, {0xE5, 'a'},
    {0xE7, 'c'}, {0xE8, 'e'}, {0xE9, 'e'}, {0xEA, 'e'}, {0xEB, 'e'}, {0xEC, 'i'}, {0xED, 'i'},
    {0xEE, 'i'}, {0xEF, 'i'}, {0xF1, 'n'}, {0xF2, 'o'}, {0xF3, 'o'}, {0xF4, 'o'}, {0xF6, '|'},
    {0xF7, '/'}, {0xF9, 'u'}, {0xFA, 'u'}, {0xFB, 'u'}, {0xFC, '}'},
};
constexpr TypedCode kTypedSwedish[] = {
    {0x97, '-'}, {0xA3, 'L'}, {0xA4, '$'}, {0xAB, '<'}, {0xBB, '>'}, {0xBC, '/'},  {0xBD, '/'},
    {0xBE, '/'}, {0xBF, '?'}, {0xC4, '['}, {0xC5, ']'}, {0xC9, '@'}, {0xD6, '\\'}, {0xDC, '^'},
    {0xE0, 'a'}, {0xE1, 'a'}, {0xE2, 'a'}, {0xE4, '{'}, {0xE5, '}'}, {0xE7, 'c'},  {0xE8, 'e'},
    {0xE9, '`'}, {0xEA, 'e'}, {0xEB, 'e'}, {0xEC, 'i'}, {0xED, 'i'}, {0xEE, 'i'},  {0xEF, 'i'},
    {0xF1, 'n'}, {0xF2, 'o'}, {0xF3, 'o'}, {0xF4, 'o'}, {0xF6, '|'}, {0xF7, '/'},  {0xF9, 'u'},
    {0xFA, 'u'}, {0xFB, 'u'}, {0xFC, '~'},
};
constexpr TypedCode kTypedItalian[] = {
    {0x97, '-'}, {0xA3, '#'}, {0xAB, '<'}, {0xBA, '['}, {0xBB, ']'}, {0xBC, '/'},  {0xBD, '/'},
    {0xBE, '/'}, {0xBF, '?'}, {0xC4, 'A'}, {0xC5, 'A'}, {0xC9, 'E'}, {0xD6, 'O'},  {0xDC, 'U'},
    {0xE0, '{'}, {0xE1, 'a'}, {0xE2, 'a'}, {0xE4, 'a'}, {0xE5, 'a'}, {0xE7, '\\'}, {0xE8, '}'},
    {0xE9, '@'}, {0xEA, 'e'}, {0xEB, 'e'}, {0xEC, '~'}, {0xED, 'i'}, {0xEE, 'i'},  {0xEF, 'i'},
    {0xF1, 'n'}, {0xF2, '|'}, {0xF3, 'o'}, {0xF4, 'o'}, {0xF6, 'o'}, {0xF7, '/'},  {0xF9, '`'},
    {0xFA, 'u'}, {0xFB, 'u'}, {0xFC, 'u'},
};
constexpr TypedCode kTypedFrench[] = {
    {0x97, '-'},  {0xA3, 'L'}, {0xAB, '<'}, {0xBB, '>'}, {0xBC, '/'}, {0xBD, '/'}, {0xBE, '/'},
    {0xBF, '?'},  {0xC4, 'A'}, {0xC5, 'A'}, {0xC9, 'E'}, {0xD6, 'O'}, {0xDC, 'U'}, {0xE0, '@'},
    {0xE1, 'a'},  {0xE2, '{'}, {0xE4, 'a'}, {0xE5, 'a'}, {0xE7, '~'}, {0xE8, '`'}, {0xE9, '#'},
    {0xEA, '\\'}, {0xEB, '['}, {0xEC, 'i'}, {0xED, 'i'}, {0xEE, '^'}, {0xEF, '$'}, {0xF1, 'n'},
    {0xF2, 'o'},  {0xF3, 'o'}, {0xF4, '|'}, {0xF6, 'o'}, {0xF7, '/'}, {0xF9, ']'}, {0xFA, 'u'},
    {0xFB, '}'},  {0xFC, 'u'},
};
constexpr TypedCode kTypedSpanish[] = {
    {0x97, '-'},  {0xA1, '@'}, {0xA3, 'L'}, {0xAB, '<'}, {0xBB, '>'}, {0xBC, '/'}, {0xBD, '/'},
    {0xBE, '/'},  {0xBF, '`'}, {0xC4, 'A'}, {0xC5, 'A'}, {0xC9, 'E'}, {0xD6, 'O'}, {0xDC, 'U'},
    {0xE0, '~'},  {0xE1, '['}, {0xE2, 'a'}, {0xE4, 'a'}, {0xE5, 'a'}, {0xE7, '#'}, {0xE8, '}'},
    {0xE9, '\\'}, {0xEA, 'e'}, {0xEB, 'e'}, {0xEC, 'i'}, {0xED, ']'}, {0xEE, 'i'}, {0xEF, 'i'},
    {0xF1, '|'},  {0xF2, 'o'}, {0xF3, '^'}, {0xF4, 'o'}, {0xF6, 'o'}, {0xF7, '/'}, {0xF9, 'u'},
    {0xFA, '_'},  {0xFB, 'u'}, {0xFC, '{'},
};

// The detection lists, one per set in national option order: the Windows characters whose
// presence in a text speaks for the set.
constexpr std::array<std::string_view, 6> kDetectionLists = {
    "\xA3$@#",                                        // English: £ $ @ #
    "\xE4\xC4\xF6\xD6\xFC\xDC\xDF",                   // German: ä Ä ö Ö ü Ü ß
    "#\xC9\xC5\xE5",                                  // Swedish: # É Å å
    "\xA3$\xE9\xE7#\xF9\xE0\xF2\xE8\xEC",             // Italian: £ $ é ç # ù à ò è ì
    "\xE9\xE8\xEF\xEB\xEA\xF9\xEE#\xE2\xF4\xFB\xE7",  // French: é è ï ë ê ù î # â ô û ç
    "\xE7$\xE1\xE9\xED\xF3\xFA\xBF\xFC\xF1\xE8\xE0",  // Spanish: ç $ á é í ó ú ¿ ü ñ è à
};

// The single-byte form of a translation: several characters are reduced to the one that keeps
// the word readable in one cell, so that a translated text keeps its length.
constexpr char ReduceToOneCharacter(std::string_view text) {
  if (text.size() == 1) return text[0];
  switch (text[0]) {
    case '(':
      return text[1];
    case '<':
    case '>':
    case 'A':
    case 'O':
    case 'U':
    case 'a':
    case 'o':
    case 's':
    case 'u':
      return text[0];
    default:
      return ' ';
  }
}

// Every translation per set and byte, looked up once per byte of a text. An empty entry means
// the byte stands for itself.
struct TranslationTables {
  std::array<std::array<std::string_view, 256>, kSetCount> Full{};
  std::array<std::array<char, 256>, kSetCount> Single{};
  // What a byte becomes for a code that is none of the six sets: itself, or a space above 0x7F.
  std::array<char, 256> OtherSet{};
};

constexpr TranslationTables BuildTranslationTables() {
  TranslationTables tables;
  for (int set = 0; set < kSetCount; ++set) {
    for (const SharedTranslation& entry : kSharedTranslations) {
      tables.Full[set][entry.Byte] = entry.Text;
    }
    for (const PerSetTranslation& entry : kPerSetTranslations) {
      tables.Full[set][entry.Byte] = entry.Text[set];
    }
    for (int byte = 0; byte < 256; ++byte) {
      const std::string_view text = tables.Full[set][byte];
      tables.Single[set][byte] =
          text.empty() ? static_cast<char>(byte) : ReduceToOneCharacter(text);
    }
  }
  for (int byte = 0; byte < 256; ++byte) {
    tables.OtherSet[byte] = byte > 0x7F ? ' ' : static_cast<char>(byte);
  }
  return tables;
}

constexpr TranslationTables kTranslations = BuildTranslationTables();

// The two translation tables together must name exactly the national positions and the bytes
// 0x80..0xFF, each once; a slip in typing them shows up here at compile time.
constexpr bool TranslationTablesCoverTheirBytes() {
  std::array<int, 256> seen{};
  for (const SharedTranslation& entry : kSharedTranslations) ++seen[entry.Byte];
  for (const PerSetTranslation& entry : kPerSetTranslations) ++seen[entry.Byte];
  for (int byte = 0; byte < 256; ++byte) {
    const bool listed = byte >= 0x80 || NationalPositionIndex(byte) >= 0;
    if (seen[byte] != (listed ? 1 : 0)) return false;
  }
  return true;
}
static_assert(std::size(kSharedTranslations) == 90);
static_assert(std::size(kPerSetTranslations) == 51);
static_assert(TranslationTablesCoverTheirBytes());
static_assert(kTranslations.Single[0][0xA9] == 'C');  // "(C)"
static_assert(kTranslations.Single[2][0xDF] == 's');  // Swedish "sz"
static_assert(kTranslations.Single[1][0xBC] == ' ');  // German "1/4"

constexpr std::array<std::uint8_t, 256> BuildTypedCodes(const TypedCode* codes, std::size_t count) {
  std::array<std::uint8_t, 256> table{};
  for (int byte = 0; byte < 256; ++byte) {
    table[byte] = byte < 0x88 ? static_cast<std::uint8_t>(byte) : 0x20;
  }
  for (std::size_t i = 0; i < count; ++i) {
    table[codes[i].Byte] = static_cast<std::uint8_t>(codes[i].Code);
  }
  return table;
}

template <std::size_t N>
constexpr std::array<std::uint8_t, 256> BuildTypedCodes(const TypedCode (&codes)[N]) {
  return BuildTypedCodes(codes, N);
}

// Typed byte to teletext code per set in national option order, and for any other code.
constexpr std::array<std::array<std::uint8_t, 256>, kSetCount> kTypedCodes = {
    BuildTypedCodes(kTypedEnglish), BuildTypedCodes(kTypedGerman), BuildTypedCodes(kTypedSwedish),
    BuildTypedCodes(kTypedItalian), BuildTypedCodes(kTypedFrench), BuildTypedCodes(kTypedSpanish)};
constexpr std::array<std::uint8_t, 256> kTypedCodesOtherSet = BuildTypedCodes(nullptr, 0);

// Per byte, bit i is set when the byte is in detection list i.
constexpr std::array<std::uint8_t, 256> BuildDetectionMasks() {
  std::array<std::uint8_t, 256> masks{};
  for (int set = 0; set < kSetCount; ++set) {
    for (char c : kDetectionLists[set]) {
      masks[static_cast<std::uint8_t>(c)] |= static_cast<std::uint8_t>(1u << set);
    }
  }
  return masks;
}
constexpr std::array<std::uint8_t, 256> kDetectionMasks = BuildDetectionMasks();

}  // namespace

bool NationalCharText(int code, int charSet, std::string& text) {
  const int position = NationalPositionIndex(code);
  const int set = NationalCharSetIndex(charSet);
  if (position < 0 || set < 0) return false;
  text.assign(kPositionTexts[position][set]);
  return true;
}

std::string_view TranslateChar(std::uint8_t byte, int charSet, bool single) {
  const int set = NationalCharSetIndex(charSet);
  if (set < 0) return std::string_view(&kTranslations.OtherSet[byte], 1);
  if (single) return std::string_view(&kTranslations.Single[set][byte], 1);
  const std::string_view text = kTranslations.Full[set][byte];
  // Only bytes below 0x80 lack an entry, and for those OtherSet holds the byte itself.
  return text.empty() ? std::string_view(&kTranslations.OtherSet[byte], 1) : text;
}

std::string TranslateText(std::string_view text, int charSet, bool single) {
  const int set = NationalCharSetIndex(charSet);
  std::string result;
  if (set < 0 || single) {
    const std::array<char, 256>& table =
        set < 0 ? kTranslations.OtherSet : kTranslations.Single[set];
    result.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      result[i] = table[static_cast<std::uint8_t>(text[i])];
    }
    return result;
  }
  result.reserve(text.size());
  for (char c : text) result.append(TranslateChar(static_cast<std::uint8_t>(c), charSet, false));
  return result;
}

std::uint8_t TypedCharCode(std::uint8_t byte, int charSet) {
  const int set = NationalCharSetIndex(charSet);
  return set < 0 ? kTypedCodesOtherSet[byte] : kTypedCodes[set][byte];
}

int DetectCharSet(std::string_view text, int defaultCharSet) {
  if (text.find('@') != std::string_view::npos) return kNationalCharSets[0];
  std::array<std::size_t, kSetCount> counts{};
  for (char c : text) {
    const std::uint8_t byte = static_cast<std::uint8_t>(c);
    if (byte < 0x80) continue;
    const std::uint8_t mask = kDetectionMasks[byte];
    for (int set = 0; set < kSetCount; ++set) {
      if (mask & (1u << set)) ++counts[set];
    }
  }
  int best = -1;
  std::size_t bestCount = 0;
  for (int set = 0; set < kSetCount; ++set) {
    if (counts[set] > bestCount) {
      best = set;
      bestCount = counts[set];
    }
  }
  return best < 0 ? defaultCharSet : kNationalCharSets[best];
}

}  // namespace tavrel
