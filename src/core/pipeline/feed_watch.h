#pragma once

#include <chrono>
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

 private:
  // Reads what the kernel reported; answers whether an event concerned the feed file.
  bool ReadEvents();

  int fd_ = -1;
  std::string name_;
};

}  // namespace tavrel
