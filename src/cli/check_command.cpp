// tavrel check [FEED]: the problems an interactive preview would show before generating.
#include <cstdio>
#include <string>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/feed_text_check.h"
#include "pipeline/settings_problems.h"
#include "pipeline/transmission_target.h"
#include "support/windows1252.h"

namespace tavrel::cli {

namespace {

constexpr const char* kCheckHelp =
    "Usage: tavrel [--home DIR] check [FEED]\n"
    "\n"
    "Checks the settings file for values that are not numbers and repeated sections or\n"
    "keys, the page folder (with Target=Folder: missing, not a folder or not writable),\n"
    "a feed for control characters, unknown references and a wrong encoding\n"
    "declaration, the feed against the configured element names, its categories against\n"
    "the category table, the page numbers they would get, every template of the table,\n"
    "the fastext prompts (with UseFastext), and every message's layout: a title or text\n"
    "that a page cannot hold as it is. Prints one line per problem.\n"
    "\n"
    "FEED defaults to the fetched feed in Import/, or, when none was fetched yet, the\n"
    "configured local feed file.\n"
    "\n"
    "Exit status: 0 no problems, 1 problems found or the feed cannot be read, 2 usage error.\n";

}  // namespace

int RunCheckCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kCheckHelp, stdout);
    return 0;
  }
  std::string feed;
  if (!ParseFeedArgument(context, "check", kCheckHelp, feed)) return 2;

  TRIGlobals settings = OpenSettingsStore(context);
  // Settings that fell back to a default are named first: they explain what follows.
  const std::vector<std::string> settingsLines = SettingsFileProblems(settings.IniFileName);
  for (const std::string& line : settingsLines) std::printf("%s\n", line.c_str());
  // A page folder that cannot take pages fails every upload; say so before the feed's lines.
  const std::string targetProblem = TargetFolderProblem(settings);
  if (!targetProblem.empty()) std::printf("%s\n", targetProblem.c_str());
  std::fflush(stdout);
  if (feed.empty()) feed = FeedPathForCommand(settings);
  const std::vector<std::string> textLines = FeedTextProblems(feed);
  for (const std::string& line : textLines) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  const TFeedCheckResult result = CheckFeed(settings, feed);
  // Messages that a run could not lay out are found by laying every page out, as generate
  // would, without writing one.
  std::vector<std::string> lines = result.Lines();
  std::vector<std::string> layoutLines;
  if (result.SchemaLines.empty()) layoutLines = LayoutProblems(settings, result.Messages);
  lines.insert(lines.end(), layoutLines.begin(), layoutLines.end());
  // The system's texts are Windows-1252; the terminal speaks UTF-8.
  for (const std::string& line : lines) {
    std::printf("%s\n", Windows1252ToUtf8(line).c_str());
  }
  if (!lines.empty() || !settingsLines.empty() || !textLines.empty() || !targetProblem.empty()) {
    return 1;
  }
  std::printf("%s: no problems found.\n", feed.c_str());
  return 0;
}

}  // namespace tavrel::cli
