#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// Where the preview listens: an address of this machine and a port (0: any free port).
struct TListenAddress {
  std::string Address;
  int Port = 0;
  bool operator==(const TListenAddress&) const = default;
};

// Reads "ADDRESS:PORT", "[IPV6]:PORT" or ":PORT" (the loopback address). Answers nothing for
// anything else: no port, a port outside 0..65535, an address with spaces or brackets out of
// place.
std::optional<TListenAddress> ParseListenAddress(std::string_view text);

// Whether only this machine can reach the address: 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackAddress(std::string_view address);

}  // namespace tavrel
