#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace tavrel::cli {

// A moment as ISO 8601 local time with the zone offset, to the second:
// "2026-03-29T03:00:00+02:00". The offset is what the time zone (TZ) gives for that moment, so
// lines written across a change to or from summer time stay in order when read.
std::string LocalTimeStamp(std::chrono::system_clock::time_point moment);

// Writes one line per status, "<time stamp> <text>", and flushes it at once, so that a service
// journal or a pipe shows each status as it happens. Texts are the system's Windows-1252
// bytes and are written as UTF-8.
class TStatusPrinter {
 public:
  explicit TStatusPrinter(std::FILE* out) : out_(out) {}
  void Print(const std::string& text) const;

 private:
  std::FILE* out_;
};

}  // namespace tavrel::cli
