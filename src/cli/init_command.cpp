// tavrel init: makes a new home folder without the window, for a server or a new channel.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "pipeline/home_setup.h"
#include "step_exit_codes.h"

namespace tavrel::cli {

namespace {

// The starter templates live beside the program, as its fonts do: the build folder holds a
// copy, and the package installs them under /usr/lib/tavrel.
constexpr const char* kStarterTemplatesFolderName = "starter-templates";

constexpr const char* kInitHelp =
    "Usage: tavrel init DIR [--force]\n"
    "       tavrel --home DIR init [--force]\n"
    "\n"
    "Makes DIR a new home: creates it with the working folders Import/, Export/, Handled/\n"
    "and Templates/, writes tavrel.ini with the default settings (the same file the window\n"
    "writes on its first start) and copies the starter templates into Templates/. Edit\n"
    "tavrel.ini (the feed, the server, the category table) before the first scan.\n"
    "\n"
    "A folder that already holds tavrel.ini is refused; with --force its settings are kept\n"
    "as they are and only missing folders and templates are added. An existing template is\n"
    "never replaced.\n"
    "\n"
    "Exit status: 0 done, 1 error (a home already there, a folder that cannot be made),\n"
    "2 usage error.\n";

struct TInitArguments {
  std::string Folder;
  bool Force = false;
};

std::optional<std::string> ParseArguments(const CommandContext& context, TInitArguments& parsed) {
  for (const std::string& arg : context.Arguments) {
    if (arg == "--force") {
      parsed.Force = true;
    } else if (parsed.Folder.empty() && !arg.empty() && arg[0] != '-') {
      parsed.Folder = arg;
    } else {
      return "unknown argument '" + arg + "'";
    }
  }
  if (!parsed.Folder.empty() && !context.HomeOption.empty() &&
      parsed.Folder != context.HomeOption) {
    return "two folders given: --home " + context.HomeOption + " and " + parsed.Folder;
  }
  if (parsed.Folder.empty()) parsed.Folder = context.HomeOption;
  // No fallback to $TAVREL_HOME or the program's folder: a new home is always named.
  if (parsed.Folder.empty()) return "which folder? name it: tavrel init DIR";
  return std::nullopt;
}

std::string StarterTemplatesFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return (executable.parent_path() / kStarterTemplatesFolderName).string();
}

}  // namespace

int RunInitCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kInitHelp, stdout);
    return 0;
  }
  TInitArguments args;
  if (const auto problem = ParseArguments(context, args)) {
    std::fprintf(stderr, "tavrel init: %s\n\n%s", problem->c_str(), kInitHelp);
    return kExitUsage;
  }
  const THomeSetupReport report = CreateHome(args.Folder, StarterTemplatesFolder(), args.Force);
  std::printf(
      "%s: %s, %zu starter templates added", args.Folder.c_str(),
      report.SettingsWritten ? "new home with the default settings" : "existing settings kept",
      report.TemplatesAdded.size());
  if (!report.TemplatesKept.empty()) {
    std::printf(", %zu existing kept", report.TemplatesKept.size());
  }
  std::printf("\n");
  return 0;
}

}  // namespace tavrel::cli
