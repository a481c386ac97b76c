#include "status_printer.h"

#include <chrono>

#include "pipeline/scan_log.h"
#include "support/windows1252.h"

namespace tavrel::cli {

void TStatusPrinter::Print(const std::string& text) const {
  const std::string line =
      Windows1252ToUtf8(ScanLogLine(std::chrono::system_clock::now(), text)) + "\n";
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
}

}  // namespace tavrel::cli
