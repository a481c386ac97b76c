#include "support/windows1252.h"

namespace tavrel {
namespace {

// Whether the byte is one of the five the code page leaves undefined.
constexpr bool IsUndefinedByte(char32_t byte) {
  return byte >= 0x80 && byte <= 0x9F && kWindows1252HighCharacters[byte - 0x80] == 0;
}

// Decodes the UTF-8 sequence at `pos`. Answers the character and advances `pos` past it, or
// answers nothing and leaves `pos` alone when the bytes there are not a well-formed sequence.
std::optional<char32_t> DecodeUtf8(std::string_view s, std::size_t& pos) {
  const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t lead = byteAt(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  std::size_t length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (s.size() - pos < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const std::uint8_t next = byteAt(pos + i);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  pos += length;
  return c;
}

void AppendEncoded(std::string& out, std::optional<char32_t> c, char replacement,
                   std::size_t& replaced) {
  const std::optional<std::uint8_t> byte = c ? UnicodeToWindows1252(*c) : std::nullopt;
  if (byte) {
    out.push_back(static_cast<char>(*byte));
  } else {
    out.push_back(replacement);
    ++replaced;
  }
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char32_t Windows1252ToUnicode(std::uint8_t byte) {
  if (byte < 0x80 || byte > 0x9F || IsUndefinedByte(byte)) return byte;
  return kWindows1252HighCharacters[byte - 0x80];
}

std::optional<std::uint8_t> UnicodeToWindows1252(char32_t character) {
  if (const int byte = Windows1252ByteOf(character); byte >= 0) {
    return static_cast<std::uint8_t>(byte);
  }
  if (IsUndefinedByte(character)) return static_cast<std::uint8_t>(character);
  return std::nullopt;
}

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, Windows1252ToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::u32string Windows1252ToUtf32(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (char c : text) out.push_back(Windows1252ToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::string Utf8ToWindows1252(std::string_view utf8, char replacement, std::size_t* replaced) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t count = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::optional<char32_t> c = DecodeUtf8(utf8, pos);
    if (!c) ++pos;  // One replacement per byte of a malformed sequence.
    AppendEncoded(out, c, replacement, count);
  }
  if (replaced) *replaced = count;
  return out;
}

std::string Utf32ToWindows1252(std::u32string_view text, char replacement, std::size_t* replaced) {
  std::string out;
  out.reserve(text.size());
  std::size_t count = 0;
  for (char32_t c : text) AppendEncoded(out, c, replacement, count);
  if (replaced) *replaced = count;
  return out;
}

}  // namespace tavrel
