#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tavrel {
class TFeedWatch;
}

namespace tavrel::gui {

// The window's watch of a local feed file: the scan service's own watch (TFeedWatch, which
// reacts to the feed file's name only, not to other files in its folder) on a thread of its
// own, reporting each settled change with the time of its last write.
class TFeedFileWatch {
 public:
  using TSettled = std::function<void(std::chrono::steady_clock::time_point lastWrite)>;

  // Throws tavrel::Error naming the folder when it cannot be watched. `settled` is called on
  // the watch's thread.
  TFeedFileWatch(std::string feedPath, TSettled settled);
  // Ends the watch and waits for its thread (at most about a tenth of a second).
  ~TFeedFileWatch();
  TFeedFileWatch(const TFeedFileWatch&) = delete;
  TFeedFileWatch& operator=(const TFeedFileWatch&) = delete;

  const std::string& FeedPath() const { return feedPath_; }

 private:
  std::string feedPath_;
  std::shared_ptr<TFeedWatch> watch_;
  std::jthread thread_;
};

}  // namespace tavrel::gui
