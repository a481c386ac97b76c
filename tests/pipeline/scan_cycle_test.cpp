#include "pipeline/scan_cycle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/error.h"
#include "support/home_lock.h"

namespace tavrel {
namespace {

using std::chrono::milliseconds;

// A clock that only moves when the scan waits on it, so that tests run at once and see the
// exact time of everything.
class FakeClock final : public TScanClock {
 public:
  std::chrono::steady_clock::time_point Now() override { return now_; }
  void Wait(milliseconds duration, std::stop_token = {}) override { now_ += duration; }
  long ElapsedMs() const { return std::chrono::duration_cast<milliseconds>(now_ - start_).count(); }

 private:
  std::chrono::steady_clock::time_point start_{};
  std::chrono::steady_clock::time_point now_{};
};

// One status text and when it appeared, in ms since the test began.
struct Shown {
  long AtMs;
  std::string Text;
  bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& shown) {
  return out << shown.AtMs << "ms \"" << shown.Text << "\"";
}

// What the stand-in operations answer in a step, and what the step did with them.
struct Script {
  bool FeedChanged = true;
  bool Connected = true;
  std::string ConnectionFailure;  // why the connection failed, when it does
  bool Free = true;
  TProcessResult Result;
  std::string FeedError;     // FeedChanged throws with this message when not empty
  std::string ProcessError;  // RegenerateAndUpload throws with this message when not empty
  std::string Digest;        // InputsDigest answers this; empty: the step has no digest
  bool HomeBusy = false;     // HoldHome throws THomeInUse
  int Connections = 0;
  int Processed = 0;
  int Commits = 0;
};

TScanOperations OperationsFor(Script& script) {
  return {
      [&](std::stop_token) {
        if (!script.FeedError.empty()) throw Error(script.FeedError);
        return script.FeedChanged;
      },
      [&](std::stop_token, std::string& failure) {
        ++script.Connections;
        if (!script.Connected) failure = script.ConnectionFailure;
        return script.Connected;
      },
      [&](std::stop_token) { return script.Free; },
      [&](std::stop_token) {
        ++script.Processed;
        if (!script.ProcessError.empty()) throw Error(script.ProcessError);
        return script.Result;
      },
      [&] { ++script.Commits; },
      [&](std::stop_token) -> std::shared_ptr<void> {
        if (script.HomeBusy) throw THomeInUse("another Tavrel is working in /home (process 7)");
        return std::make_shared<int>(0);
      },
      [&] { return script.Digest; },
  };
}

TEST(ScanCycle, StepShowsItsRoadInOrderWithTheWaits) {
  struct Case {
    const char* Name;
    Script Setup;
    std::vector<Shown> ExpectedTexts;
    TScanOutcome ExpectedOutcome;
    int ExpectedConnections;
    int ExpectedProcessed;
    int ExpectedCommits;
  };
  Script unchanged;
  unchanged.FeedChanged = false;
  Script refused;
  refused.Connected = false;
  Script untrusted;
  untrusted.Connected = false;
  untrusted.ConnectionFailure = "the server's certificate was not accepted: it has expired";
  Script busy;
  busy.Free = false;
  Script uploaded;
  Script uploadFailed;
  uploadFailed.Result = {TProcessOutcome::UploadFailed, ""};
  Script uploadFailedWithReason;
  uploadFailedWithReason.Result = {TProcessOutcome::UploadFailed,
                                   "update.zip not stored: connection lost"};
  Script nothing;
  nothing.Result = {TProcessOutcome::NothingToSend, ""};
  Script feedUnreachable;
  feedUnreachable.FeedError = "http://127.0.0.1:1/feed.xml: connection refused";
  Script parseError;
  parseError.ProcessError = "Import/WebRSS.xml:3:7: unexpected end of document";

  const std::vector<Case> cases = {
      {"unchanged feed makes no connection",
       unchanged,
       {{0, "Checking"}, {500, "No changes"}, {1000, "Idle"}},
       TScanOutcome::NoChanges,
       0,
       0,
       0},
      {"refused login",
       refused,
       {{0, "Checking"}, {500, "Connection failed"}, {1000, "Idle"}},
       TScanOutcome::ConnectionFailed,
       1,
       0,
       0},
      {"refused certificate says why",
       untrusted,
       {{0, "Checking"},
        {500, "Connection failed: the server's certificate was not accepted: it has expired"},
        {1000, "Idle"}},
       TScanOutcome::ConnectionFailed,
       1,
       0,
       0},
      {"busy server gets nothing",
       busy,
       {{0, "Checking"}, {500, "Server Busy"}, {1000, "Idle"}},
       TScanOutcome::ServerBusy,
       1,
       0,
       0},
      {"stored update makes the feed handled",
       uploaded,
       {{0, "Checking"}, {500, "Processing"}, {500, "Idle"}},
       TScanOutcome::Uploaded,
       1,
       1,
       1},
      {"failed upload leaves the feed unhandled",
       uploadFailed,
       {{0, "Checking"}, {500, "Processing"}, {500, "Upload failed"}, {1000, "Idle"}},
       TScanOutcome::UploadFailed,
       1,
       1,
       0},
      {"failed upload names its reason",
       uploadFailedWithReason,
       {{0, "Checking"},
        {500, "Processing"},
        {500, "Upload failed: update.zip not stored: connection lost"},
        {1000, "Idle"}},
       TScanOutcome::UploadFailed,
       1,
       1,
       0},
      {"no page generated leaves the feed unhandled",
       nothing,
       {{0, "Checking"}, {500, "Processing"}, {500, "No pages generated"}, {1000, "Idle"}},
       TScanOutcome::NothingToSend,
       1,
       1,
       0},
      {"unreachable feed is an error, not \"No changes\"",
       feedUnreachable,
       {{0, "Checking"},
        {0, "Error: http://127.0.0.1:1/feed.xml: connection refused"},
        {500, "Idle"}},
       TScanOutcome::Failed,
       0,
       0,
       0},
      {"parse error ends the step and uploads nothing",
       parseError,
       {{0, "Checking"},
        {500, "Processing"},
        {500, "Error: Import/WebRSS.xml:3:7: unexpected end of document"},
        {1000, "Idle"}},
       TScanOutcome::Failed,
       1,
       1,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Script script = c.Setup;
    FakeClock clock;
    std::vector<Shown> shown;
    TScanCycle cycle(OperationsFor(script), clock,
                     {[&](const std::string& text) {
                        shown.push_back({clock.ElapsedMs(), text});
                      },
                      nullptr});
    EXPECT_EQ(cycle.RunStep(), c.ExpectedOutcome);
    EXPECT_EQ(shown, c.ExpectedTexts);
    EXPECT_EQ(script.Connections, c.ExpectedConnections);
    EXPECT_EQ(script.Processed, c.ExpectedProcessed);
    EXPECT_EQ(script.Commits, c.ExpectedCommits);
    EXPECT_FALSE(cycle.ScanBusy());
    // The scan goes on after any outcome: a second step runs as the first did.
    shown.clear();
    EXPECT_EQ(cycle.RunStep(), c.ExpectedOutcome);
    EXPECT_EQ(shown.size(), c.ExpectedTexts.size());
  }
}

TEST(ScanCycle, FirstStepStartsHalfASecondAfterTheInterval) {
  struct Case {
    std::int32_t ScanInterval;
    long ExpectedFirstStepMs;
    long ExpectedSecondStepMs;  // with an unchanged feed: the step itself lasts 1000 ms
  };
  const std::vector<Case> cases = {
      {10, 10500, 21000},
      {1, 1500, 3000},
      // With 0 every tick that finds no step running starts one; the tick that falls due
      // inside the step (at 1000 ms) starts none.
      {0, 500, 1500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ScanInterval);
    FakeClock clock;
    Script script;
    script.FeedChanged = false;
    std::vector<long> stepStarts;
    TScanOperations operations = OperationsFor(script);
    operations.FeedChanged = [&](std::stop_token) {
      stepStarts.push_back(clock.ElapsedMs());
      return false;
    };
    TScanCycle cycle(operations, clock);
    cycle.SetScanInterval(c.ScanInterval);
    cycle.SetAutoScan(true);
    cycle.Run([&] { return stepStarts.size() < 2; });
    ASSERT_EQ(stepStarts.size(), 2u);
    EXPECT_EQ(stepStarts[0], c.ExpectedFirstStepMs);
    EXPECT_EQ(stepStarts[1], c.ExpectedSecondStepMs);
  }
}

// A window's generator lets events run, so timer ticks arrive inside a step. They only count:
// no second step starts, the label keeps the step's text, and the next step starts on the
// schedule those counted ticks set.
TEST(ScanCycle, TicksDuringAStepOnlyCount) {
  struct Case {
    std::int32_t ScanInterval;
    int TicksInsideStep;
    std::int32_t ExpectedCountAfterStep;
    int ExpectedIdleTicksBeforeNextStep;
  };
  const std::vector<Case> cases = {
      {2, 0, 0, 4},
      {2, 3, 3, 1},
      {2, 4, 4, 0},
      // The fifth finds the count reached while the step runs and only sets it back.
      {2, 5, 0, 4},
      {0, 3, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "interval " << c.ScanInterval << ", " << c.TicksInsideStep << " ticks inside");
    FakeClock clock;
    Script script;
    script.FeedChanged = false;
    int steps = 0;
    std::vector<std::string> textsInsideStep;
    TScanCycle* cyclePointer = nullptr;
    TScanOperations operations = OperationsFor(script);
    operations.FeedChanged = [&](std::stop_token) {
      ++steps;
      if (steps == 1) {
        for (int i = 0; i < c.TicksInsideStep; ++i) {
          cyclePointer->Tick();
          textsInsideStep.push_back(cyclePointer->Status());
        }
      }
      return false;
    };
    TScanCycle cycle(operations, clock);
    cyclePointer = &cycle;
    cycle.SetScanInterval(c.ScanInterval);
    cycle.SetAutoScan(true);
    cycle.RunStep();
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(textsInsideStep, std::vector<std::string>(c.TicksInsideStep, "Checking"));
    EXPECT_EQ(cycle.TickCount(), c.ExpectedCountAfterStep);

    int idleTicks = 0;
    while (steps == 1 && idleTicks < 100) {
      cycle.Tick();
      if (steps == 1) ++idleTicks;
    }
    EXPECT_EQ(idleTicks, c.ExpectedIdleTicksBeforeNextStep);
  }
}

TEST(ScanCycle, WaitingTicksBlinkTheLabelAndSwitchingOffStopsTheScan) {
  FakeClock clock;
  Script script;
  script.FeedChanged = false;
  std::vector<bool> visibility;
  TScanCycle cycle(OperationsFor(script), clock,
                   {nullptr, [&](bool visible) { visibility.push_back(visible); }});
  cycle.SetScanInterval(2);
  cycle.SetAutoScan(true);
  for (int i = 0; i < 3; ++i) cycle.Tick();
  EXPECT_EQ(visibility, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(cycle.Status(), "Idle");

  cycle.SetAutoScan(false);
  EXPECT_EQ(cycle.TickCount(), 0);
  for (int i = 0; i < 10; ++i) cycle.Tick();
  EXPECT_EQ(cycle.TickCount(), 0);
  EXPECT_FALSE(cycle.LastOutcome().has_value());
}

// An interval read from a settings file can be any number; twice the largest one must still
// count, and a step must not start early because a count wrapped around.
TEST(ScanCycle, IntervalsOutsideTheRangeAreKeptWithinIt) {
  struct Case {
    std::int32_t Given;
    std::int32_t ExpectedInterval;
    bool ExpectedStepWithinThreeTicks;
  };
  const std::vector<Case> cases = {
      {-5, 0, true},
      {1, 1, true},
      {TScanCycle::kMaxScanInterval, TScanCycle::kMaxScanInterval, false},
      {std::numeric_limits<std::int32_t>::max(), TScanCycle::kMaxScanInterval, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Given);
    FakeClock clock;
    Script script;
    script.FeedChanged = false;
    TScanCycle cycle(OperationsFor(script), clock);
    cycle.SetScanInterval(c.Given);
    EXPECT_EQ(cycle.ScanInterval(), c.ExpectedInterval);
    cycle.SetAutoScan(true);
    for (int i = 0; i < 3; ++i) cycle.Tick();
    EXPECT_EQ(cycle.LastOutcome().has_value(), c.ExpectedStepWithinThreeTicks);
  }
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

// Inputs that failed from themselves are not tried again until their digest changes; any other
// failure is tried again at the next step, and a home in use is one of those.
TEST(ScanCycle, AFailureFromTheInputsWaitsForAChangeOthersAreRetried) {
  struct Step {
    const char* Name;
    std::string Digest;
    bool Connected;
    bool HomeBusy;
    TProcessResult Result;
    TScanOutcome ExpectedOutcome;
    int ExpectedConnections;         // in total
    std::string ExpectedLastStatus;  // before "Idle"
  };
  const TProcessResult unreadable{TProcessOutcome::InputsUnusable, "feed.xml:1:5: bad"};
  const TProcessResult nothing{TProcessOutcome::NothingToSend, ""};
  const TProcessResult sent{TProcessOutcome::Uploaded, ""};
  const std::vector<Step> steps = {
      {"unreadable feed", "a", true, false, unreadable, TScanOutcome::Failed, 1,
       "Error: feed.xml:1:5: bad"},
      {"same inputs: waits, no connection", "a", true, false, unreadable,
       TScanOutcome::WaitingForChange, 1, "Waiting for a change of the inputs: feed.xml:1:5: bad"},
      {"home in use", "a", true, true, unreadable, TScanOutcome::HomeInUse, 1,
       "another Tavrel is working in /home (process 7)"},
      {"a template changed: no page", "b", true, false, nothing, TScanOutcome::NothingToSend, 2,
       "No pages generated"},
      {"same again", "b", true, false, nothing, TScanOutcome::WaitingForChange, 2,
       "Waiting for a change of the inputs: No pages generated"},
      {"mended, login refused", "c", false, false, sent, TScanOutcome::ConnectionFailed, 3,
       "Connection failed"},
      {"login refused again: tried", "c", false, false, sent, TScanOutcome::ConnectionFailed, 4,
       "Connection failed"},
      {"sent", "c", true, false, sent, TScanOutcome::Uploaded, 5, "Processing"},
      {"back to the failed inputs: tried again", "b", true, false, nothing,
       TScanOutcome::NothingToSend, 6, "No pages generated"},
  };
  FakeClock clock;
  Script script;
  std::vector<std::string> shown;
  TScanCycle cycle(OperationsFor(script), clock,
                   {[&](const std::string& text) { shown.push_back(text); }, nullptr});
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Name);
    script.Digest = step.Digest;
    script.Connected = step.Connected;
    script.HomeBusy = step.HomeBusy;
    script.Result = step.Result;
    shown.clear();
    EXPECT_EQ(cycle.RunStep(), step.ExpectedOutcome);
    EXPECT_EQ(script.Connections, step.ExpectedConnections);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[shown.size() - 2], step.ExpectedLastStatus);
  }
}

}  // namespace
}  // namespace tavrel
