#include "pipeline/scan_cycle.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <utility>

namespace tavrel {

std::chrono::steady_clock::time_point TSteadyScanClock::Now() {
  return std::chrono::steady_clock::now();
}

void TSteadyScanClock::Wait(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

TScanCycle::TScanCycle(TScanOperations operations, TScanClock& clock, TScanView view)
    : operations_(std::move(operations)), clock_(clock), view_(std::move(view)) {}

void TScanCycle::SetScanInterval(std::int32_t seconds) {
  scanInterval_ = std::clamp(seconds, std::int32_t{0}, kMaxScanInterval);
}

void TScanCycle::SetAutoScan(bool on) {
  autoScanOn_ = on;
  tickCount_ = 0;
  SetLabelVisible(on);
}

void TScanCycle::CountTickDuringStep() {
  if (tickCount_ < TicksPerStep()) {
    ++tickCount_;
  } else {
    tickCount_ = 0;
  }
}

void TScanCycle::Tick() {
  if (!autoScanOn_) return;
  if (scanBusy_) {
    // The label keeps showing the step's own status: "Idle" here would tell the operator the
    // scan rests while it is in fact processing.
    CountTickDuringStep();
    return;
  }
  if (tickCount_ < TicksPerStep()) {
    ++tickCount_;
    ShowStatus(kScanIdle);
    SetLabelVisible(!labelVisible_);
    return;
  }
  tickCount_ = 0;
  RunStep();
}

std::optional<TScanOutcome> TScanCycle::RunStep() {
  if (scanBusy_) return std::nullopt;
  SetLabelVisible(true);
  scanBusy_ = true;
  // Cleared on every way out, so that one failed step never stops the scan for good.
  struct BusyReset {
    bool& busy;
    ~BusyReset() { busy = false; }
  } busyReset{scanBusy_};

  TScanOutcome outcome = TScanOutcome::Failed;
  try {
    outcome = StepRoad();
  } catch (const std::exception& error) {
    ShowStatus(std::string(kScanErrorPrefix) + error.what());
    clock_.Wait(kStatusWait);
  } catch (...) {
    ShowStatus(std::string(kScanErrorPrefix) + "unknown failure");
    clock_.Wait(kStatusWait);
  }
  ShowStatus(kScanIdle);
  lastOutcome_ = outcome;
  return outcome;
}

TScanOutcome TScanCycle::StepRoad() {
  ShowStatus(kScanChecking);
  if (!operations_.FeedChanged()) {
    clock_.Wait(kStatusWait);
    ShowStatus(kScanNoChanges);
    clock_.Wait(kStatusWait);
    return TScanOutcome::NoChanges;
  }
  if (!operations_.TestServerConnection()) {
    clock_.Wait(kStatusWait);
    ShowStatus(kScanConnectionFailed);
    clock_.Wait(kStatusWait);
    return TScanOutcome::ConnectionFailed;
  }
  if (!operations_.ServerIsFree()) {
    clock_.Wait(kStatusWait);
    ShowStatus(kScanServerBusy);
    clock_.Wait(kStatusWait);
    return TScanOutcome::ServerBusy;
  }
  clock_.Wait(kStatusWait);
  ShowStatus(kScanProcessing);
  const TProcessResult result = operations_.RegenerateAndUpload();
  switch (result.Outcome) {
    case TProcessOutcome::Uploaded:
      operations_.CommitHandledFeed();
      return TScanOutcome::Uploaded;
    case TProcessOutcome::NothingToSend:
      // The feed stays unhandled: once the operator fixes what made it give no page (a
      // category table, a template), the next step generates it without waiting for a change.
      ShowStatus(kScanNothingGenerated);
      clock_.Wait(kStatusWait);
      return TScanOutcome::NothingToSend;
    case TProcessOutcome::UploadFailed:
      ShowStatus(result.Detail.empty() ? std::string(kScanUploadFailed)
                                       : std::string(kScanUploadFailed) + ": " + result.Detail);
      clock_.Wait(kStatusWait);
      return TScanOutcome::UploadFailed;
  }
  return TScanOutcome::Failed;
}

void TScanCycle::Run(const std::function<bool()>& keepRunning) {
  auto next = clock_.Now() + kTickInterval;
  while (keepRunning()) {
    const auto now = clock_.Now();
    if (next > now) {
      clock_.Wait(std::chrono::ceil<std::chrono::milliseconds>(next - now));
      continue;  // ask keepRunning again before the tick
    }
    Tick();
    next += kTickInterval;
    while (clock_.Now() > next) {
      CountTickDuringStep();
      next += kTickInterval;
    }
  }
}

void TScanCycle::ShowStatus(const std::string& text) {
  // Only changes reach the view: a service that prints each status once per change would
  // otherwise print "Idle" twice a second.
  if (text == status_) return;
  status_ = text;
  if (view_.ShowStatus) view_.ShowStatus(text);
}

void TScanCycle::SetLabelVisible(bool visible) {
  labelVisible_ = visible;
  if (view_.SetLabelVisible) view_.SetLabelVisible(visible);
}

}  // namespace tavrel
