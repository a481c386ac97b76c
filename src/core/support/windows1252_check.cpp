#include "support/windows1252_check.h"

#include <cstdio>

#include "support/windows1252.h"

namespace tavrel {

namespace {

std::string Utf8Of(std::u32string_view text) {
  std::string utf8;
  for (const char32_t c : text) AppendUtf8(utf8, c);
  return utf8;
}

}  // namespace

std::u32string CharactersWindows1252Lacks(std::u32string_view text) {
  std::u32string lacking;
  for (const char32_t c : text) {
    // The same test as the conversion that would make the character a "?".
    if (!UnicodeToWindows1252(c) && lacking.find(c) == std::u32string::npos) lacking.push_back(c);
  }
  return lacking;
}

std::string Windows1252LacksMessage(std::string_view field, std::u32string_view text) {
  const std::u32string lacking = CharactersWindows1252Lacks(text);
  if (lacking.empty()) return {};
  std::string message =
      std::string(field) + " \"" + Utf8Of(text) + "\" holds characters that Windows-1252 lacks: ";
  for (std::size_t i = 0; i < lacking.size(); ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(lacking[i]));
    if (i > 0) message += ", ";
    message += "\"" + Utf8Of(lacking.substr(i, 1)) + "\" (" + code + ")";
  }
  message += ". Teletext pages cannot show them; please use other characters.";
  return message;
}

TTextFieldsCheck CheckWindows1252Fields(const std::vector<TTextField>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string message = Windows1252LacksMessage(fields[i].Label, fields[i].Text);
    if (!message.empty()) return {false, i, std::move(message)};
  }
  return {};
}

}  // namespace tavrel
