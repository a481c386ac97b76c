// Feeds arbitrary bytes as a downloaded feed body to the line handling that stores it. The
// result is checked against a plain byte-by-byte reading of the rule: CR, LF and CR LF each end
// a line, a last line without a break gets one, every other byte stays.

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "transfer/feed_fetch.h"

using tavrel::fuzz::Require;

namespace {

std::string ReferenceLines(std::string_view body) {
  std::string lines;
  bool lineOpen = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c == '\r' || c == '\n') {
      lines += "\r\n";
      lineOpen = false;
      if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
    } else {
      lines += c;
      lineOpen = true;
    }
  }
  if (lineOpen) lines += "\r\n";
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const std::string lines = tavrel::ToCrLfLines(body);
  Require(lines == ReferenceLines(body), "lines as the rule says");
  Require(tavrel::ToCrLfLines(lines) == lines, "stored lines are stored unchanged");
  return 0;
}
