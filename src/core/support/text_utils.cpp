#include "support/text_utils.h"

#include <limits>

namespace tavrel {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string ZeroPadInt(std::int64_t n, int width) {
  std::string text = std::to_string(n);
  if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
  }
  return text;
}

std::string TrimTrailing(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::int32_t StrToIntOrZero(std::string_view s) {
  std::int32_t value = 0;
  return TryParseInt32(TrimBlanks(s), false, value) ? value : 0;
}

bool TryParseInt32(std::string_view s, bool allowHex, std::int32_t& value) {
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  bool hex = false;
  if (allowHex) {
    if (!s.empty() && s.front() == '$') {
      hex = true;
      s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
      hex = true;
      s.remove_prefix(2);
    }
  }
  if (s.empty()) return false;

  if (hex) {
    // Hexadecimal is a bit pattern: eight digits fill the 32 bits, more do not fit.
    std::uint32_t bits = 0;
    int significant = 0;
    for (char c : s) {
      const int digit = HexDigitValue(c);
      if (digit < 0) return false;
      if (significant > 0 || digit != 0) ++significant;
      if (significant > 8) return false;
      bits = (bits << 4) | static_cast<std::uint32_t>(digit);
    }
    if (negative) bits = 0u - bits;
    value = static_cast<std::int32_t>(bits);
    return true;
  }

  // Accumulate as a negative magnitude so that the most negative value fits.
  const std::int64_t limit =
      negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
               : std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return false;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool IsValidFileName(std::string_view s, bool spacesAllowed) {
  for (char c : s) {
    switch (c) {
      case '/':
      case '\\':
      case ':':
      case '*':
      case '?':
      case '"':
      case '>':
      case '<':
      case '|':
        return false;
      case ' ':
        if (!spacesAllowed) return false;
        break;
      default:
        break;
    }
  }
  return true;
}

std::string StripSlashes(std::string_view s) {
  while (!s.empty() && (s.front() == '\\' || s.front() == '/')) s.remove_prefix(1);
  if (!s.empty() && (s.back() == '\\' || s.back() == '/')) s.remove_suffix(1);
  return std::string(s);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

int CompareIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const auto ca = static_cast<unsigned char>(ToLowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(ToLowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace tavrel
