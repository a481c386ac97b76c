#include "status_printer.h"

#include <time.h>

#include "support/windows1252.h"

namespace tavrel::cli {

std::string LocalTimeStamp(std::chrono::system_clock::time_point moment) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
  std::tm local{};
  char text[40];
  if (::localtime_r(&seconds, &local) == nullptr) {
    // A moment the local rules cannot place still gets a stamp, in universal time.
    std::tm universal{};
    if (::gmtime_r(&seconds, &universal) == nullptr) return std::to_string(seconds);
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &universal));
  }
  // %z gives "+0200"; ISO 8601's extended form, which the date part uses, wants "+02:00".
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  std::string stamp(text, length);
  if (stamp.size() >= 5) stamp.insert(stamp.size() - 2, ":");
  return stamp;
}

void TStatusPrinter::Print(const std::string& text) const {
  const std::string line =
      LocalTimeStamp(std::chrono::system_clock::now()) + " " + Windows1252ToUtf8(text) + "\n";
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
}

}  // namespace tavrel::cli
