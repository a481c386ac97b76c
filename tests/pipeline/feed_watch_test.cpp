#include "pipeline/feed_watch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <stop_token>
#include <string>
#include <thread>

#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;
using testing::WriteBytes;

// How a producer puts a new feed in place, and whether the watch must take it without waiting
// for the quiet time. The quiet time is an hour, so a watch that waited for it would be
// stopped by the test's guard and answer false.
TEST(FeedWatch, ClosedOrRenamedFeedIsTakenAtOnceAndAnOpenOneWaitsForQuiet) {
  enum class Writer { WriteAndClose, RenameIntoPlace, StillOpen, OtherFileClosed };
  struct Case {
    const char* Name;
    Writer How;
    bool TakenAtOnce;
  };
  const Case cases[] = {
      {"written and closed", Writer::WriteAndClose, true},
      {"written beside and renamed into place", Writer::RenameIntoPlace, true},
      {"written and still open", Writer::StillOpen, false},
      {"another file of the folder closed", Writer::OtherFileClosed, false},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    const TempFolder folder;
    const std::string feed = folder / "news.xml";
    WriteBytes(feed, "<rss/>");
    TFeedWatch watch(feed);
    std::stop_source guard;
    auto settled = std::async(std::launch::async, [&] {
      return watch.WaitForSettledChange(guard.get_token(), std::chrono::hours(1));
    });
    int open = -1;
    switch (row.How) {
      case Writer::WriteAndClose:
        WriteBytes(feed, "<rss>new</rss>");
        break;
      case Writer::RenameIntoPlace:
        WriteBytes(folder / ".news.xml.part", "<rss>new</rss>");
        ASSERT_EQ(std::rename((folder / ".news.xml.part").c_str(), feed.c_str()), 0);
        break;
      case Writer::StillOpen:
        open = ::open(feed.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(open, 0);
        ASSERT_EQ(::write(open, "<!-- more -->", 13), 13);
        break;
      case Writer::OtherFileClosed:
        WriteBytes(folder / "other.xml", "<rss/>");
        break;
    }
    // A generous guard: the answer that counts is whether the watch settled at all.
    const bool takenBeforeGuard = settled.wait_for(2s) == std::future_status::ready;
    guard.request_stop();
    EXPECT_EQ(takenBeforeGuard, row.TakenAtOnce);
    EXPECT_EQ(settled.get(), row.TakenAtOnce);
    if (open >= 0) ::close(open);
  }
}

}  // namespace
}  // namespace tavrel
