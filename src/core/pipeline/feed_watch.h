#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

namespace tavrel {

// How long a local feed file still open for writing must stay unchanged after a write before a
// step takes it: a producer that writes in several pieces is not caught half way. A file that
// its writer closed or renamed into place is taken at once.
inline constexpr std::chrono::milliseconds kFeedQuietTime{1000};

// How long after a step that found the server busy a watched feed's change is tried again. The
// watch takes a finished feed at once, often while the server is still taking the previous
// update; that change must not wait a whole ScanInterval for the server's moment of work.
inline constexpr std::chrono::milliseconds kBusyRetryWait{1000};

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

  // Blocks until the file was closed after writing or renamed into place, or was written,
  // created or removed and then stayed unchanged for quiet; answers true then, false once a stop
  // is requested (checked every 100 ms).
  bool WaitForSettledChange(std::stop_token stop, std::chrono::milliseconds quiet = kFeedQuietTime);

  // When the kernel last reported a change of the feed file (on the steady clock); the epoch
  // before any change.
  std::chrono::steady_clock::time_point LastChange() const { return lastChange_; }

 private:
  // What the kernel reported about the feed file: nothing, a change that may go on (a write,
  // a creation, a removal), or a finished file (closed after writing, renamed into place).
  enum class TEvents { None, Changed, Finished };
  TEvents ReadEvents();

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

// The watch of a local feed file as the scan service and the window run it: TFeedWatch on a
// thread of its own, calling `settled` on that thread for each settled change with the time of
// its last write and the watch's stop (requested when the watch goes), so that both react to
// the same paths after the same quiet time.
class TFeedFileWatch {
 public:
  using TSettled =
      std::function<void(std::chrono::steady_clock::time_point lastWrite, std::stop_token stop)>;

  // Throws tavrel::Error naming the folder when it cannot be watched.
  TFeedFileWatch(std::string feedPath, TSettled settled);
  // Ends the watch and waits for its thread: at most a tenth of a second, or the end of what
  // `settled` is doing.
  ~TFeedFileWatch();
  TFeedFileWatch(const TFeedFileWatch&) = delete;
  TFeedFileWatch& operator=(const TFeedFileWatch&) = delete;

  const std::string& FeedPath() const { return feedPath_; }

 private:
  std::string feedPath_;
  std::shared_ptr<TFeedWatch> watch_;
  std::jthread thread_;
};

}  // namespace tavrel
