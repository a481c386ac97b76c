// Runs the real tavrel executable's init command: a new home on an empty or missing folder, an
// existing home refused, --force keeping what is there, and the settings file it writes byte
// for byte the one the window's first start writes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "testing/run_command.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::ReadBytes;
using tavrel::testing::RunCommand;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

// The settings a first start of the window writes (the settings store's own test checks that a
// first start writes exactly this file).
std::string FirstStartSettings() {
  return ReadBytes(TAVREL_SOURCE_DIR "/tests/data/pipeline/default_settings.ini");
}

std::vector<std::string> SortedNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> StarterTemplateNames() {
  return SortedNames(TAVREL_BINARY_DIR "/starter-templates");
}

struct TInitCase {
  const char* Name;
  // Prepares the folder before the run; home is "<test folder>/home".
  std::function<void(const fs::path& home)> Prepare;
  const char* Arguments;  // after "tavrel", with HOME standing for the home's path
  int ExitCode;
  const char* ErrorText;  // a part of stderr, or "" when stderr must be empty
  // The settings file afterwards: the first start's bytes, or the bytes Prepare left.
  bool ExpectFirstStartSettings;
  // Templates/ afterwards, beyond the starter set (a template the operator had made).
  std::vector<std::string> ExtraTemplates;
};

const std::string kOperatorSettings = "[Settings]\r\nScanInterval=30\r\nFTPHost=10.1.2.3\r\n";
const std::string kOperatorTemplate = "operator's own bytes";

void MakeOperatorHome(const fs::path& home) {
  fs::create_directories(home / "Templates");
  WriteBytes(home / "tavrel.ini", kOperatorSettings);
  // Same name as a starter template: it must be kept as the operator made it.
  WriteBytes(home / "Templates" / "news_index.tpg", kOperatorTemplate);
  WriteBytes(home / "Templates" / "mine.tpg", kOperatorTemplate);
}

TEST(InitCommand, MakesRefusesAndKeepsHomes) {
  const std::vector<TInitCase> cases = {
      {"a missing folder with missing parents",
       [](const fs::path&) {},
       "init HOME/a/b",
       0,
       "",
       true,
       {}},
      {"an empty folder",
       [](const fs::path& home) { fs::create_directories(home); },
       "init HOME",
       0,
       "",
       true,
       {}},
      {"the folder named by --home",
       [](const fs::path& home) { fs::create_directories(home); },
       "--home HOME init",
       0,
       "",
       true,
       {}},
      {"an existing home is refused",
       MakeOperatorHome,
       "init HOME",
       1,
       "already holds a home; give --force",
       false,
       {"mine.tpg"}},
      {"--force keeps the settings and the operator's templates",
       MakeOperatorHome,
       "init HOME --force",
       0,
       "",
       false,
       {"mine.tpg"}},
      {"a file where the folder should be",
       [](const fs::path& home) { WriteBytes(home, "not a folder"); },
       "init HOME",
       1,
       "exists and is not a folder",
       false,
       {}},
      {"no folder at all", [](const fs::path&) {}, "init", 2, "which folder?", false, {}},
      {"two different folders",
       [](const fs::path&) {},
       "--home HOME init HOME/other",
       2,
       "two folders given",
       false,
       {}},
  };
  for (const TInitCase& test : cases) {
    SCOPED_TRACE(test.Name);
    TempFolder folder;
    const fs::path home = folder.Root() / "home";
    test.Prepare(home);
    const bool wasHome = fs::exists(home / "tavrel.ini");

    std::string arguments = test.Arguments;
    for (std::size_t at; (at = arguments.find("HOME")) != std::string::npos;) {
      arguments.replace(at, 4, "'" + home.string() + "'");
    }
    const auto result = RunCommand("'" TAVREL_BINARY_DIR "/tavrel' " + arguments + " 2>'" +
                                   (folder.Root() / "err.txt").string() + "'");
    const std::string errors = ReadBytes(folder.Root() / "err.txt");
    EXPECT_EQ(result.ExitCode, test.ExitCode) << errors;
    if (*test.ErrorText == '\0') {
      EXPECT_EQ(errors, "");
    } else {
      EXPECT_NE(errors.find(test.ErrorText), std::string::npos) << errors;
    }

    // Where the run made the home (a/b for the missing parents).
    const fs::path made =
        std::string(test.Arguments).find("HOME/a/b") != std::string::npos ? home / "a" / "b" : home;
    if (test.ExpectFirstStartSettings) {
      EXPECT_EQ(ReadBytes(made / "tavrel.ini"), FirstStartSettings());
      struct stat status {};
      ASSERT_EQ(stat((made / "tavrel.ini").c_str(), &status), 0);
      EXPECT_EQ(status.st_mode & 0777, 0600u) << "the file will hold the FTP password";
    } else if (wasHome) {
      EXPECT_EQ(ReadBytes(home / "tavrel.ini"), kOperatorSettings);
    }
    if (test.ExitCode == 0) {
      for (const char* working : {"Import", "Export", "Handled", "Templates"}) {
        EXPECT_TRUE(fs::is_directory(made / working)) << working;
      }
      std::vector<std::string> expected = StarterTemplateNames();
      expected.insert(expected.end(), test.ExtraTemplates.begin(), test.ExtraTemplates.end());
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(SortedNames(made / "Templates"), expected);
      for (const std::string& name : StarterTemplateNames()) {
        if (wasHome && name == "news_index.tpg") continue;
        EXPECT_EQ(ReadBytes(made / "Templates" / name),
                  ReadBytes(TAVREL_SOURCE_DIR "/data/sample/Templates/" + name))
            << name;
      }
    } else if (wasHome) {
      // Refused: nothing was added to the home.
      EXPECT_EQ(SortedNames(home), (std::vector<std::string>{"Templates", "tavrel.ini"}));
      EXPECT_EQ(SortedNames(home / "Templates"),
                (std::vector<std::string>{"mine.tpg", "news_index.tpg"}));
    }
    if (wasHome) {
      EXPECT_EQ(ReadBytes(home / "Templates" / "news_index.tpg"), kOperatorTemplate);
    }
  }
}

}  // namespace
}  // namespace tavrel
