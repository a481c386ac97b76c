#include "pipeline/operator_workflows.h"

#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "pipeline/control_file_reader.h"
#include "pipeline/input_digest.h"
#include "pipeline/settings_store.h"
#include "pipeline/transmission_target.h"
#include "render/text_layout.h"
#include "support/error.h"
#include "support/home_lock.h"
#include "support/text_encoding.h"
#include "transfer/update_upload.h"

namespace tavrel {

namespace {

void Report(const TWorkflowHooks& hooks, const std::string& status) {
  if (hooks.OnStatus) hooks.OnStatus(status);
}

TFetchControl FetchControlOf(const TWorkflowHooks& hooks, std::stop_token stop) {
  return TFetchControl{std::move(stop), hooks.OnFetchProgress};
}

TWorkflowResult Ended(TWorkflowOutcome outcome, std::string detail = {}) {
  TWorkflowResult result;
  result.Outcome = outcome;
  result.Detail = std::move(detail);
  return result;
}

// Fetches the feed into ImportDir; fills result and answers false when it cannot be fetched.
bool FetchFeed(const TRIGlobals& settings, const TWorkflowHooks& hooks, TWorkflowResult& result) {
  Report(hooks, "Fetching the feed");
  std::string failure;
  if (GetXmlFile(FeedLocationOf(settings), &failure, FetchControlOf(hooks, hooks.Stop))) {
    return true;
  }
  result = Ended(
      hooks.Stop.stop_requested() ? TWorkflowOutcome::Cancelled : TWorkflowOutcome::FeedNotFound,
      failure);
  return false;
}

// Runs a workflow's road on a fresh result; a feed, template or file error on the way ends it
// as Failed, with the error's message.
template <typename Road>
TWorkflowResult Guarded(const TRIGlobals& settings, const TWorkflowHooks& hooks, Road road) {
  TWorkflowResult result;
  try {
    const THomeLock home(settings.ProgramDir, kHomeLockWait, hooks.Stop);
    road(result);
  } catch (const THomeInUse& busy) {
    result.Outcome =
        hooks.Stop.stop_requested() ? TWorkflowOutcome::Cancelled : TWorkflowOutcome::HomeInUse;
    result.Detail = MessageAsWindows1252Text(busy.what());
  } catch (const std::exception& error) {
    result.Outcome = TWorkflowOutcome::Failed;
    // The program's text, which the window and the commands convert for showing.
    result.Detail = MessageAsWindows1252Text(error.what());
  }
  return result;
}

// Fetches the feed and checks it into result.Check; answers false, with result filled, when
// the feed cannot be fetched.
bool FetchAndCheck(const TRIGlobals& settings, const TWorkflowHooks& hooks,
                   TWorkflowResult& result) {
  if (!FetchFeed(settings, hooks, result)) return false;
  Report(hooks, "Checking the feed");
  result.Check = CheckFeed(settings);
  return true;
}

// Regenerates ExportDir into result; answers whether there is a page to show or send.
bool Regenerate(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                const TWorkflowHooks& hooks, TWorkflowResult& result) {
  TRegeneration made = RegenerateExport(settings, formatter, hooks);
  result.SummaryLines = std::move(made.SummaryLines);
  result.LayoutLines = std::move(made.LayoutLines);
  result.FirstPageSection = std::move(made.FirstPageSection);
  if (!made.AnyPage) result.Outcome = TWorkflowOutcome::NothingGenerated;
  return made.AnyPage;
}

}  // namespace

std::string TWorkflowResult::Message() const {
  const auto joined = [](const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
  };
  switch (Outcome) {
    case TWorkflowOutcome::Generated:
    case TWorkflowOutcome::Uploaded:
      return "";
    case TWorkflowOutcome::FeedNotFound:
      return kFeedNotFoundMessage;
    case TWorkflowOutcome::SchemaMismatch:
      return joined(Check.SchemaLines);
    case TWorkflowOutcome::CategoryProblems:
      return joined(Check.Lines());
    case TWorkflowOutcome::ConnectionFailed:
      // A page folder has no login to fail: its own problem says what to mend.
      return ToPageFolder ? std::string(kScanConnectionFailed) + ": " + Detail
                          : kConnectionFailedMessage;
    case TWorkflowOutcome::ServerBusy:
      return kServerBusyMessage;
    case TWorkflowOutcome::NothingGenerated:
      return "No pages generated";
    case TWorkflowOutcome::UploadFailed:
      return Detail.empty() ? "Upload failed" : "Upload failed: " + Detail;
    case TWorkflowOutcome::Cancelled:
      return "Cancelled";
    case TWorkflowOutcome::Failed:
    case TWorkflowOutcome::HomeInUse:
      return Detail;
  }
  return Detail;
}

std::vector<std::string> ErrorListLines(const TWorkflowResult& result, bool upload) {
  std::vector<std::string> lines;
  const bool checkShown = result.Check.SchemaLines.empty() &&
                          (upload ? result.Outcome != TWorkflowOutcome::FeedNotFound
                                  : result.Outcome == TWorkflowOutcome::CategoryProblems);
  if (checkShown) lines = result.Check.Lines();
  lines.insert(lines.end(), result.LayoutLines.begin(), result.LayoutLines.end());
  return lines;
}

TRegeneration RegenerateExport(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                               const TWorkflowHooks& hooks) {
  Report(hooks, "Generating pages");
  formatter.SetFormatCorrection(settings.FormatCorrection);
  const TGenerationSummary summary =
      GenerateFromFeed(settings, formatter, ImportedFeedPath(settings), hooks.OnPageWritten);
  TRegeneration made;
  made.SummaryLines = summary.Lines(settings.ExportDir);
  made.LayoutLines = summary.LayoutLines;
  // Only a control file that names a page makes an update worth showing or sending.
  const TPTxtControlFile control(settings.ExportDir + "Control.dat");
  const std::vector<std::string> sections = control.PageSections();
  made.AnyPage = !sections.empty();
  if (made.AnyPage) made.FirstPageSection = sections.front();
  return made;
}

TWorkflowResult RunPreview(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                           const TWorkflowHooks& hooks) {
  return Guarded(settings, hooks, [&](TWorkflowResult& result) {
    if (!FetchAndCheck(settings, hooks, result)) return;
    if (!result.Check.SchemaLines.empty()) {
      result.Outcome = TWorkflowOutcome::SchemaMismatch;
    } else if (!result.Check.Passed()) {
      result.Outcome = TWorkflowOutcome::CategoryProblems;
    } else if (hooks.Stop.stop_requested()) {
      result.Outcome = TWorkflowOutcome::Cancelled;
    } else if (Regenerate(settings, formatter, hooks, result)) {
      result.Outcome = TWorkflowOutcome::Generated;
    }
  });
}

TWorkflowResult RunUpload(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                          const TWorkflowHooks& hooks) {
  return Guarded(settings, hooks, [&](TWorkflowResult& result) {
    if (!FetchAndCheck(settings, hooks, result)) return;
    // Taken before the pages are generated: a template edited during the upload then makes
    // the next step send again, and is never lost.
    const std::string digest = InputsDigestOf(settings);
    // The findings are reported, but do not stop the upload.
    if (hooks.Stop.stop_requested()) {
      result.Outcome = TWorkflowOutcome::Cancelled;
      return;
    }
    result.ToPageFolder = PublishesToFolder(settings);
    Report(hooks, result.ToPageFolder ? "Checking the page folder" : "Connecting to the server");
    std::string failure;
    // A page folder's texts name it in the file system's UTF-8; results hold program text.
    const auto programText = [&result](const std::string& text) {
      return result.ToPageFolder ? MessageAsWindows1252Text(text) : text;
    };
    if (!TestTargetConnection(settings, &failure)) {
      result.Outcome = TWorkflowOutcome::ConnectionFailed;
      result.Detail = programText(failure);
      return;
    }
    if (!TargetIsFree(settings)) {
      result.Outcome = TWorkflowOutcome::ServerBusy;
      return;
    }
    if (hooks.Stop.stop_requested()) {
      result.Outcome = TWorkflowOutcome::Cancelled;
      return;
    }

    if (!Regenerate(settings, formatter, hooks, result)) return;
    Report(hooks, "Sending the update");
    if (!PublishUpdate(settings, hooks.ProgressView, &failure, hooks.Stop)) {
      result.Outcome = hooks.Stop.stop_requested() ? TWorkflowOutcome::Cancelled
                                                   : TWorkflowOutcome::UploadFailed;
      result.Detail = programText(failure);
      return;
    }
    // Only now: a feed whose update did not arrive stays unhandled, so the scan sends it later.
    CommitSentUpdate(settings);
    CommitInputsDigest(settings, digest);
    result.Outcome = TWorkflowOutcome::Uploaded;
  });
}

namespace {

// Whether the fetched feed can be read as configured: a step whose regeneration failed on a
// feed that cannot be read failed from its inputs, any other error (a folder that cannot be
// written) may mend itself.
std::optional<std::string> FeedReadFailure(const TRIGlobals& settings) {
  try {
    ReadFeedMessages(settings, ImportedFeedPath(settings));
    return std::nullopt;
  } catch (const Error& error) {
    return MessageAsWindows1252Text(error.what());
  }
}

}  // namespace

TScanOperations MakeScanOperations(const TRIGlobals& settings, std::function<bool()> regenerate,
                                   TWorkflowHooks hooks) {
  // The digest a step found, committed with the feed once its update was stored.
  auto digest = std::make_shared<std::string>();
  TScanOperations operations;
  operations.HoldHome = [&settings](std::stop_token stop) -> std::shared_ptr<void> {
    return std::make_shared<THomeLock>(settings.ProgramDir, kHomeLockWait, stop);
  };
  operations.FeedChanged = [&settings, hooks, digest](std::stop_token stop) {
    std::string failure;
    const bool feedChanged =
        XmlFileChanged(FeedLocationOf(settings), &failure, FetchControlOf(hooks, stop));
    // A feed that cannot be fetched is reported as such, never as "No changes".
    if (!failure.empty() && !stop.stop_requested()) throw Error(failure);
    if (stop.stop_requested()) return feedChanged;
    *digest = InputsDigestOf(settings);
    // A home whose last upload recorded no digest yet compares the feed alone, as before.
    const std::optional<std::string> committed = ReadCommittedDigest(settings);
    return committed ? *committed != *digest : feedChanged;
  };
  operations.InputsDigest = [digest] { return *digest; };
  operations.TestServerConnection = [&settings](std::stop_token, std::string& failure) {
    if (!PublishesToFolder(settings)) return TestServerConnection(settings.Server, &failure);
    // Statuses are the program's text; the folder's name is the file system's UTF-8.
    const bool reached = TestTargetConnection(settings, &failure);
    failure = MessageAsWindows1252Text(failure);
    return reached;
  };
  operations.ServerIsFree = [&settings](std::stop_token) { return TargetIsFree(settings); };
  operations.RegenerateAndUpload = [&settings, regenerate = std::move(regenerate),
                                    progressView = hooks.ProgressView](std::stop_token stop) {
    try {
      if (!regenerate()) return TProcessResult{TProcessOutcome::NothingToSend, ""};
    } catch (const Error&) {
      if (std::optional<std::string> failure = FeedReadFailure(settings)) {
        return TProcessResult{TProcessOutcome::InputsUnusable, std::move(*failure)};
      }
      throw;
    }
    if (stop.stop_requested()) return TProcessResult{TProcessOutcome::Cancelled, ""};
    std::string failure;
    if (!PublishUpdate(settings, progressView, &failure, stop)) {
      return TProcessResult{
          stop.stop_requested() ? TProcessOutcome::Cancelled : TProcessOutcome::UploadFailed,
          PublishesToFolder(settings) ? MessageAsWindows1252Text(failure) : failure};
    }
    return TProcessResult{TProcessOutcome::Uploaded, ""};
  };
  operations.CommitHandledFeed = [&settings, digest] {
    CommitSentUpdate(settings);
    CommitInputsDigest(settings, *digest);
  };
  return operations;
}

}  // namespace tavrel
