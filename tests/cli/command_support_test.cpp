#include "command_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/temp_folder.h"
#include "support/error.h"

namespace tavrel::cli {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::ReadBytes;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

TEST(OpenSettingsStore, CreatesTheHomeLikeTheProgramStartButNeverSaves) {
  struct Case {
    const char* Name;
    const char* Existing;  // settings file content, nullptr: none
  };
  const std::vector<Case> cases = {
      {"empty home", nullptr},
      {"operator's file", "; being edited\n[Settings]\nScanInterval=42\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string home = folder / "new/home";
    if (c.Existing) {
      fs::create_directories(home);
      WriteBytes(home + "/tavrel.ini", c.Existing);
    }
    CommandContext context{home, "/usr/bin/tavrel", {}};
    {
      TRIGlobals settings = OpenSettingsStore(context);
      EXPECT_EQ(settings.ProgramDir, home + "/");
      EXPECT_EQ(settings.ScanInterval, c.Existing ? 42 : 10);
      EXPECT_FALSE(settings.SaveOnExit);
      settings.ScanInterval = 5;
    }
    for (const auto* dir : {"Import", "Export", "Handled", "Templates"}) {
      EXPECT_TRUE(fs::is_directory(home + "/" + dir)) << dir;
    }
    if (c.Existing) {
      EXPECT_EQ(ReadBytes(home + "/tavrel.ini"), c.Existing);
    } else {
      EXPECT_FALSE(fs::exists(home + "/tavrel.ini"));
    }
  }
}

TEST(OpenSettingsStore, HomeThatIsAFileIsAClearError) {
  TempFolder folder;
  const std::string home = folder / "file";
  WriteBytes(home, "x");
  try {
    OpenSettingsStore(CommandContext{home, "tavrel", {}});
    ADD_FAILURE() << "a file accepted as home";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), home + ": cannot use as home folder: not a folder");
  }
}

}  // namespace
}  // namespace tavrel::cli
