// tavrel upload and tavrel scan --once with the page folder as the target: the exit codes and
// what they print for a folder that can and one that cannot take pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "testing/run_command.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunCommand;
using testing::TempFolder;
using testing::WriteBytes;

TEST(FolderTargetCommands, UploadAndScanStepPublishOrSayWhyTheFolderCannotTakePages) {
  struct Case {
    const char* Name;
    const char* Command;
    const char* TargetFolder;
    int ExitCode;
    std::string Expected;  // a part of stdout + stderr; <home> replaced
    bool PagesInFolder;
  };
  const std::vector<Case> cases = {
      {"upload into a folder", "upload", "pages", 0, "Pages published to page folder <home>pages",
       true},
      {"scan step into a folder", "scan --once", "pages", 0, "Processing", true},
      // The folder's name beyond ASCII comes out as the file system names it.
      {"upload, folder missing", "upload", "gone p\xc3\xa5ges", 4,
       "Connection failed: <home>gone p\xc3\xa5ges: the page folder cannot be reached", false},
      {"scan step, folder missing", "scan --once", "gone p\xc3\xa5ges", 4,
       "Connection failed: <home>gone p\xc3\xa5ges: the page folder cannot be reached", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder temp;
    const std::string home = (temp.Root() / "home").string() + "/";
    fs::copy(TAVREL_SOURCE_DIR "/data/sample", home, fs::copy_options::recursive);
    fs::create_directory(home + "pages");
    const std::string settings = ReadBytes(home + "tavrel.ini");
    WriteBytes(home + "tavrel.ini",
               std::regex_replace(settings, std::regex("\\[Settings\\]\r?\n"),
                                  std::string("[Settings]\nTarget=Folder\nTargetFolder=") +
                                      c.TargetFolder + "\n"));
    const auto result = RunCommand(std::string(TAVREL_BINARY_DIR) + "/tavrel --home " + home + " " +
                                   c.Command + " 2>&1");
    EXPECT_EQ(result.ExitCode, c.ExitCode) << result.Output;
    const std::string expected = std::regex_replace(c.Expected, std::regex("<home>"), home);
    EXPECT_NE(result.Output.find(expected), std::string::npos) << result.Output;
    int pageFiles = 0;
    for (const auto& entry : fs::directory_iterator(home + "pages")) {
      pageFiles += entry.path().extension() == ".tti" ? 1 : 0;
    }
    EXPECT_EQ(pageFiles > 0, c.PagesInFolder) << pageFiles;
    // Only a complete publication makes the feed the handled copy.
    EXPECT_EQ(fs::exists(home + "Handled/news.xml"), c.PagesInFolder);
  }
}

}  // namespace
}  // namespace tavrel
