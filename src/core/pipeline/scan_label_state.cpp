#include "pipeline/scan_label_state.h"

#include <string>

namespace tavrel {

std::string ShortScanStatus(const std::string& status) {
  std::string text = status;
  // The last parenthesised group, when the text ends with it and it is not all there is.
  if (!text.empty() && text.back() == ')') {
    int depth = 0;
    for (std::size_t i = text.size(); i-- > 0;) {
      if (text[i] == ')') ++depth;
      if (text[i] == '(' && --depth == 0) {
        if (i > 0 && text[i - 1] == ' ') text.erase(i - 1);
        break;
      }
    }
  }
  // What happened, and why: the first and the last part.
  const std::size_t firstEnd = text.find(": ");
  const std::size_t lastStart = text.rfind(": ");
  if (firstEnd != std::string::npos && lastStart != firstEnd) {
    text = text.substr(0, firstEnd) + text.substr(lastStart);
  }
  std::string shortened;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(start, end - start);
    if (word.size() > 1 && word.front() == '/') {
      // The name after the last separator that has a name after it.
      std::size_t trimmed = word.size();
      while (trimmed > 1 && word[trimmed - 1] == '/') --trimmed;
      const std::size_t slash = word.rfind('/', trimmed - 1);
      if (slash != std::string::npos && slash + 1 < trimmed) word.erase(0, slash + 1);
    }
    if (start > 0) shortened += ' ';
    shortened += word;
    start = end + 1;
  }
  return shortened;
}

TScanStepVerdict ScanStepVerdict(TScanOutcome outcome) {
  // What each way a step ends means for the held failure. A switch without a default, so that
  // the compiler (-Wswitch, an error in our own builds) names an outcome added without its
  // verdict.
  switch (outcome) {
    case TScanOutcome::NoChanges:
    case TScanOutcome::Uploaded:
      return TScanStepVerdict::Succeeded;
    case TScanOutcome::ConnectionFailed:
    case TScanOutcome::UploadFailed:
    case TScanOutcome::Failed:
    case TScanOutcome::HomeInUse:
    case TScanOutcome::NothingToSend:
    case TScanOutcome::WaitingForChange:
      return TScanStepVerdict::Failed;
    case TScanOutcome::ServerBusy:
    case TScanOutcome::Cancelled:
      return TScanStepVerdict::Neither;
  }
  return TScanStepVerdict::Neither;  // not an enumerator: a value cast from outside the enum
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
