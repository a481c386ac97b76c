#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// Conversion between the core's Windows-1252 text and Unicode, for the edges of the program:
// the window, the terminal and test output. Inside the core every std::string holds
// Windows-1252 bytes.
//
// The code page leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined. They decode to the C1 control
// characters of the same value (U+0081, U+008D, U+008F, U+0090, U+009D) and those encode back,
// so that any byte string survives a trip through Unicode unchanged: text is never lost at an
// edge even when a feed carried such a byte.

// The Unicode character of one Windows-1252 byte.
char32_t Windows1252ToUnicode(std::uint8_t byte);

// The Windows-1252 byte of a Unicode character, or nothing when the code page lacks it.
std::optional<std::uint8_t> UnicodeToWindows1252(char32_t character);

std::string Windows1252ToUtf8(std::string_view text);
std::u32string Windows1252ToUtf32(std::string_view text);

// Encodes UTF-8 text. A character the code page lacks, and every byte of a malformed UTF-8
// sequence (overlong forms, surrogates, values above U+10FFFF, truncated sequences), becomes
// `replacement`. When `replaced` is given it receives the number of replacements, so that a
// caller can tell the operator that text was changed.
std::string Utf8ToWindows1252(std::string_view utf8, char replacement = '?',
                              std::size_t* replaced = nullptr);

// Encodes UTF-32 text; characters the code page lacks become `replacement`.
std::string Utf32ToWindows1252(std::u32string_view text, char replacement = '?',
                               std::size_t* replaced = nullptr);

}  // namespace tavrel
