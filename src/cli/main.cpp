// Entry point of the tavrel executable: global options, then one headless command, or the
// desktop window when no command is given.
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "version.h"

namespace {

// The window is a program of its own, so that the commands load no desktop libraries and a
// server installs none.
constexpr const char* kWindowProgramName = "tavrel-window";

void PrintUsage(std::FILE* out) {
  std::fprintf(
      out,
      "Usage: tavrel [--home DIR] [COMMAND [ARGS...]]\n"
      "\n"
      "Turns a news feed into teletext pages and sends them to the transmission server.\n"
      "Without a command it opens the desktop window: tavrel-window, beside it, given\n"
      "the same arguments (exit code 1 when it is not installed).\n"
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

bool IsCommandName(const char* argument) {
  for (const auto& command : tavrel::cli::AllCommands()) {
    if (std::strcmp(argument, command.Name) == 0) return true;
  }
  return false;
}

// The folder of this executable with a link in bin/ resolved, where the install puts the
// window beside it.
std::string ProgramFolder(const char* programPath) {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length > 0) {
    path.resize(static_cast<std::size_t>(length));
  } else {
    path = programPath;
  }
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Replaces this process by the window with the same arguments, so that it keeps the process
// id, the environment and the caller's wait (a desktop launcher or a second start asking the
// first window to come forward sees the window's own exit code). Answers only when that fails.
// unknownOption is an option tavrel itself does not know, passed on as the window's (Qt's own
// options); when there is no window it is a mistyped option of tavrel's.
int StartDesktopWindow(int argc, char** argv, const char* unknownOption) {
  std::string window = ProgramFolder(argv[0]) + "/" + kWindowProgramName;
  std::vector<char*> arguments(argv, argv + argc);
  arguments[0] = window.data();
  arguments.push_back(nullptr);
  ::execv(window.c_str(), arguments.data());
  const int error = errno;
  if (error == ENOENT && unknownOption != nullptr) {
    std::fprintf(stderr, "tavrel: unknown option '%s'\n\n", unknownOption);
    PrintUsage(stderr);
    return 2;
  }
  if (error == ENOENT) {
    std::fprintf(stderr,
                 "tavrel: the desktop window is not installed (%s); the commands work without "
                 "it: 'tavrel --help' lists them\n",
                 window.c_str());
    return 1;
  }
  std::fprintf(stderr, "tavrel: cannot start the desktop window %s: %s\n", window.c_str(),
               std::strerror(error));
  return 1;
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
    // A one-dash option is the window toolkit's (-style NAME, -platform NAME) when no command
    // follows; tavrel's own options are long, so a mistyped one never opens a window.
    bool windowOption = option.size() > 1 && option[1] != '-';
    for (int later = index + 1; later < argc && windowOption; ++later) {
      windowOption = !IsCommandName(argv[later]);
    }
    if (windowOption) return StartDesktopWindow(argc, argv, argv[index]);
    std::fprintf(stderr, "tavrel: unknown option '%s'\n\n", option.c_str());
    PrintUsage(stderr);
    return 2;
  }

  // Only the window needs a display and Qt; the commands below never load either.
  if (index >= argc) return StartDesktopWindow(argc, argv, nullptr);

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
