#include "pipeline/scan_cycle.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <utility>

#include "support/home_lock.h"
#include "support/text_encoding.h"

namespace tavrel {

std::chrono::steady_clock::time_point TSteadyScanClock::Now() {
  return std::chrono::steady_clock::now();
}

void TSteadyScanClock::Wait(std::chrono::milliseconds duration, std::stop_token stop) {
  // A condition variable that nobody notifies: the wait ends when the time is up or, through
  // the stop token's own callback, as soon as a stop is requested.
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  wake.wait_for(lock, stop, duration, [] { return false; });
}

TScanCycle::TScanCycle(TScanOperations operations, TScanClock& clock, TScanView view)
    : operations_(std::move(operations)), clock_(clock), view_(std::move(view)) {}

void TScanCycle::SetScanInterval(std::int32_t seconds) {
  const std::lock_guard lock(mutex_);
  scanInterval_ = std::clamp(seconds, std::int32_t{0}, kMaxScanInterval);
}

std::int32_t TScanCycle::ScanInterval() const {
  const std::lock_guard lock(mutex_);
  return scanInterval_;
}

void TScanCycle::SetAutoScan(bool on) {
  {
    const std::lock_guard lock(mutex_);
    autoScanOn_ = on;
    tickCount_ = 0;
  }
  SetLabelVisible(on);
}

bool TScanCycle::AutoScanOn() const {
  const std::lock_guard lock(mutex_);
  return autoScanOn_;
}

std::int32_t TScanCycle::TickCount() const {
  const std::lock_guard lock(mutex_);
  return tickCount_;
}

bool TScanCycle::ScanBusy() const {
  const std::lock_guard lock(mutex_);
  return scanBusy_;
}

std::string TScanCycle::Status() const {
  const std::lock_guard lock(mutex_);
  return status_;
}

bool TScanCycle::LabelVisible() const {
  const std::lock_guard lock(mutex_);
  return labelVisible_;
}

std::optional<TScanOutcome> TScanCycle::LastOutcome() const {
  const std::lock_guard lock(mutex_);
  return lastOutcome_;
}

std::optional<std::chrono::steady_clock::time_point> TScanCycle::LastStepStart() const {
  const std::lock_guard lock(mutex_);
  return lastStepStart_;
}

void TScanCycle::CountTickDuringStep() {
  if (tickCount_ < TicksPerStep()) {
    ++tickCount_;
  } else {
    tickCount_ = 0;
  }
}

bool TScanCycle::TickClaimingStep() {
  bool blink = false;
  {
    const std::lock_guard lock(mutex_);
    if (!autoScanOn_) return false;
    if (scanBusy_) {
      // The label keeps showing the step's own status: "Idle" here would tell the operator the
      // scan rests while it is in fact processing.
      CountTickDuringStep();
      return false;
    }
    if (tickCount_ >= TicksPerStep()) {
      tickCount_ = 0;
      scanBusy_ = true;
      lastStepStart_ = clock_.Now();
      return true;
    }
    ++tickCount_;
    blink = !labelVisible_;
  }
  ShowStatus(kScanIdle);
  SetLabelVisible(blink);
  return false;
}

void TScanCycle::Tick(std::stop_token stop) {
  if (TickClaimingStep()) RunClaimedStep(stop);
}

bool TScanCycle::ClaimStep() {
  const std::lock_guard lock(mutex_);
  if (scanBusy_) return false;
  scanBusy_ = true;
  lastStepStart_ = clock_.Now();
  // The timer's next step comes a whole interval after this one, as after a timed step.
  tickCount_ = 0;
  return true;
}

std::optional<TScanOutcome> TScanCycle::RunStep(std::stop_token stop) {
  {
    const std::lock_guard lock(mutex_);
    if (scanBusy_) return std::nullopt;
    scanBusy_ = true;
    lastStepStart_ = clock_.Now();
  }
  return RunClaimedStep(stop);
}

TScanOutcome TScanCycle::RunClaimedStep(std::stop_token stop) {
  SetLabelVisible(true);
  TScanOutcome outcome = TScanOutcome::Failed;
  try {
    outcome = CheckFeedAndSendChanges(stop);
  } catch (const std::exception& error) {
    // Statuses are the program's text; the message names files in UTF-8.
    ShowStatus(std::string(kScanErrorPrefix) + MessageAsWindows1252Text(error.what()));
    PauseForStatus(stop);
  } catch (...) {
    ShowStatus(std::string(kScanErrorPrefix) + "unknown failure");
    PauseForStatus(stop);
  }
  ShowStatus(kScanIdle);
  // Cleared on every way out, so that one failed step never stops the scan for good.
  const std::lock_guard lock(mutex_);
  scanBusy_ = false;
  lastOutcome_ = outcome;
  return outcome;
}

void TScanCycle::PauseForStatus(std::stop_token stop) {
  if (!stop.stop_requested()) clock_.Wait(kStatusWait, stop);
}

TScanOutcome TScanCycle::CheckFeedAndSendChanges(std::stop_token stop) {
  // Ends the step where it stands once a stop was requested: nothing more is sent, and the
  // feed stays unhandled so that a later step sends it.
  const auto cancelled = [&stop, this] {
    if (!stop.stop_requested()) return false;
    ShowStatus(kScanCancelled);
    return true;
  };
  // Held from the fetch to the commit: a manual command must not empty Export/ under the
  // upload. The pauses that only let the operator read a status do without it, so that a
  // command waiting for the home gets in even between the steps of a scan every half second.
  std::shared_ptr<void> home;
  if (operations_.HoldHome) {
    try {
      home = operations_.HoldHome(stop);
    } catch (const THomeInUse& busy) {
      if (cancelled()) return TScanOutcome::Cancelled;
      ShowStatus(MessageAsWindows1252Text(busy.what()));
      PauseForStatus(stop);
      return TScanOutcome::HomeInUse;
    }
  }
  ShowStatus(kScanChecking);
  const bool changed = operations_.FeedChanged(stop);
  if (cancelled()) return TScanOutcome::Cancelled;
  if (!changed) {
    home.reset();
    PauseForStatus(stop);
    ShowStatus(kScanNoChanges);
    PauseForStatus(stop);
    return TScanOutcome::NoChanges;
  }
  const std::string digest = operations_.InputsDigest ? operations_.InputsDigest() : "";
  if (!digest.empty() && failedDigest_ == digest) {
    home.reset();
    PauseForStatus(stop);
    ShowStatus(kScanWaitingForChange + failedReason_);
    PauseForStatus(stop);
    return TScanOutcome::WaitingForChange;
  }
  // Failures from the inputs themselves are remembered with their digest; any other ending
  // forgets, so that a transient failure never holds back the next step.
  const auto failedOnInputs = [&](std::string reason) {
    if (digest.empty()) return;
    failedDigest_ = digest;
    failedReason_ = std::move(reason);
  };
  failedDigest_.reset();
  std::string connectionFailure;
  const bool connected = operations_.TestServerConnection(stop, connectionFailure);
  if (cancelled()) return TScanOutcome::Cancelled;
  if (!connected) {
    home.reset();
    PauseForStatus(stop);
    // The reason goes with the status, as for a failed upload: an untrusted certificate or a
    // refused login is for the operator to mend, and the label's tooltip and the log keep it.
    ShowStatus(connectionFailure.empty()
                   ? std::string(kScanConnectionFailed)
                   : std::string(kScanConnectionFailed) + ": " + connectionFailure);
    PauseForStatus(stop);
    return TScanOutcome::ConnectionFailed;
  }
  const bool free = operations_.ServerIsFree(stop);
  if (cancelled()) return TScanOutcome::Cancelled;
  if (!free) {
    home.reset();
    PauseForStatus(stop);
    ShowStatus(kScanServerBusy);
    PauseForStatus(stop);
    return TScanOutcome::ServerBusy;
  }
  PauseForStatus(stop);
  if (cancelled()) return TScanOutcome::Cancelled;
  ShowStatus(kScanProcessing);
  const TProcessResult result = operations_.RegenerateAndUpload(stop);
  if (result.Outcome == TProcessOutcome::Uploaded) operations_.CommitHandledFeed();
  home.reset();
  switch (result.Outcome) {
    case TProcessOutcome::Uploaded:
      return TScanOutcome::Uploaded;
    case TProcessOutcome::NothingToSend:
      // The feed stays unhandled, and these inputs are not tried again: once the operator
      // fixes what made them give no page (a category table, a template), their digest
      // changes and the next step generates them.
      ShowStatus(kScanNothingGenerated);
      failedOnInputs(kScanNothingGenerated);
      PauseForStatus(stop);
      return TScanOutcome::NothingToSend;
    case TProcessOutcome::InputsUnusable:
      ShowStatus(kScanErrorPrefix + result.Detail);
      failedOnInputs(result.Detail);
      PauseForStatus(stop);
      return TScanOutcome::Failed;
    case TProcessOutcome::UploadFailed:
      ShowStatus(result.Detail.empty() ? std::string(kScanUploadFailed)
                                       : std::string(kScanUploadFailed) + ": " + result.Detail);
      PauseForStatus(stop);
      return TScanOutcome::UploadFailed;
    case TProcessOutcome::Cancelled:
      ShowStatus(kScanCancelled);
      return TScanOutcome::Cancelled;
  }
  return TScanOutcome::Failed;
}

void TScanCycle::Run(const std::function<bool()>& keepRunning, std::stop_token stop) {
  auto next = clock_.Now() + kTickInterval;
  while (keepRunning() && !stop.stop_requested()) {
    const auto now = clock_.Now();
    if (next > now) {
      clock_.Wait(std::chrono::ceil<std::chrono::milliseconds>(next - now), stop);
      continue;  // ask keepRunning again before the tick
    }
    Tick(stop);
    next += kTickInterval;
    const std::lock_guard lock(mutex_);
    while (clock_.Now() > next) {
      CountTickDuringStep();
      next += kTickInterval;
    }
  }
}

void TScanCycle::ShowStatus(const std::string& text) {
  {
    // Only changes reach the view: a service that prints each status once per change would
    // otherwise print "Idle" twice a second.
    const std::lock_guard lock(mutex_);
    if (text == status_) return;
    status_ = text;
  }
  if (view_.ShowStatus) view_.ShowStatus(text);
}

void TScanCycle::SetLabelVisible(bool visible) {
  {
    const std::lock_guard lock(mutex_);
    labelVisible_ = visible;
  }
  if (view_.SetLabelVisible) view_.SetLabelVisible(visible);
}

}  // namespace tavrel
