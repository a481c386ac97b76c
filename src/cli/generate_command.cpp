// tavrel generate [FEED]: empties Export/, reads the feed and writes its pages and Control.dat.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "command_support.h"
#include "commands.h"
#include "pipeline/feed_pipeline.h"
#include "render/text_layout.h"
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
    "Exit status: 0 pages generated (or none to generate), 1 error, 2 usage error.\n";

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
  const TGenerationSummary summary = GenerateFromFeed(settings, formatter, feed, progress);
  if (showProgress && summary.PageFiles > 0) std::fputs("\r\033[K", stderr);

  std::printf("Generated from %s\n", feed.c_str());
  for (const std::string& line : summary.Lines(settings.ExportDir)) {
    std::printf("%s\n", Windows1252ToUtf8(line).c_str());
  }
  return 0;
}

}  // namespace tavrel::cli
