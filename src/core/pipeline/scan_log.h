#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace tavrel {

// A moment as ISO 8601 local time with the zone offset, to the second:
// "2026-03-29T03:00:00+02:00". The offset is what the time zone (TZ) gives for that moment, so
// lines written across a change to or from summer time stay in order when read.
std::string LocalTimeStamp(std::chrono::system_clock::time_point moment);

// One line of the scan's log: "<time stamp> <status>", the status in the system's
// Windows-1252 bytes. The scan service prints these lines and the window lists them, so that an
// operator reads the same words in both.
std::string ScanLogLine(std::chrono::system_clock::time_point moment, const std::string& status);

// The scan's statuses of this session, kept in memory for the window's log. A scan that runs
// for months would otherwise grow without end: past kMaxLines the oldest lines go.
class TScanLog {
 public:
  static constexpr std::size_t kMaxLines = 20000;

  void Add(std::chrono::system_clock::time_point moment, const std::string& status);
  // Newest first.
  std::vector<std::string> Lines() const;
  std::size_t Size() const { return lines_.size(); }

 private:
  std::deque<std::string> lines_;  // oldest first
};

}  // namespace tavrel
