// tavrel generate [FEED]: empties Export/, reads the feed and writes its pages and Control.dat.
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "command_support.h"
#include "commands.h"
#include "pipeline/feed_pipeline.h"
#include "render/text_layout.h"
#include "step_exit_codes.h"
#include "support/home_lock.h"
#include "support/windows1252.h"

namespace tavrel::cli {

namespace {

constexpr const char* kGenerateHelp =
    "Usage: tavrel [--home DIR] generate [FEED]\n"
    "\n"
    "Empties Export/, reads the feed and writes one index page per category, one page (or a\n"
    "run of sub-pages) per message and Control.dat there, then prints a summary: categories,\n"
    "pages, sub-pages and what was skipped and why. Nothing is sent to the server.\n"
    "\n"
    "FEED defaults to the fetched feed in Import/, or, when none was fetched yet, the\n"
    "configured local feed file.\n"
    "\n"
    "Exit status: 0 pages generated (or none to generate), 1 error, 2 usage error,\n"
    "8 \"another Tavrel is working in <home> (process N)\": the scan service or another\n"
    "command kept the home folder for 5 seconds; Export/ was left as it was.\n";

}  // namespace

int RunGenerateCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kGenerateHelp, stdout);
    return 0;
  }
  std::string feed;
  if (!ParseFeedArgument(context, "generate", kGenerateHelp, feed)) return 2;

  TRIGlobals settings = OpenSettingsStore(context);
  if (feed.empty()) feed = FeedPathForCommand(settings);
  TPTextToPrestelPageForm formatter;
  formatter.SetFormatCorrection(settings.FormatCorrection);

  // A running count on a terminal only; scripts and logs get the summary alone.
  const bool showProgress = ::isatty(STDERR_FILENO) == 1;
  TPageWrittenCallback progress;
  if (showProgress) {
    progress = [](const TGeneratedPage& page) {
      std::fprintf(stderr, "\r%d page files, last %s  ", page.PagesWritten, page.FileName.c_str());
    };
  }
  std::optional<THomeLock> home;
  try {
    home.emplace(settings.ProgramDir);
  } catch (const THomeInUse& busy) {
    std::fprintf(stderr, "tavrel generate: %s\n", busy.what());
    return kExitHomeInUse;
  }
  const TGenerationSummary summary = GenerateFromFeed(settings, formatter, feed, progress);
  if (showProgress && summary.PageFiles > 0) std::fputs("\r\033[K", stderr);

  std::printf("Generated from %s\n", feed.c_str());
  for (const std::string& line : summary.Lines(settings.ExportDir)) {
    std::printf("%s\n", Windows1252ToUtf8(line).c_str());
  }
  return 0;
}

}  // namespace tavrel::cli
