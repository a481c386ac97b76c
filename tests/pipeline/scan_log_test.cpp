#include "pipeline/scan_log.h"

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace tavrel {
namespace {

// Sets TZ for the lifetime of the object and puts back what was there.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(LocalTimeStamp, IsIsoLocalTimeWithTheOffsetOfThatMoment) {
  struct Case {
    const char* Zone;  // POSIX rules, so that the test needs no time zone database
    std::int64_t UnixSeconds;
    const char* Expected;
  };
  // Central European rules: summer time from the last Sunday of March 01:00 UTC to the last
  // Sunday of October 01:00 UTC.
  const char* europe = "CET-1CEST,M3.5.0,M10.5.0/3";
  const std::vector<Case> cases = {
      {"UTC0", 0, "1970-01-01T00:00:00+00:00"},
      {europe, 1774745999, "2026-03-29T01:59:59+01:00"},  // last second of winter time
      {europe, 1774746000, "2026-03-29T03:00:00+02:00"},  // first second of summer time
      {europe, 1792889999, "2026-10-25T02:59:59+02:00"},
      {europe, 1792890000, "2026-10-25T02:00:00+01:00"},  // the hour that comes twice
      {"EST5", 1765324800, "2025-12-09T19:00:00-05:00"},
      {"IST-5:30", 1765324800, "2025-12-10T05:30:00+05:30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Zone) + " " + std::to_string(c.UnixSeconds));
    TimeZone zone(c.Zone);
    const auto moment = std::chrono::system_clock::time_point(std::chrono::seconds(c.UnixSeconds));
    EXPECT_EQ(LocalTimeStamp(moment), c.Expected);
  }
}

// The window lists the scan's lines newest first, and a scan that runs for months keeps only the
// last lines rather than growing without end.
TEST(ScanLog, ListsNewestFirstAndDropsTheOldestPastTheLimit) {
  TimeZone zone("UTC0");
  TScanLog log;
  const auto start = std::chrono::system_clock::time_point(std::chrono::seconds(1765324800));
  log.Add(start, "Checking");
  log.Add(start + std::chrono::seconds(1), "Error: feed.xml: the server closed the connection");
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "2025-12-10T00:00:01+00:00 Error: feed.xml: the server closed the "
                             "connection",
                             "2025-12-10T00:00:00+00:00 Checking"}));
  for (std::size_t i = 0; i < TScanLog::kMaxLines; ++i) log.Add(start, "Idle");
  EXPECT_EQ(log.Size(), TScanLog::kMaxLines);
  EXPECT_EQ(log.Lines().back(), "2025-12-10T00:00:00+00:00 Idle");
}

}  // namespace
}  // namespace tavrel
