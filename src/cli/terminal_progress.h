#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "transfer/transfer_progress.h"

namespace tavrel::cli {

// Shows an upload's progress model on a stream: on a terminal one line with a bar that is
// redrawn in place, elsewhere (a log, a pipe, a service journal) a plain line at every tenth
// of the file, so that a log is not flooded and never holds carriage returns. The command
// line has no operator to press OK, so a finished transfer is closed at once.
//
//   TTerminalProgressView view(stderr, TTerminalProgressView::IsTerminal(stderr));
//   UploadUpdate(globals, &view, &failure);
class TTerminalProgressView final : public TFileProgressView {
 public:
  // Characters between the brackets of the bar.
  static constexpr int kBarWidth = 30;
  // Without a terminal a line is written each time the share sent passes a multiple of this.
  static constexpr int kLinePercentStep = 10;

  TTerminalProgressView(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

  // Whether the stream is a terminal that understands a carriage return.
  static bool IsTerminal(std::FILE* stream);

  void Show(TPFileProgress& progress) override;
  void Update(TPFileProgress& progress) override;
  void WaitUntilClosed(TPFileProgress& progress) override;
  void Close(TPFileProgress& progress) override;

 private:
  // Share of the file sent, 0 to 100; nothing known (-1) while the size is unknown.
  static int Percent(const TPFileProgress& progress);
  std::string BarLine(const TPFileProgress& progress, int percent) const;
  void Write(const std::string& text);

  std::FILE* out_;
  bool terminal_;
  int shownPercent_ = -1;
  std::int64_t shownBytes_ = -1;
  bool open_ = false;
};

}  // namespace tavrel::cli
