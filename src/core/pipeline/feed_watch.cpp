#include "pipeline/feed_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <utility>

#include "support/error.h"

namespace tavrel {

namespace {

constexpr std::chrono::milliseconds kStopCheck{100};

}  // namespace

TFeedWatch::TFeedWatch(const std::string& feedPath) {
  const std::filesystem::path path(feedPath);
  name_ = path.filename().string();
  std::string folder = path.parent_path().string();
  if (folder.empty()) folder = ".";
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) throw FileError(folder, std::string("cannot watch: ") + std::strerror(errno));
  constexpr std::uint32_t kEvents =
      IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ATTRIB;
  if (::inotify_add_watch(fd_, folder.c_str(), kEvents) < 0) {
    const int error = errno;
    ::close(fd_);
    throw FileError(folder, std::string("cannot watch: ") + std::strerror(error));
  }
}

TFeedWatch::~TFeedWatch() { ::close(fd_); }

TFeedWatch::TEvents TFeedWatch::ReadEvents() {
  alignas(inotify_event) char buffer[8192];
  TEvents seen = TEvents::None;
  while (true) {
    const ssize_t length = ::read(fd_, buffer, sizeof buffer);
    if (length <= 0) return seen;  // EAGAIN: all read
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->len > 0 && name_ == event->name) {
        // The last event decides: a file closed and opened again is being written again.
        seen = (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0 ? TEvents::Finished
                                                                   : TEvents::Changed;
      }
      // Lost events: look again, after the quiet time, as the state of the file is unknown.
      if ((event->mask & IN_Q_OVERFLOW) != 0) seen = TEvents::Changed;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

bool TFeedWatch::WaitForSettledChange(std::stop_token stop, std::chrono::milliseconds quiet) {
  bool changed = false;
  auto settledAt = std::chrono::steady_clock::now();
  while (!stop.stop_requested()) {
    auto timeout = kStopCheck;
    if (changed) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(
          settledAt - std::chrono::steady_clock::now());
      if (left.count() <= 0) return true;
      timeout = std::min(timeout, left);
    }
    pollfd watch{fd_, POLLIN, 0};
    if (::poll(&watch, 1, static_cast<int>(timeout.count())) <= 0) continue;
    const TEvents seen = ReadEvents();
    if (seen == TEvents::None) continue;
    changed = true;
    lastChange_ = std::chrono::steady_clock::now();
    // A writer that closed the file, or renamed a finished file into place, is done with it:
    // the step takes it at once. Only a file still open for writing waits for the quiet time.
    if (seen == TEvents::Finished) return true;
    settledAt = lastChange_ + quiet;
  }
  return false;
}

bool FeedChangeNeedsStep(std::chrono::steady_clock::time_point changedAt,
                         std::optional<std::chrono::steady_clock::time_point> lastStepStart) {
  return !lastStepStart || *lastStepStart <= changedAt;
}

TFeedFileWatch::TFeedFileWatch(std::string feedPath, TSettled settled)
    : feedPath_(std::move(feedPath)), watch_(std::make_shared<TFeedWatch>(feedPath_)) {
  thread_ = std::jthread([watch = watch_, settled = std::move(settled)](std::stop_token stop) {
    while (watch->WaitForSettledChange(stop)) settled(watch->LastChange(), stop);
  });
}

TFeedFileWatch::~TFeedFileWatch() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

}  // namespace tavrel
