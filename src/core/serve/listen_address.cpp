#include "serve/listen_address.h"

#include <algorithm>

namespace tavrel {

std::optional<TListenAddress> ParseListenAddress(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view address = text.substr(0, colon);
  const std::string_view port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5 ||
      !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const int number = std::stoi(std::string(port));
  if (number > 65535) return std::nullopt;
  if (!address.empty() && address.front() == '[') {
    if (address.size() < 3 || address.back() != ']') return std::nullopt;
    address = address.substr(1, address.size() - 2);
  } else if (address.find(':') != std::string_view::npos) {
    // An IPv6 address needs its brackets, or its last group would be read as the port.
    return std::nullopt;
  }
  if (address.find_first_of(" \t[]/") != std::string_view::npos) return std::nullopt;
  return TListenAddress{address.empty() ? std::string("127.0.0.1") : std::string(address), number};
}

bool IsLoopbackAddress(std::string_view address) {
  if (address == "localhost" || address == "::1") return true;
  if (!address.starts_with("127.")) return false;
  // Four dotted numbers, the first 127.
  int dots = 0;
  for (char c : address) {
    if (c == '.') {
      ++dots;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return dots == 3 && address.back() != '.' && address.find("..") == std::string_view::npos;
}

}  // namespace tavrel
