// tavrel upload: the window's Upload command without the window. Fetches the feed, shows what
// the feed check finds, tests the server, generates the pages and sends the update.
#include <cstdio>
#include <string>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/settings_store.h"
#include "pipeline/transmission_target.h"
#include "render/text_layout.h"
#include "step_exit_codes.h"
#include "support/error.h"
#include "support/windows1252.h"
#include "terminal_progress.h"
#include "transfer/update_upload.h"

namespace tavrel::cli {
namespace {

constexpr const char* kUsage =
    "Usage: tavrel [--home DIR] upload\n"
    "\n"
    "Sends the pages of the configured feed to the transmission server, or with\n"
    "Target=Folder in tavrel.ini to the page folder of an open inserter (TargetFolder), as\n"
    "the window's Upload command does:\n"
    "  1. fetches the feed into Import/ (a copy of the local file, or a download);\n"
    "  2. checks it against the XML schema and the category table and prints what it finds;\n"
    "     findings do not stop the upload: the pages of the defined categories are sent;\n"
    "  3. logs in to the server and asks whether it has taken the last update;\n"
    "  4. generates the pages and Control.dat into Export/;\n"
    "  5. packs Export/ into update.zip, stores it in the server's transfer folder (progress\n"
    "     on stderr: a bar on a terminal, a line every 10% elsewhere), then stores update.sem.\n"
    "With Target=Folder, steps 3 and 5 become: check that the page folder exists and can be\n"
    "written; write one TTI file per page number into it (carousel sub-pages in one file),\n"
    "each through a hidden temporary file renamed over the old one, leaving unchanged pages\n"
    "alone and removing the pages Tavrel published before and no longer generates (the list\n"
    "is Handled/FolderPages.txt; files Tavrel did not write are never touched).\n"
    "After a complete upload the feed becomes the handled copy in Handled/, so that the\n"
    "automatic scan does not send the same feed again. tavrel.ini is never rewritten.\n"
    "\n"
    "Exit codes:\n"
    "  0  the update (archive and semaphore) was stored on the server, or every page is in\n"
    "     the page folder\n"
    "  1  error: the feed could not be fetched (\"XML File not found\"), read or generated,\n"
    "     or the home folder or its settings are unusable\n"
    "  2  wrong usage\n"
    "  4  \"Connection to Varnex failed.\": no connection or the login was refused; or the\n"
    "     page folder is missing, not a folder or not writable (the reason is printed)\n"
    "  5  \"Varnex is busy.\": the server has not yet taken the last update; nothing was sent\n"
    "  6  the upload broke off; the server got no semaphore and will not take the archive\n"
    "     (a page folder: a file could not be written; each page is old or new, and the\n"
    "     next upload completes it)\n"
    "  7  the feed gave no page; nothing was sent\n"
    "  8  \"another Tavrel is working in <home> (process N)\": the scan service or another\n"
    "     command kept the home folder for 5 seconds; nothing was done\n";

void PrintLines(std::FILE* out, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::fprintf(out, "%s\n", Windows1252ToUtf8(line).c_str());
  }
}

std::string ServerName(const TRIGlobals& globals) {
  return globals.Server.FTPHost + ":" + std::to_string(globals.Server.FTPPort);
}

}  // namespace

int RunUploadCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kUsage, stdout);
    return kExitUploaded;
  }
  if (!context.Arguments.empty()) {
    std::fprintf(stderr, "tavrel upload: unexpected argument '%s'\n\n%s",
                 context.Arguments.front().c_str(), kUsage);
    return kExitUsage;
  }
  TRIGlobals globals = OpenSettingsStore(context);
  const std::string feed = ImportedFeedPath(globals);
  const std::string remoteFolder = RemoteTransferFolder(globals.Server, globals.TransferDir);

  // The findings, the summary and the upload's progress appear as the workflow reaches them.
  TTerminalProgressView progress(stderr, TTerminalProgressView::IsTerminal(stderr));
  TWorkflowHooks hooks;
  hooks.ProgressView = &progress;
  hooks.OnStatus = [&](const std::string& status) {
    if (status == "Checking the feed") std::printf("Feed fetched: %s\n", feed.c_str());
    std::fflush(stdout);
  };
  TPTextToPrestelPageForm formatter;
  const TWorkflowResult result = RunUpload(globals, formatter, hooks);

  // The window shows the findings and still uploads: an undefined category must not hold back
  // the pages of the defined ones.
  const std::vector<std::string> findings = result.Check.Lines();
  if (!findings.empty()) {
    std::printf("The feed check found %zu problem%s (the upload goes on):\n", findings.size(),
                findings.size() == 1 ? "" : "s");
    PrintLines(stdout, findings);
  }
  PrintLines(stdout, result.SummaryLines);
  std::fflush(stdout);

  switch (result.Outcome) {
    case TWorkflowOutcome::Uploaded:
      if (result.ToPageFolder) {
        std::printf("Pages published to %s\n",
                    Windows1252ToUtf8(TargetDescription(globals)).c_str());
        return kExitUploaded;
      }
      std::printf("Update sent to %s %s (%s, then %s)\n", ServerName(globals).c_str(),
                  remoteFolder.c_str(), kUpdateArchiveName, kUpdateSemaphoreName);
      return kExitUploaded;
    case TWorkflowOutcome::FeedNotFound:
      std::fprintf(stderr, "%s\n%s\n", kFeedNotFoundMessage, result.Detail.c_str());
      return kExitError;
    case TWorkflowOutcome::ConnectionFailed:
      if (result.ToPageFolder) {
        std::fprintf(stderr, "%s\n", Windows1252ToUtf8(result.Message()).c_str());
        return kExitConnectionFailed;
      }
      std::fprintf(stderr, "%s\n%s: %s\n", kConnectionFailedMessage, ServerName(globals).c_str(),
                   result.Detail.c_str());
      return kExitConnectionFailed;
    case TWorkflowOutcome::ServerBusy:
      std::fprintf(stderr, "%s\n%s: %s%s is waiting; nothing was sent\n", kServerBusyMessage,
                   ServerName(globals).c_str(), remoteFolder.c_str(), kBusySemaphoreMask);
      return kExitServerBusy;
    case TWorkflowOutcome::NothingGenerated:
      std::fprintf(stderr, "%s: no page generated; nothing was sent\n", globals.ExportDir.c_str());
      return kExitNothingGenerated;
    case TWorkflowOutcome::HomeInUse:
      std::fprintf(stderr, "%s\n", result.Detail.c_str());
      return kExitHomeInUse;
    case TWorkflowOutcome::UploadFailed:
    case TWorkflowOutcome::Cancelled:
      std::fprintf(
          stderr, "Upload failed: %s\n",
          result.ToPageFolder ? Windows1252ToUtf8(result.Detail).c_str() : result.Detail.c_str());
      return kExitUploadFailed;
    case TWorkflowOutcome::Generated:
    case TWorkflowOutcome::SchemaMismatch:
    case TWorkflowOutcome::CategoryProblems:
    case TWorkflowOutcome::Failed:
      break;
  }
  throw Error(result.Detail);
}

}  // namespace tavrel::cli
