#include "pipeline/html_text.h"

#include <array>
#include <cstdint>

#include "support/text_encoding.h"
#include "support/text_utils.h"
#include "support/windows1252.h"

namespace tavrel {

namespace {

struct TNamedReference {
  std::string_view Name;
  char32_t Character;
};

// The Latin-1 references in code order, U+00A0 to U+00FF.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// The other references news texts use: markup, typography, currency, arrows and a few signs.
constexpr std::array<TNamedReference, 58> kOtherNames = {{
    {"quot", 0x22},     {"amp", 0x26},      {"apos", 0x27},     {"lt", 0x3C},
    {"gt", 0x3E},       {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},
    {"scaron", 0x161},  {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},
    {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009},
    {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},
    {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026},
    {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033},  {"lsaquo", 0x2039},
    {"rsaquo", 0x203A}, {"oline", 0x203E},  {"frasl", 0x2044},  {"euro", 0x20AC},
    {"trade", 0x2122},  {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},
    {"darr", 0x2193},   {"harr", 0x2194},   {"minus", 0x2212},  {"infin", 0x221E},
    {"ne", 0x2260},     {"le", 0x2264},     {"ge", 0x2265},     {"deg", 0xB0},
    {"copy", 0xA9},     {"reg", 0xAE},      {"nbsp", 0xA0},     {"shy", 0xAD},
    {"middot", 0xB7},   {"times", 0xD7},
}};

// Tags that end a line of text.
constexpr std::array<std::string_view, 10> kBreakTags = {"p",  "br", "div", "li", "h1",
                                                         "h2", "h3", "h4",  "h5", "h6"};

char32_t NamedReference(std::string_view name) {
  for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
    if (kLatin1Names[i] == name) return static_cast<char32_t>(0xA0 + i);
  }
  for (const TNamedReference& reference : kOtherNames) {
    if (reference.Name == name) return reference.Character;
  }
  return 0;
}

// The character of the reference at html[at] ("&..."), and its length; 0 when it is none.
char32_t ReadReference(std::string_view html, std::size_t at, std::size_t& length) {
  const std::size_t semicolon = html.find(';', at + 1);
  if (semicolon == std::string_view::npos || semicolon - at > 32) return 0;
  const std::string_view body = html.substr(at + 1, semicolon - at - 1);
  length = semicolon - at + 1;
  if (body.size() >= 2 && body[0] == '#') {
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return 0;
    std::uint32_t value = 0;
    for (const char c : digits) {
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) return 0;
      value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
    // A control character reads as a space, as the raw byte would; what is no character at
    // all becomes the replacement character.
    if (value < 0x20 || value == 0x7F) return U' ';
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0xFFFD;
    return static_cast<char32_t>(value);
  }
  return NamedReference(body);
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ToLowerAscii(c);
  return lower;
}

bool IsTagNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Collects the characters with the white space rules: pending space and line break are
// written only before the next visible character.
class TTextBuilder {
 public:
  void Visible(char32_t character) {
    if (!utf8_.empty()) {
      if (pendingBreak_) {
        utf8_ += "\r\n";
      } else if (pendingSpace_) {
        utf8_ += ' ';
      }
    }
    pendingBreak_ = pendingSpace_ = false;
    AppendUtf8(utf8_, character);
  }
  void Space() { pendingSpace_ = true; }
  void Break() { pendingBreak_ = true; }
  const std::string& Utf8() const { return utf8_; }

 private:
  std::string utf8_;
  bool pendingSpace_ = false;
  bool pendingBreak_ = false;
};

}  // namespace

std::string HtmlToText(std::string_view html, TWindows1252Transliterator& transliterator) {
  TTextBuilder text;
  std::size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (IsBlank(c)) {
      text.Space();
      ++i;
      continue;
    }
    if (c == '&') {
      std::size_t length = 0;
      if (const char32_t character = ReadReference(html, i, length); character != 0) {
        if (character == U' ') {
          text.Space();
        } else {
          text.Visible(character);
        }
        i += length;
        continue;
      }
    }
    if (c == '<') {
      if (html.substr(i, 4) == "<!--") {
        const std::size_t end = html.find("-->", i + 4);
        i = end == std::string_view::npos ? html.size() : end + 3;
        continue;
      }
      const std::size_t nameStart = i + 1 + (i + 1 < html.size() && html[i + 1] == '/' ? 1 : 0);
      std::size_t nameEnd = nameStart;
      while (nameEnd < html.size() && IsTagNameByte(html[nameEnd])) ++nameEnd;
      const std::size_t close = html.find('>', nameEnd);
      // "<" before a letter (or "</", "<!") starts a tag; "a < b" is text.
      const bool isTag =
          (nameEnd > nameStart || (nameStart < html.size() && html[nameStart] == '!')) &&
          close != std::string_view::npos;
      if (isTag) {
        const std::string name = LowerAscii(html.substr(nameStart, nameEnd - nameStart));
        const bool opening = html[i + 1] != '/';
        i = close + 1;
        if (opening && (name == "script" || name == "style")) {
          const std::size_t end = LowerAscii(html.substr(i)).find("</" + name);
          i = end == std::string::npos ? html.size() : i + end;
          continue;
        }
        bool isBreak = false;
        for (const std::string_view tag : kBreakTags) isBreak = isBreak || name == tag;
        // Other tags (a, b, span, img) stand for nothing: "<b>in</b>put" is one word.
        if (isBreak) text.Break();
        continue;
      }
    }
    text.Visible(Windows1252ToUnicode(static_cast<std::uint8_t>(c)));
    ++i;
  }
  return transliterator.Convert(text.Utf8());
}

}  // namespace tavrel
