#include "pipeline/scan_label_state.h"

#include <array>
#include <utility>

namespace tavrel {

namespace {

// Maps each way a step ends to what it means for the held failure.
constexpr std::array<std::pair<TScanOutcome, TScanStepVerdict>, 10> kVerdicts = {{
    {TScanOutcome::NoChanges, TScanStepVerdict::Succeeded},
    {TScanOutcome::Uploaded, TScanStepVerdict::Succeeded},
    {TScanOutcome::ConnectionFailed, TScanStepVerdict::Failed},
    {TScanOutcome::UploadFailed, TScanStepVerdict::Failed},
    {TScanOutcome::Failed, TScanStepVerdict::Failed},
    {TScanOutcome::HomeInUse, TScanStepVerdict::Failed},
    {TScanOutcome::NothingToSend, TScanStepVerdict::Failed},
    {TScanOutcome::WaitingForChange, TScanStepVerdict::Failed},
    {TScanOutcome::ServerBusy, TScanStepVerdict::Neither},
    {TScanOutcome::Cancelled, TScanStepVerdict::Neither},
}};

}  // namespace

TScanStepVerdict ScanStepVerdict(TScanOutcome outcome) {
  for (const auto& [known, verdict] : kVerdicts) {
    if (known == outcome) return verdict;
  }
  return TScanStepVerdict::Neither;
}

void TScanLabelState::StatusShown(const std::string& status) {
  status_ = status;
  // The step's own "Idle" at its end is not shown: the step's verdict decides what follows.
  if (stepRunning_ && status != kScanIdle) stepStatus_ = status;
}

void TScanLabelState::StepStarted() {
  stepRunning_ = true;
  stepStatus_.clear();
}

void TScanLabelState::StepFinished(TScanOutcome outcome) {
  stepRunning_ = false;
  switch (ScanStepVerdict(outcome)) {
    case TScanStepVerdict::Failed:
      if (!stepStatus_.empty()) failure_ = stepStatus_;
      break;
    case TScanStepVerdict::Succeeded:
      failure_.clear();
      break;
    case TScanStepVerdict::Neither:
      break;
  }
}

const std::string& TScanLabelState::Text() const {
  if (stepRunning_ && !stepStatus_.empty()) return stepStatus_;
  return failure_.empty() ? status_ : failure_;
}

}  // namespace tavrel
