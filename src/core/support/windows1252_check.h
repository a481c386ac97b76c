#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// Text that a setting keeps as Windows-1252 (a category name, a prompt, a server name) must not
// lose characters on the way: the conversion would make each character the code page lacks a
// "?", so "Пресса" would be saved as "??????" and then clash with every other such name. These
// rules find such characters so that the dialogs and `check` can refuse the text and name them.

// The characters of a text that Windows-1252 lacks, each once, in the order they first appear.
std::u32string CharactersWindows1252Lacks(std::u32string_view text);

// "<field> "<text>" holds characters Windows-1252 lacks: "П" (U+041F), ...; ..." in UTF-8, or
// an empty text when the code page holds every character.
std::string Windows1252LacksMessage(std::string_view field, std::u32string_view text);

// One text field as the operator typed it, named by its label.
struct TTextField {
  std::string_view Label;
  std::u32string Text;
};

// The first field holding characters Windows-1252 lacks: Ok false, its position among the
// fields and the message (UTF-8).
struct TTextFieldsCheck {
  bool Ok = true;
  std::size_t Field = 0;
  std::string Message;
};
TTextFieldsCheck CheckWindows1252Fields(const std::vector<TTextField>& fields);

}  // namespace tavrel
