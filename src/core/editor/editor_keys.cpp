#include "editor/editor_keys.h"

#include <array>

#include "editor/edit_engine.h"
#include "page/national_charset.h"

namespace tavrel {
namespace {

// TEditorKey (in declaration order) to its engine command.
constexpr std::array<std::uint8_t, 9> kKeyCommands = {
    EditCommand::End,    EditCommand::Home,    EditCommand::Left,
    EditCommand::Up,     EditCommand::Right,   EditCommand::Down,
    EditCommand::Delete, EditCommand::Refresh, EditCommand::None};

}  // namespace

std::uint8_t KeyDownCommand(TEditorKey key) { return kKeyCommands[static_cast<int>(key)]; }

std::optional<std::uint8_t> TypedCharacterCommand(std::uint8_t byte, int charSet) {
  if (byte == 12) return std::nullopt;
  if (byte >= 130) return TypedCharCode(byte, charSet);
  return byte;
}

}  // namespace tavrel
