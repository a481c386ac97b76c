#include "terminal_progress.h"

#include <unistd.h>

#include <algorithm>

namespace tavrel::cli {

bool TTerminalProgressView::IsTerminal(std::FILE* stream) {
  return stream != nullptr && ::isatty(::fileno(stream)) == 1;
}

int TTerminalProgressView::Percent(const TPFileProgress& progress) {
  if (progress.Total() <= 0) return -1;
  const std::int64_t done = std::clamp<std::int64_t>(progress.Done(), 0, progress.Total());
  return static_cast<int>(done * 100 / progress.Total());
}

std::string TTerminalProgressView::BarLine(const TPFileProgress& progress, int percent) const {
  const int filled = percent < 0 ? 0 : percent * kBarWidth / 100;
  std::string line = "\r" + progress.FileName() + " -> " + progress.Host() + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] ";
  if (percent >= 0) {
    char share[16];
    std::snprintf(share, sizeof share, "%3d%%", percent);
    line += share;
    line += " of " + std::to_string(progress.Total()) + " bytes";
  } else {
    line += std::to_string(progress.Done()) + " bytes";
  }
  return line;
}

void TTerminalProgressView::Write(const std::string& text) {
  if (out_ == nullptr) return;
  std::fputs(text.c_str(), out_);
  std::fflush(out_);
}

void TTerminalProgressView::Show(TPFileProgress& progress) {
  open_ = true;
  shownPercent_ = Percent(progress);
  shownBytes_ = progress.Done();
  if (terminal_) {
    Write(BarLine(progress, shownPercent_));
  } else {
    const std::string size =
        progress.Total() >= 0 ? " (" + std::to_string(progress.Total()) + " bytes)" : "";
    Write("Sending " + progress.FileName() + " to " + progress.Host() + size + "\n");
  }
}

void TTerminalProgressView::Update(TPFileProgress& progress) {
  if (!open_) return;
  const int percent = Percent(progress);
  if (terminal_) {
    // The client library reports many times a second; redraw only what a reader can see.
    const bool changed = percent >= 0 ? percent != shownPercent_ : progress.Done() != shownBytes_;
    if (!changed) return;
    shownPercent_ = percent;
    shownBytes_ = progress.Done();
    Write(BarLine(progress, percent));
    return;
  }
  if (percent < 0) return;
  const int step = percent / kLinePercentStep * kLinePercentStep;
  if (step <= shownPercent_ || step == 0) return;
  shownPercent_ = step;
  Write(progress.FileName() + ": " + std::to_string(step) + "%\n");
}

void TTerminalProgressView::WaitUntilClosed(TPFileProgress& progress) {
  // No operator to press OK here: the finished transfer closes itself.
  progress.ClickButton();
}

void TTerminalProgressView::Close(TPFileProgress& progress) {
  if (!open_) return;
  open_ = false;
  // Whether the file arrived is the command's to say: a stream can end early for many
  // reasons, and only the server's answer tells.
  if (!terminal_) return;
  const int percent = Percent(progress);
  if (percent != shownPercent_ || progress.Done() != shownBytes_) Write(BarLine(progress, percent));
  Write("\n");
}

}  // namespace tavrel::cli
