#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace tavrel {

// Texts of the scan status label, shown exactly as written.
inline constexpr const char* kScanIdle = "Idle";
inline constexpr const char* kScanChecking = "Checking";
inline constexpr const char* kScanNoChanges = "No changes";
inline constexpr const char* kScanConnectionFailed = "Connection failed";
inline constexpr const char* kScanProcessing = "Processing";
inline constexpr const char* kScanServerBusy = "Server Busy";
inline constexpr const char* kScanUploadFailed = "Upload failed";
inline constexpr const char* kScanNothingGenerated = "No pages generated";
inline constexpr const char* kScanCancelled = "Cancelled";
// Followed by the error's own message.
inline constexpr const char* kScanErrorPrefix = "Error: ";
// Followed by why the last step failed: the same inputs would fail the same way, so the step
// neither logs in nor generates until the feed, a template or a page setting changes.
inline constexpr const char* kScanWaitingForChange = "Waiting for a change of the inputs: ";

// What regenerating the pages from a changed feed and sending them came to.
enum class TProcessOutcome {
  Uploaded,        // archive and semaphore stored on the server
  NothingToSend,   // the feed gave no page; nothing was sent
  UploadFailed,    // pages generated, but the update was not stored completely
  Cancelled,       // a stop was requested; nothing more was sent
  InputsUnusable,  // the feed cannot be read as it is (Detail says why); nothing was sent
};

struct TProcessResult {
  TProcessOutcome Outcome = TProcessOutcome::Uploaded;
  // Why the upload failed, shown after "Upload failed: "; may be empty.
  std::string Detail;
};

// How one scan step ended.
enum class TScanOutcome {
  NoChanges,
  ConnectionFailed,
  ServerBusy,
  Uploaded,
  NothingToSend,
  UploadFailed,
  Cancelled,  // a stop was requested during the step; no semaphore was sent
  Failed,     // an operation raised an error; the status label names it
  HomeInUse,  // another run held the home folder; the next step tries again
  // The inputs are those a step already failed on (no page, a feed that cannot be read);
  // nothing was fetched from the server or generated.
  WaitingForChange,
};

// The work of a step, supplied by whoever drives the scan (the window, the service), so that
// the cycle itself can be tried with stand-ins. Any of them may throw; the step then ends with
// "Error: " and the message. Each gets the step's stop token and should end soon once a stop
// is requested.
struct TScanOperations {
  // Fetches the feed and answers whether it differs from the copy last handled. Throws when the
  // feed cannot be fetched, so that an unreachable feed is not mistaken for an unchanged one.
  std::function<bool(std::stop_token)> FeedChanged;
  // Logs in to the server; on failure answers false and says why in failure (may stay empty).
  std::function<bool(std::stop_token, std::string& failure)> TestServerConnection;
  std::function<bool(std::stop_token)> ServerIsFree;
  // Regenerates the pages from the fetched feed and sends the update.
  std::function<TProcessResult(std::stop_token)> RegenerateAndUpload;
  // Makes the fetched feed the handled copy. Called only after the update was stored
  // completely, so that a change found while the server is unreachable or busy, or while an
  // upload fails, is tried again by the next step.
  std::function<void()> CommitHandledFeed;
  // Optional. Takes the home folder for the whole step and answers the hold, released when
  // the last copy goes; throws THomeInUse when another run keeps it. Taken per step, not for
  // the whole scan, so that a manual command gets in between two steps.
  std::function<std::shared_ptr<void>(std::stop_token)> HoldHome;
  // Optional. The digest of the inputs of the step (see InputsDigestOf), asked after
  // FeedChanged answered true. A step whose inputs failed from themselves (no page, a feed that
  // cannot be read) is not run again on the same digest.
  std::function<std::string()> InputsDigest;
};

// Time as the scan sees it: its waits and, for the service loop, the tick schedule.
class TScanClock {
 public:
  virtual ~TScanClock() = default;
  virtual std::chrono::steady_clock::time_point Now() = 0;
  // Blocks for the given time, or until a stop is requested through stop.
  virtual void Wait(std::chrono::milliseconds duration, std::stop_token stop = {}) = 0;
};

// The machine's own clock. Safe to share between threads.
class TSteadyScanClock final : public TScanClock {
 public:
  std::chrono::steady_clock::time_point Now() override;
  void Wait(std::chrono::milliseconds duration, std::stop_token stop = {}) override;
};

// Where the scan shows itself: the status label's text, given each time it changes, and
// whether the label is visible (it blinks while the scan waits). Either may be left empty.
// They are called on the thread that ticks or runs the step; a window forwards them to its own
// thread.
struct TScanView {
  std::function<void(const std::string&)> ShowStatus;
  std::function<void(bool)> SetLabelVisible;
};

// The automatic scan. A timer calls Tick every 500 ms while the scan is on; every
// 2 x ScanInterval ticks a step checks the feed and, when it changed and the server is free,
// regenerates the pages and sends the update. Ticks that arrive while a step runs only count,
// and never start a second step.
//
// Two ways to drive it: Tick runs a step that falls due at once, on the ticking thread (the
// service loop); a window instead calls TickClaimingStep on its own thread and, when that
// answers true, runs RunClaimedStep on a worker thread, so that the window keeps painting.
// Ticks, the step and the getters may then run on different threads; the cycle guards its
// state itself. A stop requested through the token given to a step ends its waits at once and
// reaches every operation.
class TScanCycle {
 public:
  static constexpr std::chrono::milliseconds kTickInterval{500};
  // The pause around each status text of a step, so that the operator can read it.
  static constexpr std::chrono::milliseconds kStatusWait{500};

  TScanCycle(TScanOperations operations, TScanClock& clock, TScanView view = {});

  // Seconds between steps; negative values count as 0 (a step on every free tick), values
  // above kMaxScanInterval as that (the tick count runs to twice the interval).
  static constexpr std::int32_t kMaxScanInterval = 0x3FFFFFFF;
  void SetScanInterval(std::int32_t seconds);
  std::int32_t ScanInterval() const;

  // Switches the scan on or off; both restart the tick count. Switching off does not end a
  // running step: its caller requests a stop through the step's token for that.
  void SetAutoScan(bool on);
  bool AutoScanOn() const;

  // One timer tick; a step that falls due runs at once, on this thread, with stop.
  void Tick(std::stop_token stop = {});

  // One timer tick that does not run the step: answers true when a step falls due now, and
  // then has claimed it (the cycle counts as busy), so that the caller runs RunClaimedStep.
  bool TickClaimingStep();

  // Runs one step now, whatever the tick count. Answers nothing when a step is already
  // running. The service's single-step mode and Tick both use it.
  std::optional<TScanOutcome> RunStep(std::stop_token stop = {});

  // Claims a step now, whatever the tick count (a watched feed file has changed), and restarts
  // the count: answers false when a step is already running. The caller then runs
  // RunClaimedStep.
  bool ClaimStep();

  // Runs the step that TickClaimingStep or ClaimStep claimed.
  TScanOutcome RunClaimedStep(std::stop_token stop = {});

  // The service loop: ticks every kTickInterval on the clock while keepRunning answers true
  // (asked before every tick, so a stop request ends the loop after the current step). Ticks
  // that fell due while a step ran are counted afterwards as if they had arrived during it,
  // so steps start on the same schedule as in the window.
  void Run(const std::function<bool()>& keepRunning, std::stop_token stop = {});

  std::int32_t TickCount() const;
  bool ScanBusy() const;
  std::string Status() const;
  bool LabelVisible() const;
  std::optional<TScanOutcome> LastOutcome() const;
  // When the last step was claimed, on the cycle's clock; nothing before the first step.
  std::optional<std::chrono::steady_clock::time_point> LastStepStart() const;

 private:
  std::int32_t TicksPerStep() const { return 2 * scanInterval_; }
  // A tick that finds a step running: it counts, and sets the count back once it is reached.
  // Called with mutex_ held.
  void CountTickDuringStep();
  // Fetch, compare, connect, ask whether the server is free, then generate and send.
  TScanOutcome CheckFeedAndSendChanges(std::stop_token stop);
  // Pauses so that the operator can read a status; a stop ends the pause at once.
  void PauseForStatus(std::stop_token stop);
  void ShowStatus(const std::string& text);
  void SetLabelVisible(bool visible);

  TScanOperations operations_;
  TScanClock& clock_;
  TScanView view_;
  // Guards the fields below; never held while an operation or a view callback runs.
  mutable std::mutex mutex_;
  std::int32_t scanInterval_ = 10;
  bool autoScanOn_ = false;
  bool scanBusy_ = false;
  std::int32_t tickCount_ = 0;
  std::string status_ = kScanIdle;
  bool labelVisible_ = false;
  std::optional<TScanOutcome> lastOutcome_;
  std::optional<std::chrono::steady_clock::time_point> lastStepStart_;
  // The digest of inputs that failed from themselves, and the status that said why. Only the
  // running step touches them, and steps never overlap.
  std::optional<std::string> failedDigest_;
  std::string failedReason_;
};

}  // namespace tavrel
