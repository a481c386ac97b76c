#pragma once

#include <array>
#include <string>

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

struct TStepExitCode {
  TScanOutcome Outcome;
  int Code;
};

// Maps each way a scan step can end to the exit code of a single step.
inline constexpr std::array<TStepExitCode, 8> kStepExitCodes = {{
    {TScanOutcome::Uploaded, kExitUploaded},
    {TScanOutcome::Failed, kExitError},
    {TScanOutcome::NoChanges, kExitNoChanges},
    {TScanOutcome::ConnectionFailed, kExitConnectionFailed},
    {TScanOutcome::ServerBusy, kExitServerBusy},
    {TScanOutcome::UploadFailed, kExitUploadFailed},
    {TScanOutcome::NothingToSend, kExitNothingGenerated},
    {TScanOutcome::HomeInUse, kExitHomeInUse},
}};

constexpr int ExitCodeOf(TScanOutcome outcome) {
  for (const TStepExitCode& entry : kStepExitCodes) {
    if (entry.Outcome == outcome) return entry.Code;
  }
  return kExitError;
}

}  // namespace tavrel::cli
