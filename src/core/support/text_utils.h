#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

// Free routines on texts that several subsystems share. Texts are Windows-1252 bytes; every
// comparison of "blank" below is on the unsigned byte value, so 0xA0 and the other high bytes
// are ordinary characters.

// The decimal text of n, with "0" prepended until it is at least width characters long. A
// negative number gets its zeros in front of the minus sign, as the page files have always
// written it; callers pass only non-negative numbers.
std::string ZeroPadInt(std::int64_t n, int width);

// s without the characters at its end whose code is below 33 (space and control characters).
std::string TrimTrailing(std::string_view s);

// s without the characters at either end whose code is below 33.
std::string_view TrimBlanks(std::string_view s);

// s trimmed at both ends and read as a signed 32-bit decimal number (an optional sign, then
// digits); 0 when what is left is not one complete number or does not fit.
std::int32_t StrToIntOrZero(std::string_view s);

// Reads the whole of s as a signed 32-bit integer: an optional sign, then decimal digits or,
// when allowHex is true, "$" or "0x" followed by hexadecimal digits. Hexadecimal values up to
// 8 digits wrap into the signed range (so "$FFFFFFFF" is -1). Nothing is trimmed. Answers false
// and leaves value alone when s is not such a number or the decimal value does not fit.
bool TryParseInt32(std::string_view s, bool allowHex, std::int32_t& value);

// False when s holds any of / \ : * ? " > < | or, unless spacesAllowed, a space.
bool IsValidFileName(std::string_view s, bool spacesAllowed);

// s without all of its leading "\" and "/" and then without one trailing "\" or "/".
std::string StripSlashes(std::string_view s);

// The letter in lower (upper) case when c is one of A..Z (a..z); any other byte, those above
// 0x7F included, as it stands. Unlike std::tolower this does not depend on the locale, and
// Windows-1252 letters such as 0xC4 keep their case, as names and keys here always have.
constexpr char ToLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char ToUpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// ASCII-only case-insensitive equality: section and key names of our INI-style files compare
// this way whatever the locale, and bytes above 0x7F compare as they stand.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// ASCII-only case-insensitive ordering (negative, zero or positive like strcmp).
int CompareIgnoreCase(std::string_view a, std::string_view b);

}  // namespace tavrel
