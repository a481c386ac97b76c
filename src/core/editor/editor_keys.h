#pragma once

#include <cstdint>
#include <optional>

namespace tavrel {

// The keys of the editor's key-down map; every other key is Other.
enum class TEditorKey { End, Home, Left, Up, Right, Down, Delete, F9, Other };

// The engine command of a key pressed without Shift, Ctrl or Alt. Menu shortcuts (F1..F8,
// Insert, the Ctrl combinations) never come here: the menu takes them first.
std::uint8_t KeyDownCommand(TEditorKey key);

// The engine command of a typed character (a Windows-1252 byte), or nothing when the
// character is dropped. Ctrl+L (12) is dropped; bytes of 130 and above are keyboard
// characters of the page's national set and become its teletext code first.
std::optional<std::uint8_t> TypedCharacterCommand(std::uint8_t byte, int charSet);

}  // namespace tavrel
