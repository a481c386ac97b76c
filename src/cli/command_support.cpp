#include "command_support.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "support/error.h"

namespace tavrel::cli {

std::string HomeFolder(const CommandContext& context) {
  return ResolveProgramDir(context.HomeOption, context.ProgramPath);
}

TRIGlobals OpenSettingsStore(const CommandContext& context) {
  const std::string home = HomeFolder(context);
  const std::string shown = home.size() > 1 ? home.substr(0, home.size() - 1) : home;
  std::error_code ignored;
  if (std::filesystem::exists(shown, ignored) && !std::filesystem::is_directory(shown, ignored)) {
    throw FileError(shown, "cannot use as home folder: not a folder");
  }
  // A home is made by the operator, with its settings: a mistyped --home must not quietly
  // become a new, empty home whose run sends nothing or the wrong thing.
  const std::string settingsFile = home + TRIGlobals::kSettingsFileName;
  if (!std::filesystem::is_regular_file(settingsFile, ignored)) {
    throw Error("no settings file " + settingsFile);
  }
  return TRIGlobals(home);
}

bool ParseFeedArgument(const CommandContext& context, const char* command, const char* help,
                       std::string& feed) {
  feed.clear();
  bool onlyFiles = false;
  for (const std::string& argument : context.Arguments) {
    if (!onlyFiles && argument == "--") {
      onlyFiles = true;
      continue;
    }
    std::string problem;
    if (!onlyFiles && argument.size() > 1 && argument[0] == '-') {
      problem = "unknown option '" + argument + "'";
    } else if (!feed.empty()) {
      problem = "one feed file at most, got '" + feed + "' and '" + argument + "'";
    } else if (argument.empty()) {
      problem = "the feed file name is empty";
    }
    if (!problem.empty()) {
      std::fprintf(stderr, "tavrel %s: %s\n\n%s", command, problem.c_str(), help);
      return false;
    }
    feed = argument;
  }
  return true;
}

}  // namespace tavrel::cli
