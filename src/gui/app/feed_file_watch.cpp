#include "app/feed_file_watch.h"

#include <utility>

#include "pipeline/feed_watch.h"

namespace tavrel::gui {

TFeedFileWatch::TFeedFileWatch(std::string feedPath, TSettled settled)
    : feedPath_(std::move(feedPath)), watch_(std::make_shared<TFeedWatch>(feedPath_)) {
  thread_ = std::jthread([watch = watch_, settled = std::move(settled)](std::stop_token stop) {
    while (watch->WaitForSettledChange(stop)) settled(watch->LastChange());
  });
}

TFeedFileWatch::~TFeedFileWatch() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

}  // namespace tavrel::gui
