// What the window's scan label shows over a run of steps, and when a settled change of the
// feed file needs a step of its own.
#include "pipeline/scan_label_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/feed_watch.h"

namespace tavrel {
namespace {

TEST(ScanLabelState, HoldsTheLastFailureUntilAStepSucceeds) {
  // One event per entry: a status ("Checking"), a step start ("start") or a step's end ("end"
  // with its outcome); after each, the label's text and whether it holds a failure.
  struct Event {
    std::string Status;  // empty for "start" and "end"
    bool Start = false;
    std::optional<TScanOutcome> End;
    std::string Shown;
    bool Holds = false;
  };
  const std::string error = "Error: news.xml: the server closed the connection";
  const std::vector<Event> events = {
      {"Idle", false, {}, "Idle", false},
      {"", true, {}, "Idle", false},
      {"Checking", false, {}, "Checking", false},
      {error, false, {}, error, false},
      {"Idle", false, {}, error, false},  // the step's own end does not show "Idle"
      {"", false, TScanOutcome::Failed, error, true},
      {"Idle", false, {}, error, true},  // the ticks between steps
      // The next step shows its own statuses; a busy server keeps the failure.
      {"", true, {}, error, false},
      {"Checking", false, {}, "Checking", false},
      {"Server Busy", false, {}, "Server Busy", false},
      {"Idle", false, {}, "Server Busy", false},
      {"", false, TScanOutcome::ServerBusy, error, true},
      // Another failure replaces it.
      {"", true, {}, error, false},
      {"Connection failed", false, {}, "Connection failed", false},
      {"", false, TScanOutcome::ConnectionFailed, "Connection failed", true},
      // A step that finds no changes succeeds: back to "Idle".
      {"", true, {}, "Connection failed", false},
      {"Checking", false, {}, "Checking", false},
      {"No changes", false, {}, "No changes", false},
      {"Idle", false, {}, "No changes", false},
      {"", false, TScanOutcome::NoChanges, "Idle", false},
  };
  TScanLabelState label;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const Event& event = events[i];
    SCOPED_TRACE("event " + std::to_string(i));
    if (event.Start) {
      label.StepStarted();
    } else if (event.End) {
      label.StepFinished(*event.End);
    } else {
      label.StatusShown(event.Status);
    }
    EXPECT_EQ(label.Text(), event.Shown);
    EXPECT_EQ(label.HoldsFailure(), event.Holds);
  }
}

TEST(ShortScanStatus, CutsFoldersAndTheTechnicalDetail) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Idle", "Idle"},
      {"Connection failed", "Connection failed"},
      {"Connection failed: the server's certificate was not accepted: it has expired (SSL "
       "certificate problem: certificate has expired)",
       "Connection failed: it has expired"},
      {"Error: /srv/feeds/Feed/news.xml: the feed cannot be read",
       "Error: the feed cannot be read"},
      {"Error: cannot read /srv/feeds/Feed/news.xml", "Error: cannot read news.xml"},
      {"Upload failed: update.zip not stored on 10.0.0.5: the server closed the connection during "
       "the upload (response reading failed (errno: 115))",
       "Upload failed: the server closed the connection during the upload"},
      {"another Tavrel is working in /srv/tavrel/ (process 42)",
       "another Tavrel is working in tavrel/"},
      {"(only detail)", "(only detail)"},
      {"/", "/"},
  };
  for (const auto& [status, shortForm] : cases) {
    SCOPED_TRACE(status);
    EXPECT_EQ(ShortScanStatus(status), shortForm);
  }
}

TEST(FeedChangeNeedsStep, OnlyWhenNoStepStartedAfterTheLastWrite) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point write = Clock::time_point(std::chrono::seconds(100));
  struct Case {
    const char* Name;
    std::optional<Clock::time_point> LastStepStart;
    bool Needed;
  };
  const std::vector<Case> cases = {
      {"no step yet", std::nullopt, true},
      {"the last step started before the write", write - std::chrono::milliseconds(300), true},
      {"a timed step started in the quiet time", write + std::chrono::milliseconds(300), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FeedChangeNeedsStep(write, c.LastStepStart), c.Needed);
  }
}

}  // namespace
}  // namespace tavrel
