// The scan service publishing to an inserter's page folder, end to end on the sample workspace:
// the real program, a feed rewritten while it runs, and a real teletext decoder reading the
// pages that ended in the folder.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "page/tti_file.h"
#include "testing/run_command.h"
#include "testing/temp_folder.h"
#include "testing/zvbi_receiver.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kProgram = TAVREL_BINARY_DIR "/tavrel";

// Every file of a folder, name to bytes.
std::map<std::string, std::string> FilesOf(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = ReadBytes(entry.path());
  }
  return files;
}

// The sample feed with one more News message, so that each version makes other pages.
std::string FeedVersion(const std::string& original, int version) {
  const std::string item = "<item><title>Folder update " + std::to_string(version) +
                           "</title><category>News</category><description>Version " +
                           std::to_string(version) + " of the feed.</description></item>";
  return std::regex_replace(original, std::regex("<item>"), item + "<item>",
                            std::regex_constants::format_first_only);
}

// Cells of the national option positions differ between character sets; the decoder shows
// them in the set the header names, our rows hold the codes.
bool IsNationalPosition(unsigned char code) {
  static const std::set<unsigned char> positions = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D, 0x5E,
                                                    0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};
  return positions.contains(code);
}

TEST(FolderTargetScan, FeedChangedThreeTimesEndsAsTheLastGenerationInTheFolder) {
  TempFolder temp;
  const fs::path home = temp.Root() / "home";
  fs::copy(TAVREL_SOURCE_DIR "/data/sample", home, fs::copy_options::recursive);
  const fs::path pages = temp.Root() / "inserter pages";
  fs::create_directory(pages);
  WriteBytes(pages / "README.txt", "the inserter's own file");
  std::string settings = ReadBytes(home / "tavrel.ini");
  settings =
      std::regex_replace(settings, std::regex("\\[Settings\\]\r?\n"),
                         "[Settings]\r\nTarget=Folder\r\nTargetFolder=../inserter pages\r\n");
  WriteBytes(home / "tavrel.ini", settings);
  const fs::path feed = home / "Feed" / "news.xml";
  const std::string original = ReadBytes(feed);

  ChildProcess scan({kProgram, "--home", home.string(), "scan", "--interval", "3600"});
  ASSERT_TRUE(scan.WaitForOutput("Scan started", 20s)) << scan.Out << scan.Err;
  EXPECT_NE(scan.Out.find("page folder "), std::string::npos) << scan.Out;
  // Three versions within two seconds, each written and closed as an editor saves.
  for (int version = 1; version <= 3; ++version) {
    WriteBytes(feed, FeedVersion(original, version));
    if (version < 3) std::this_thread::sleep_for(700ms);
  }
  const std::string last = FeedVersion(original, 3);
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (ReadBytes(home / "Handled" / "news.xml") != last &&
         std::chrono::steady_clock::now() < deadline) {
    scan.WaitForOutput("\n\n", 100ms);  // keeps reading its output meanwhile
  }
  ASSERT_EQ(ReadBytes(home / "Handled" / "news.xml"), last) << scan.Out << scan.Err;
  scan.Signal(SIGTERM);
  ASSERT_EQ(scan.Finish(30s), 0) << scan.Out << scan.Err;

  // The folder holds exactly what the last generation exports as TTI, beside the foreign file.
  const fs::path exported = temp.Root() / "exported";
  const fs::path stream = temp.Root() / "pages.t42";
  const auto export_ =
      testing::RunCommand(kProgram + " --home '" + home.string() + "' export --tti '" +
                          exported.string() + "' --t42 '" + stream.string() + "'");
  ASSERT_EQ(export_.ExitCode, 0) << export_.Output;
  std::map<std::string, std::string> expected = FilesOf(exported);
  ASSERT_FALSE(expected.empty());
  expected["README.txt"] = "the inserter's own file";
  const std::map<std::string, std::string> inFolder = FilesOf(pages);
  EXPECT_EQ(inFolder, expected);
  std::string allText;
  for (const auto& [name, bytes] : inFolder) allText += bytes;
  EXPECT_NE(allText.find("Folder update 3"), std::string::npos);
  EXPECT_EQ(allText.find("Folder update 2"), std::string::npos);
  EXPECT_EQ(allText.find("Folder update 1"), std::string::npos);

  // Every sub-page of every file decodes from the T42 stream to the rows the file holds.
  testing::TZvbiReceiver receiver;
  receiver.Feed(ReadBytes(stream));
  int compared = 0;
  for (const auto& [name, bytes] : inFolder) {
    if (!name.ends_with(".tti")) continue;
    const TTtiFile file = TTtiFile::Parse(bytes, name);
    for (const TTtiPage& page : file.Pages) {
      SCOPED_TRACE(name + " sub-code " + std::to_string(page.SubCode.value_or(0)));
      const std::vector<std::u16string> rows =
          receiver.Rows(page.PageAddress, page.SubCode.value_or(0));
      ASSERT_EQ(rows.size(), 23u);
      bool belowDoubleHeight = false;
      for (int row = 1; row < 24; ++row) {
        std::string cells;
        for (int column = 0; column < 40; ++column) cells += char(page.Cell(row, column));
        // The decoder repeats a double-height row in the row below it.
        if (!belowDoubleHeight) {
          const std::u16string shown = testing::ShownRow(cells);
          for (int column = 0; column < 40; ++column) {
            if (IsNationalPosition(static_cast<unsigned char>(cells[column]))) continue;
            EXPECT_EQ(rows[row - 1][column], shown[column])
                << "row " << row << " column " << column;
          }
        }
        belowDoubleHeight = cells.find('\x0D') != std::string::npos;
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 10);
}

}  // namespace
}  // namespace tavrel
