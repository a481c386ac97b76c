// 'tavrel' without a command hands over to the window, a program of its own beside it, so that
// the commands load no Qt. A copy of the real program runs in a folder of the test's own, with
// or without a stand-in for tavrel-window that reports what it was given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "testing/temp_folder.h"
#include "version.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::TempFolder;
using testing::WriteBytes;

// Prints its own path, its arguments one a line and its parent's process id, and ends with a
// code of its own: the parent is the test only when tavrel replaced itself (exec) rather than
// starting the window as a child, and the code shows tavrel's caller gets the window's.
constexpr const char* kWindowStandIn =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$0\" \"$@\"\n"
    "echo \"parent $PPID\"\n"
    "exit 7\n";

TEST(WindowStart, TavrelWithoutACommandBecomesTheWindowBesideIt) {
  TempFolder folder;
  const std::string program = folder / "tavrel";
  const std::string window = folder / "tavrel-window";
  fs::copy_file(TAVREL_BINARY_DIR "/tavrel", program);
  // What the stand-in prints when tavrel became it with these arguments.
  const auto windowReport = [&window](const std::vector<std::string>& arguments) {
    std::string report = window + "\n";
    for (const std::string& argument : arguments) report += argument + "\n";
    return report + "parent " + std::to_string(getpid()) + "\n";
  };
  const std::vector<std::string> homeAndQtOptions = {"--home", "/srv/news", "-style", "fusion"};
  struct Case {
    const char* What;
    bool WindowInstalled;
    std::vector<std::string> Arguments;
    int ExitCode;
    std::string FirstErrorLine;
    std::string Output;
  };
  const std::vector<Case> cases = {
      {"no arguments", true, {}, 7, "", windowReport({})},
      {"a home and Qt's own options", true, homeAndQtOptions, 7, "",
       windowReport(homeAndQtOptions)},
      // tavrel's own options are long: a mistyped one is refused, not given to the window.
      {"a mistyped option",
       true,
       {"--hmoe", "/srv/news"},
       2,
       "tavrel: unknown option '--hmoe'",
       ""},
      {"Qt's option before a command",
       true,
       {"-style", "fusion", "generate"},
       2,
       "tavrel: unknown option '-style'",
       ""},
      {"no window installed",
       false,
       {"--home", "/srv/news"},
       1,
       "tavrel: the desktop window is not installed (" + window +
           "); the commands work without it: 'tavrel --help' lists them",
       ""},
      {"no window for an unknown option",
       false,
       {"-style", "fusion"},
       2,
       "tavrel: unknown option '-style'",
       ""},
      // A server without the window still has the version.
      {"the version", false, {"--version"}, 0, "", std::string("tavrel ") + kVersion + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    fs::remove(window);
    if (c.WindowInstalled) {
      WriteBytes(window, kWindowStandIn);
      fs::permissions(window, fs::perms::owner_exec, fs::perm_options::add);
    }
    std::vector<std::string> arguments = {program};
    arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
    ChildProcess tavrel(arguments);
    EXPECT_EQ(tavrel.Finish(30s), c.ExitCode) << tavrel.Err;
    EXPECT_EQ(tavrel.Err.substr(0, tavrel.Err.find('\n')), c.FirstErrorLine);
    EXPECT_EQ(tavrel.Out, c.Output);
  }
}

}  // namespace
}  // namespace tavrel
