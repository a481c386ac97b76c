// tavrel export: hands the generated pages of Export/ to open inserters, as TTI page files or
// as one T42 packet stream.
#include <cstdio>
#include <optional>
#include <string>

#include "command_support.h"
#include "commands.h"
#include "pipeline/teletext_export.h"
#include "step_exit_codes.h"

namespace tavrel::cli {

namespace {

// Far beyond any carousel; a larger value is a slip of the keyboard.
constexpr int kMaxCycleSeconds = 3600;

constexpr const char* kExportHelp =
    "Usage: tavrel [--home DIR] export (--tti DIR | --t42 FILE) [--cycle SECONDS]\n"
    "\n"
    "Hands the pages last generated in Export/ (as Control.dat lists them) to inserters that\n"
    "read open formats. Nothing in Export/ is changed.\n"
    "\n"
    "Options:\n"
    "  --tti DIR        write one TTI page file per page number into DIR (created when\n"
    "                   missing) as <page>.tti, its sub-pages in order, with the character\n"
    "                   set and the fastext links of Control.dat\n"
    "  --t42 FILE       write every page as 42-byte teletext packets into FILE, in magazine\n"
    "                   and page order (rows a page file leaves out are left out)\n"
    "  --cycle SECONDS  how long each sub-page of a TTI carousel stays on air (1 to 3600,\n"
    "                   default 8)\n"
    "  -h, --help       show this help\n"
    "\n"
    "Both --tti and --t42 may be given at once.\n"
    "\n"
    "Exit status: 0 written, 1 error (a file that cannot be read or written; the message\n"
    "names it), 2 usage error, 7 nothing to export (Control.dat lists no page).\n";

struct TExportArguments {
  std::string TtiFolder;
  std::string T42File;
  int CycleSeconds = TTeletextExport::kDefaultCycleSeconds;
};

std::optional<std::string> ParseArguments(const std::vector<std::string>& args,
                                          TExportArguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg != "--tti" && arg != "--t42" && arg != "--cycle")
      return "unknown argument '" + arg + "'";
    if (i + 1 >= args.size() || args[i + 1].empty()) return arg + " needs a value";
    const std::string& value = args[++i];
    if (arg == "--tti") {
      parsed.TtiFolder = value;
    } else if (arg == "--t42") {
      parsed.T42File = value;
    } else {
      std::size_t used = 0;
      int seconds = 0;
      try {
        seconds = std::stoi(value, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used != value.size() || seconds < 1 || seconds > kMaxCycleSeconds) {
        return "--cycle must be a whole number of seconds from 1 to " +
               std::to_string(kMaxCycleSeconds) + ", not '" + value + "'";
      }
      parsed.CycleSeconds = seconds;
    }
  }
  if (parsed.TtiFolder.empty() && parsed.T42File.empty()) return "give --tti DIR or --t42 FILE";
  return std::nullopt;
}

}  // namespace

int RunExportCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kExportHelp, stdout);
    return 0;
  }
  TExportArguments args;
  if (const auto problem = ParseArguments(context.Arguments, args)) {
    std::fprintf(stderr, "tavrel export: %s\n\n%s", problem->c_str(), kExportHelp);
    return kExitUsage;
  }
  const TRIGlobals settings = OpenSettingsStore(context);
  const TTeletextExport pages(settings.ExportDir);
  if (pages.Pages().empty()) {
    std::fprintf(stderr, "tavrel export: %sControl.dat lists no page: nothing to export\n",
                 settings.ExportDir.c_str());
    return kExitNothingGenerated;
  }
  if (!args.TtiFolder.empty()) {
    const std::vector<std::string> names = pages.WriteTtiFolder(args.TtiFolder, args.CycleSeconds);
    std::printf("%s: %zu TTI files, %zu pages\n", args.TtiFolder.c_str(), names.size(),
                pages.Pages().size());
  }
  if (!args.T42File.empty()) {
    pages.WriteT42File(args.T42File);
    std::printf("%s: %zu pages as T42 packets\n", args.T42File.c_str(), pages.Pages().size());
  }
  return 0;
}

}  // namespace tavrel::cli
