#pragma once

#include <cstdio>
#include <string>

namespace tavrel::cli {

// Writes one line per status, "<time stamp> <text>" (ScanLogLine, the lines the window's scan
// log lists too), and flushes it at once, so that a service
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
