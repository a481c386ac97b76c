#pragma once

#include <string>

#include "pipeline/scan_cycle.h"

namespace tavrel {

// What the window's scan label shows. During a step it follows the step's statuses; between
// steps it shows "Idle" and blinks, except after a failed step: an operator who glances at the
// window must see the failure, so it stays, steady, until a step succeeds (finds no changes or
// sends an update). A busy server or a cancelled step neither sets nor clears it.
class TScanLabelState {
 public:
  // A status of the cycle, in the order the cycle shows them.
  void StatusShown(const std::string& status);
  void StepStarted();
  void StepFinished(TScanOutcome outcome);

  // The text the label shows now.
  const std::string& Text() const;
  // A failure is held: the label stays visible instead of blinking.
  bool HoldsFailure() const { return !failure_.empty() && !stepRunning_; }

 private:
  bool stepRunning_ = false;
  std::string status_ = kScanIdle;  // the cycle's own last status
  std::string stepStatus_;          // the last status of the running step but "Idle"
  std::string failure_;             // the status of the last failed step, until a success
};

// The short form of a status for the label, whose whole text the tooltip and the scan log
// keep: what happened and why, the parts between (which file, which server) left out, so that
// the operator's words come into view. "Upload failed: update.zip not stored on 10.0.0.5: the
// server closed the connection during the upload (response reading failed (errno: 115))"
// becomes "Upload failed: the server closed the connection during the upload": the first and
// the last of the parts separated by ": ", without the technical detail in parentheses at the
// end. A folder path left in it is cut to its last name.
std::string ShortScanStatus(const std::string& status);

// Whether a step that ended so counts as failed (held on the label), succeeded (clears it), or
// neither.
enum class TScanStepVerdict { Failed, Succeeded, Neither };
TScanStepVerdict ScanStepVerdict(TScanOutcome outcome);

}  // namespace tavrel
