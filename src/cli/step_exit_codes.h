#pragma once

#include "pipeline/scan_cycle.h"

namespace tavrel::cli {

// Exit codes of the commands that take a feed to the server (upload, scan --once), the same
// for both, so that a script or a service manager tells what happened without reading text.
inline constexpr int kExitUploaded = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoChanges = 3;
inline constexpr int kExitConnectionFailed = 4;
inline constexpr int kExitServerBusy = 5;
inline constexpr int kExitUploadFailed = 6;
inline constexpr int kExitNothingGenerated = 7;
// Another Tavrel (the scan service, a manual command) kept the home folder for the whole wait.
inline constexpr int kExitHomeInUse = 8;

// The exit code of a single step for each way it can end. A switch without a default, so that
// the compiler (-Wswitch, an error in our own builds) names an outcome added without its code.
constexpr int ExitCodeOf(TScanOutcome outcome) {
  switch (outcome) {
    case TScanOutcome::Uploaded:
      return kExitUploaded;
    case TScanOutcome::Failed:
    // The inputs are those a step already failed on: the same error as that step's.
    case TScanOutcome::WaitingForChange:
      return kExitError;
    case TScanOutcome::NoChanges:
      return kExitNoChanges;
    case TScanOutcome::ConnectionFailed:
      return kExitConnectionFailed;
    case TScanOutcome::ServerBusy:
      return kExitServerBusy;
    // A stop during the step broke the upload off, as a stopped `upload` reports it.
    case TScanOutcome::UploadFailed:
    case TScanOutcome::Cancelled:
      return kExitUploadFailed;
    case TScanOutcome::NothingToSend:
      return kExitNothingGenerated;
    case TScanOutcome::HomeInUse:
      return kExitHomeInUse;
  }
  return kExitError;  // not an enumerator: a value cast from outside the enum
}

}  // namespace tavrel::cli
