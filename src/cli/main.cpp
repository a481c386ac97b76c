// Entry point of the tavrel executable: global options, then one headless command, or the
// desktop window when no command is given.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "version.h"

#ifdef TAVREL_HAS_GUI
#include "app/desktop_app.h"
#endif

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: tavrel [--home DIR] [COMMAND [ARGS...]]\n"
               "\n"
               "Turns a news feed into teletext pages and sends them to the transmission server.\n"
               "Without a command the desktop window opens.\n"
               "\n"
               "Options:\n"
               "  --home DIR     working folder holding tavrel.ini, Import/, Export/, Handled/ and\n"
               "                 Templates/ (default: $TAVREL_HOME, else the program's folder)\n"
               "  --help, -h     show this help\n"
               "  --version      show the version\n"
               "\n"
               "Commands:\n");
  for (const auto& command : tavrel::cli::AllCommands()) {
    std::fprintf(out, "  %-12s %s\n", command.Name, command.Summary);
  }
  std::fprintf(out, "\nRun 'tavrel COMMAND --help' for the options of a command.\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Dates in the control file follow the operator's locale, as the server's operators read them.
  std::setlocale(LC_TIME, "");
  tavrel::cli::CommandContext context;
  context.ProgramPath = argc > 0 ? argv[0] : "tavrel";

  int index = 1;
  while (index < argc && argv[index][0] == '-') {
    const std::string option = argv[index];
    if (option == "--help" || option == "-h") {
      PrintUsage(stdout);
      return 0;
    }
    if (option == "--version") {
      std::printf("tavrel %s\n", tavrel::kVersion);
      return 0;
    }
    if (option == "--home") {
      if (index + 1 >= argc) {
        std::fprintf(stderr, "tavrel: --home needs a folder\n");
        return 2;
      }
      context.HomeOption = argv[index + 1];
      // An empty value would quietly fall back to $TAVREL_HOME or the program's folder.
      if (context.HomeOption.empty()) {
        std::fprintf(stderr, "tavrel: --home needs a folder, not an empty name\n");
        return 2;
      }
      index += 2;
      continue;
    }
    std::fprintf(stderr, "tavrel: unknown option '%s'\n\n", option.c_str());
    PrintUsage(stderr);
    return 2;
  }

  if (index >= argc) {
#ifdef TAVREL_HAS_GUI
    // Only the window needs a display; the commands below never create a QApplication.
    return tavrel::gui::RunDesktopApp(argc, argv, context.HomeOption);
#else
    std::fprintf(stderr,
                 "tavrel: this build has no desktop window yet; use one of the commands below.\n\n");
    PrintUsage(stderr);
    return 2;
#endif
  }

  const std::string name = argv[index];
  for (int i = index + 1; i < argc; ++i) context.Arguments.emplace_back(argv[i]);
  for (const auto& command : tavrel::cli::AllCommands()) {
    if (name == command.Name) {
      try {
        return command.Run(context);
      } catch (const std::exception& error) {
        std::fprintf(stderr, "tavrel %s: %s\n", command.Name, error.what());
        return 1;
      }
    }
  }
  std::fprintf(stderr, "tavrel: unknown command '%s'\n\n", name.c_str());
  PrintUsage(stderr);
  return 2;
}
