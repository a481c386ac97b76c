#pragma once

#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "pipeline/feed_pipeline.h"
#include "pipeline/page_generator.h"
#include "pipeline/scan_cycle.h"
#include "transfer/feed_fetch.h"

namespace tavrel {

class TRIGlobals;
class TFileProgressView;
class TPTextToPrestelPageForm;

// The operator's commands as the window, the command line and the automatic scan all run
// them: Preview (fetch, check, generate), Upload (fetch, check, test the server, generate,
// send) and the scan step's operations. Each answers a result value and shows nothing itself,
// so that a window can run them on a worker thread and show the result on its own.

// Operator messages, shown exactly as written.
inline constexpr const char* kFeedNotFoundMessage = "XML File not found";
inline constexpr const char* kConnectionFailedMessage = "Connection to Varnex failed.";
inline constexpr const char* kServerBusyMessage = "Varnex is busy.";

enum class TWorkflowOutcome {
  Generated,         // Preview: the pages are in ExportDir; nothing was sent
  Uploaded,          // Upload: archive and semaphore stored; the feed is now the handled copy
  FeedNotFound,      // the feed could not be fetched ("XML File not found"); Detail says why
  SchemaMismatch,    // Preview: the feed lacks configured elements (Check.SchemaLines)
  CategoryProblems,  // Preview: the category check found problems; nothing was generated
  ConnectionFailed,  // Upload: no connection or login ("Connection to Varnex failed.")
  ServerBusy,        // Upload: the server has not taken the last update ("Varnex is busy.")
  NothingGenerated,  // the feed gave no page: nothing is shown and nothing was sent
  UploadFailed,      // pages generated, but the update was not stored completely (Detail)
  Cancelled,         // a stop was requested; no semaphore was sent
  Failed,            // a feed, template or file error; Detail names the file
  HomeInUse,         // another run holds the home folder; Detail says which process
};

struct TWorkflowResult {
  TWorkflowOutcome Outcome = TWorkflowOutcome::Failed;
  // Why the command failed, in the words of the part that failed; may be empty.
  std::string Detail;
  // What the feed check found (schema lines, category lines, page numbers out of range).
  TFeedCheckResult Check;
  // What the generation made and skipped, one line each (empty when nothing was generated).
  std::vector<std::string> SummaryLines;
  // The messages the generation could not lay out as they are (TGenerationSummary::LayoutLines).
  std::vector<std::string> LayoutLines;
  // The "Control.dat" section of the first generated page ("100.0000"), empty when none.
  std::string FirstPageSection;
  // Upload: the pages went, or were to go, to a page folder rather than to the server.
  bool ToPageFolder = false;

  // The operator's message for the outcome: one of the texts above, the check's lines, or the
  // detail of a failure. Empty for Generated and Uploaded.
  std::string Message() const;
  bool Succeeded() const {
    return Outcome == TWorkflowOutcome::Generated || Outcome == TWorkflowOutcome::Uploaded;
  }
};

// What the caller of a workflow sees and may do while it runs. The callbacks are called on the
// thread that runs the workflow; a window forwards them to its own thread. Stop may be
// requested from any thread: the workflow ends at the next operation, a running download or
// upload within about a second, and never sends a semaphore after it.
struct TWorkflowHooks {
  std::stop_token Stop;
  // What the workflow is doing now ("Fetching the feed", "Generating pages", ...).
  std::function<void(const std::string&)> OnStatus;
  // Bytes of the feed download so far and the announced total (0 when unknown).
  std::function<void(std::int64_t received, std::int64_t total)> OnFetchProgress;
  // After each page file written.
  TPageWrittenCallback OnPageWritten;
  // Shows the archive upload; not owned; may be null.
  TFileProgressView* ProgressView = nullptr;
};

// The lines the window's "Errors" list shows when a run has ended, empty when there is nothing
// to show. A preview stopped by the category check shows the check's lines; a preview that made
// pages shows what it could not lay out. An upload shows both: the check's findings do not stop
// it. What the schema check found is not among them: it is shown in a message box.
std::vector<std::string> ErrorListLines(const TWorkflowResult& result, bool upload);

// What regenerating ExportDir made.
struct TRegeneration {
  // Whether "Control.dat" names at least one page, i.e. whether there is anything to send.
  bool AnyPage = false;
  std::vector<std::string> SummaryLines;
  std::vector<std::string> LayoutLines;
  std::string FirstPageSection;
};

// Empties ExportDir, generates the pages of the fetched feed and "Control.dat" into it, and
// reads the control file back. Throws Error naming the file on a feed, template or file error.
TRegeneration RegenerateExport(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                               const TWorkflowHooks& hooks = {});

// Both take the home folder (THomeLock) for their whole run and end as HomeInUse when another
// run keeps it for longer than kHomeLockWait.

// Preview: fetch the feed; check it against the element names and the category table (any
// finding stops the preview); regenerate ExportDir. Never throws.
TWorkflowResult RunPreview(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                           const TWorkflowHooks& hooks = {});

// Upload: fetch the feed; check it (the findings are reported but do not stop the upload, so
// that an undefined category does not hold back the pages of the defined ones); test the
// connection; ask whether the server is free; regenerate ExportDir; send the update; make the
// feed the handled copy and record the digest of its inputs (InputsDigestOf). Never throws.
TWorkflowResult RunUpload(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                          const TWorkflowHooks& hooks = {});

// The automatic scan's operations over the settings. The settings are read at every step, so
// changes made between steps count. regenerate empties ExportDir and generates the pages of the
// fetched feed (the window also shows the first page); it answers whether any page was
// generated and throws tavrel::Error on a feed or file error. hooks.ProgressView shows the
// archive upload; hooks.Stop is not used: each step passes its own stop token. Each step holds
// the home folder; a feed counts as changed when the digest of the inputs differs from that of
// the last complete upload (when none was recorded yet, when the feed differs from the handled
// copy), and a feed that cannot be read is reported as InputsUnusable.
TScanOperations MakeScanOperations(const TRIGlobals& settings, std::function<bool()> regenerate,
                                   TWorkflowHooks hooks = {});

}  // namespace tavrel
