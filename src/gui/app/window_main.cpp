// Entry point of tavrel-window, the desktop window. 'tavrel' without a command replaces itself
// by this program with the same arguments; the window is a program of its own so that the
// commands load no Qt and a server installs none.
#include <clocale>
#include <cstdio>
#include <string>

#include "app/desktop_app.h"
#include "version.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(
      out,
      "Usage: tavrel-window [--home DIR] [QT-OPTIONS]\n"
      "\n"
      "Opens the Tavrel desktop window; 'tavrel' without a command starts it with the "
      "same\narguments.\n"
      "\n"
      "Options:\n"
      "  --home DIR     working folder holding tavrel.ini, Import/, Export/, Handled/ and\n"
      "                 Templates/ (default: $TAVREL_HOME, else the program's folder)\n"
      "  --help, -h     show this help\n"
      "  --version      show the version\n"
      "\n"
      "Qt's own options (-style NAME, -platform NAME, -display DISPLAY) go to Qt.\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Dates in the control file follow the operator's locale, as the server's operators read them.
  std::setlocale(LC_TIME, "");
  // Help and version need no display, so they are answered before Qt starts.
  std::string homeOption;
  for (int index = 1; index < argc; ++index) {
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
      // An empty value would quietly fall back to $TAVREL_HOME or the program's folder.
      if (index + 1 >= argc || argv[index + 1][0] == '\0') {
        std::fprintf(stderr, "tavrel: --home needs a folder\n");
        return 2;
      }
      homeOption = argv[++index];
    }
  }
  return tavrel::gui::RunDesktopApp(argc, argv, homeOption);
}
