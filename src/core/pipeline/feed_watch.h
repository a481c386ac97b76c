#pragma once

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>

namespace tavrel {

// How long a local feed file must stay unchanged after a write before a step takes it: a
// producer that writes in several pieces is not caught half way.
inline constexpr std::chrono::milliseconds kFeedQuietTime{1000};

// Watches a local feed file through the kernel (inotify on its folder, so that a file replaced
// by a rename is seen as well as one rewritten in place), so that the scan takes a new feed
// at once instead of at its next step.
class TFeedWatch {
 public:
  // Throws tavrel::Error naming the folder when it cannot be watched.
  explicit TFeedWatch(const std::string& feedPath);
  ~TFeedWatch();
  TFeedWatch(const TFeedWatch&) = delete;
  TFeedWatch& operator=(const TFeedWatch&) = delete;

  // Blocks until the file was written, created, replaced or removed and then stayed unchanged
  // for quiet; answers true then, false once a stop is requested (checked every 100 ms).
  bool WaitForSettledChange(std::stop_token stop, std::chrono::milliseconds quiet = kFeedQuietTime);

  // When the kernel last reported a change of the feed file (on the steady clock); the epoch
  // before any change.
  std::chrono::steady_clock::time_point LastChange() const { return lastChange_; }

 private:
  // Reads what the kernel reported; answers whether an event concerned the feed file.
  bool ReadEvents();

  int fd_ = -1;
  std::string name_;
  std::chrono::steady_clock::time_point lastChange_{};
};

// Whether a settled change of the feed file, last written at `changedAt`, still needs a step of
// its own: not when a step started after that write (`lastStepStart`, on the same steady
// clock), because that step fetched the file as it now is. So a timed step that happens to
// start during the quiet time is not followed by a second, empty one; a step that started
// before the last write, and may have read the file half written, is.
bool FeedChangeNeedsStep(std::chrono::steady_clock::time_point changedAt,
                         std::optional<std::chrono::steady_clock::time_point> lastStepStart);

}  // namespace tavrel
