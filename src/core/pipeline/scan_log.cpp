#include "pipeline/scan_log.h"

#include <time.h>

#include <ctime>

namespace tavrel {

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

std::string ScanLogLine(std::chrono::system_clock::time_point moment, const std::string& status) {
  return LocalTimeStamp(moment) + " " + status;
}

void TScanLog::Add(std::chrono::system_clock::time_point moment, const std::string& status) {
  lines_.push_back(ScanLogLine(moment, status));
  if (lines_.size() > kMaxLines) lines_.pop_front();
}

std::vector<std::string> TScanLog::Lines() const { return {lines_.rbegin(), lines_.rend()}; }

}  // namespace tavrel
