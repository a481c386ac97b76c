#pragma once

#include <string>

namespace tavrel::testing {

// Page text written readably: "{1D}" stands for the byte 0x1D, everything else is taken as it
// stands.
inline std::string ExpandCodes(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 3 < text.size() && text[i + 3] == '}') {
      bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

}  // namespace tavrel::testing
