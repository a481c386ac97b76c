// tavrel scan: the automatic scan as a long-running service, driving the same scan cycle as
// the window's timer with the machine's clock. Status lines go to stdout, upload progress to
// stderr.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "pipeline/feed_watch.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/scan_cycle.h"
#include "pipeline/settings_store.h"
#include "pipeline/transmission_target.h"
#include "render/text_layout.h"
#include "status_printer.h"
#include "step_exit_codes.h"
#include "support/error.h"
#include "support/text_encoding.h"
#include "support/windows1252.h"
#include "terminal_progress.h"

namespace tavrel::cli {
namespace {

// A longer pause between steps than a week is a mistyped number, not a schedule.
constexpr std::int32_t kMaxIntervalOption = 7 * 24 * 3600;

constexpr const char* kUsage =
    "Usage: tavrel [--home DIR] scan [--once] [--interval SECONDS]\n"
    "\n"
    "The automatic scan as a service. Every ScanInterval seconds (tavrel.ini) a step fetches\n"
    "the feed; when it differs from the feed last sent and the server is free, the step\n"
    "generates the pages into Export/ and sends update.zip and update.sem to the server. A\n"
    "change that could not be sent (server unreachable or busy, upload broken off) is tried\n"
    "again by the next step. The first step starts ScanInterval + 0.5 seconds after the start.\n"
    "A change of a template named by the category table, or of the settings that shape pages,\n"
    "counts as a change of the feed. When the same inputs gave no page or a feed that cannot\n"
    "be read, the steps wait (\"Waiting for a change of the inputs: ...\") and do not log in\n"
    "until the feed, a template or a setting changes.\n"
    "\n"
    "Each step holds the home folder (the lock file .tavrel.lock) so that a manual generate or\n"
    "upload never empties Export/ under it; a step that finds the home taken for 5 seconds\n"
    "shows \"another Tavrel is working in <home> (process N)\" and tries again next time.\n"
    "\n"
    "With Target=Folder in tavrel.ini the step publishes to the page folder of an open\n"
    "inserter (TargetFolder) instead of the server: one TTI file per page number, each\n"
    "written to a hidden temporary file and renamed over the old one, unchanged pages left\n"
    "alone, the pages Tavrel published before and no longer generates removed, files it\n"
    "did not write never touched. A missing or unwritable folder is \"Connection failed: \"\n"
    "with the reason; a folder is never busy.\n"
    "\n"
    "A local feed file is also watched: a step starts as soon as the writer closes the file\n"
    "or renames it into place, or a second after the last write while it stays open,\n"
    "without waiting for ScanInterval, which stays the schedule for web feeds and the\n"
    "fallback.\n"
    "\n"
    "Every status is printed on stdout as it happens, after an ISO 8601 local time stamp:\n"
    "\"Checking\", then \"No changes\", \"Connection failed\", \"Server Busy\" or \"Processing\",\n"
    "\"Error: ...\" when a step fails, and \"Idle\" when it ends; a failed connection or upload\n"
    "gives its reason after \": \". Upload progress goes to\n"
    "stderr. tavrel.ini is read once at the start and never rewritten.\n"
    "\n"
    "Options:\n"
    "  --once              run a single step now and exit with a code that says how it ended\n"
    "  --interval SECONDS  seconds between steps for this run instead of ScanInterval\n"
    "                      (0 to 604800; 0 starts a step every half second)\n"
    "  -h, --help          show this help\n"
    "\n"
    "SIGINT (Ctrl-C) or SIGTERM ends the service once the current step is over; a second\n"
    "one ends it at once.\n"
    "\n"
    "Exit codes of the service:\n"
    "  0  stopped by SIGINT or SIGTERM\n"
    "  1  the home folder or its settings are unusable\n"
    "  2  wrong usage\n"
    "Exit codes with --once:\n"
    "  0  the update (archive and semaphore) was stored on the server, or every page is in\n"
    "     the page folder\n"
    "  1  the step ended with \"Error: ...\" (the feed could not be fetched or read, a page\n"
    "     or file could not be written), or the home folder or its settings are unusable\n"
    "  2  wrong usage\n"
    "  3  \"No changes\": the feed is the one last sent\n"
    "  4  \"Connection failed\": no connection or the login was refused, or the page folder\n"
    "     is missing, not a folder or not writable\n"
    "  5  \"Server Busy\": the server has not yet taken the last update\n"
    "  6  the upload broke off; the server got no semaphore\n"
    "  7  the feed gave no page; nothing was sent\n"
    "  8  another Tavrel kept the home folder for 5 seconds; nothing was done\n";

struct TScanArguments {
  bool Once = false;
  std::optional<std::int32_t> Interval;
};

std::optional<std::string> ParseArguments(const std::vector<std::string>& args,
                                          TScanArguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--once") {
      parsed.Once = true;
    } else if (arg == "--interval") {
      if (i + 1 >= args.size()) return std::string("--interval needs a number of seconds");
      const std::string& value = args[++i];
      std::size_t used = 0;
      long long seconds = -1;
      try {
        seconds = std::stoll(value, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (value.empty() || used != value.size() || seconds < 0 || seconds > kMaxIntervalOption) {
        return "--interval must be a whole number of seconds from 0 to " +
               std::to_string(kMaxIntervalOption) + ", not '" + value + "'";
      }
      parsed.Interval = static_cast<std::int32_t>(seconds);
    } else {
      return "unknown argument '" + arg + "'";
    }
  }
  return std::nullopt;
}

// Set by the signal handler, read by the service loop between ticks.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void RequestStop(int) { stopRequested.store(true); }

// Catches SIGINT and SIGTERM for the lifetime of the object. The handler only sets the flag;
// it is installed for one signal only, so a second Ctrl-C ends a step that hangs.
class TStopSignals {
 public:
  TStopSignals() {
    stopRequested.store(false);
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &oldInterrupt_);
    sigaction(SIGTERM, &action, &oldTerminate_);
  }
  ~TStopSignals() {
    sigaction(SIGINT, &oldInterrupt_, nullptr);
    sigaction(SIGTERM, &oldTerminate_, nullptr);
  }
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

 private:
  struct sigaction oldInterrupt_ {};
  struct sigaction oldTerminate_ {};
};

std::string FeedSource(const TRIGlobals& globals) {
  // Status lines are the program's Windows-1252 text; the path is the file system's UTF-8.
  return globals.IsXMLWeb ? globals.XmlUrl : PathAsWindows1252Text(globals.XMLFilePath);
}

}  // namespace

int RunScanCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  TScanArguments arguments;
  if (const auto problem = ParseArguments(context.Arguments, arguments)) {
    std::fprintf(stderr, "tavrel scan: %s\n\n%s", problem->c_str(), kUsage);
    return kExitUsage;
  }
  TRIGlobals globals = OpenSettingsStore(context);
  const TStatusPrinter printer(stdout);
  TTerminalProgressView progress(stderr, TTerminalProgressView::IsTerminal(stderr));
  TPTextToPrestelPageForm formatter;
  const auto regenerate = [&globals, &printer, &formatter] {
    const TRegeneration made = RegenerateExport(globals, formatter);
    for (const std::string& line : made.SummaryLines) printer.Print(line);
    return made.AnyPage;
  };
  TWorkflowHooks hooks;
  hooks.ProgressView = &progress;
  TSteadyScanClock clock;
  TScanCycle cycle(MakeScanOperations(globals, regenerate, hooks), clock,
                   {[&printer](const std::string& status) { printer.Print(status); }, nullptr});
  cycle.SetScanInterval(arguments.Interval.value_or(globals.ScanInterval));

  const TStopSignals signals;
  const std::string server = TargetDescription(globals);
  if (arguments.Once) {
    printer.Print("Scan step: feed " + FeedSource(globals) + ", " + server);
    const std::optional<TScanOutcome> outcome = cycle.RunStep();
    return outcome ? ExitCodeOf(*outcome) : kExitError;
  }
  cycle.SetAutoScan(true);
  // A local feed is also watched: a step starts once the file has stayed unchanged for a
  // second after a write, instead of at the next tick. The timer stays the fallback. The watch
  // is in place before the start line, so a feed written once a script has read that line is
  // never left to the timer.
  std::optional<TFeedFileWatch> watcher;
  std::string notWatching;
  if (!globals.IsXMLWeb) {
    try {
      watcher.emplace(
          globals.FeedFilePath(),
          [&cycle, &clock](std::chrono::steady_clock::time_point lastWrite, std::stop_token stop) {
            // A step under way may have fetched the feed before the write: run one more after
            // it, unless a step started after the write (the timer's) has taken the change. The
            // stop of the service ends the wait, never a step under way.
            while (FeedChangeNeedsStep(lastWrite, cycle.LastStepStart()) && !cycle.RunStep() &&
                   !stop.stop_requested()) {
              std::this_thread::sleep_for(TScanCycle::kTickInterval / 5);
            }
            // A change found while the server was busy is tried again soon, not at the next
            // ScanInterval, as long as no step has sent it.
            while (cycle.LastOutcome() == TScanOutcome::ServerBusy && !stop.stop_requested()) {
              clock.Wait(kBusyRetryWait, stop);
              if (cycle.LastOutcome() == TScanOutcome::ServerBusy) cycle.RunStep();
            }
          });
    } catch (const Error& error) {
      notWatching = "Not watching the feed file: " + MessageAsWindows1252Text(error.what());
    }
  }
  printer.Print("Scan started: a step every " + std::to_string(cycle.ScanInterval()) + " s, feed " +
                FeedSource(globals) + ", " + server);
  if (!notWatching.empty()) printer.Print(notWatching);
  cycle.Run([] { return !stopRequested.load(); });
  watcher.reset();  // asks the watch to end and waits for a step it started
  printer.Print("Scan stopped");
  return 0;
}

}  // namespace tavrel::cli
