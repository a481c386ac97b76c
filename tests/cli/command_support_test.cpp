#include "command_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/error.h"
#include "testing/temp_folder.h"

namespace tavrel::cli {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::ReadBytes;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

TEST(OpenSettingsStore, CreatesTheWorkingFoldersButNeverSaves) {
  TempFolder folder;
  const std::string home = folder / "home";
  const std::string existing = "; being edited\n[Settings]\nScanInterval=42\n";
  WriteBytes(home + "/tavrel.ini", existing);
  CommandContext context{home, "/usr/bin/tavrel", {}};
  {
    TRIGlobals settings = OpenSettingsStore(context);
    EXPECT_EQ(settings.ProgramDir, home + "/");
    EXPECT_EQ(settings.ScanInterval, 42);
    EXPECT_FALSE(settings.SaveOnExit);
    settings.ScanInterval = 5;
  }
  for (const auto* dir : {"Import", "Export", "Handled", "Templates"}) {
    EXPECT_TRUE(fs::is_directory(home + "/" + dir)) << dir;
  }
  EXPECT_EQ(ReadBytes(home + "/tavrel.ini"), existing);
}

// A mistyped --home once became a new home with four empty folders.
TEST(OpenSettingsStore, HomeWithoutSettingsFileIsAnErrorAndStaysUntouched) {
  for (const bool exists : {false, true}) {
    SCOPED_TRACE(exists ? "empty folder" : "no folder");
    TempFolder folder;
    const std::string home = folder / "new/home";
    if (exists) fs::create_directories(home);
    try {
      OpenSettingsStore(CommandContext{home, "tavrel", {}});
      ADD_FAILURE() << "a home without settings accepted";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), "no settings file " + home + "/tavrel.ini");
    }
    EXPECT_EQ(fs::exists(home), exists);
    EXPECT_FALSE(fs::exists(home + "/Import"));
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
