// tavrel upload and a scan step that sends, on the bundled sample workspace: the real program,
// generator and archive against the transmission-server simulator on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "child_process.h"
#include "integration/varnex_sim_fixture.h"
#include "sample_home.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ReadBytes;
using testing::SampleAccount;
using testing::SampleHome;
using testing::TempFolder;
using testing::VarnexSimOptions;
using testing::VarnexSimulator;
using testing::WriteBytes;

const std::string kProgram = TAVREL_BINARY_DIR "/tavrel";

std::string LastLine(const std::string& text) {
  const std::size_t end = text.size() > 0 && text.back() == '\n' ? text.size() - 1 : text.size();
  const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start + 1));
}

TEST(UploadCommand, ExitCodeAndMessagesSayWhatReachedTheServer) {
  struct Case {
    const char* Name;
    bool RefuseLogins;
    bool DropArchive;
    bool SemaphoreWaiting;
    bool FeedMissing;
    int ExpectedExit;
    std::string ExpectedErr;  // "<port>", "<home>" stand for this run's; "..." ends a prefix
    std::vector<std::string> ExpectedReceived;
    bool ExpectedGenerated;
    bool ExpectedHandled;
  };
  const std::string folder = "/Varnex/Transfer/tavrel/";
  const std::vector<Case> cases = {
      {"sent although a category is undefined",
       false,
       false,
       false,
       false,
       0,
       "Sending update.zip to 127.0.0.1 (...",
       {folder + "update.zip", folder + "update.sem"},
       true,
       true},
      {"feed file missing",
       false,
       false,
       false,
       true,
       1,
       "XML File not found\n<home>/Feed/news.xml: feed file not found\n",
       {},
       false,
       false},
      {"refused login: nothing generated, nothing sent",
       true,
       false,
       false,
       false,
       4,
       "Connection to Varnex failed.\n127.0.0.1:<port>: ...",
       {},
       false,
       false},
      {"busy server",
       false,
       false,
       true,
       false,
       5,
       "Varnex is busy.\n127.0.0.1:<port>: Varnex\\Transfer\\tavrel\\Update.sem is waiting; "
       "nothing was sent\n",
       {},
       false,
       false},
      {"archive broken off: no semaphore, feed stays unhandled",
       false,
       true,
       false,
       false,
       6,
       "Sending update.zip to 127.0.0.1 (...",
       {},
       true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    VarnexSimOptions options = SampleAccount();
    options.RefuseLogins = c.RefuseLogins;
    if (c.DropArchive) options.DropAfter = 100;
    VarnexSimulator simulator(options);
    SampleHome home(simulator);
    // The sample defines every category of its feed: one is renamed to one it does not. And
    // a title no page can hold is reported, though its page is sent.
    std::string longTitle;
    for (int word = 0; word < 150; ++word) longTitle += word == 0 ? "Storm" : " Storm";
    std::string feed = ReadBytes(home.Feed().string());
    ASSERT_NE(feed.find("<category>Technology<"), std::string::npos);
    feed = std::regex_replace(feed, std::regex("<category>Technology<"), "<category>Gardening<");
    feed = std::regex_replace(feed, std::regex("Harbour bridge reopens early"), longTitle);
    WriteBytes(home.Feed().string(), feed);
    if (c.FeedMissing) fs::remove(home.Feed());
    if (c.SemaphoreWaiting) {
      WriteBytes((simulator.TransferDir() / "Update.sem").string(), "Update\r\n");
    }

    ChildProcess upload({kProgram, "--home", home.Dir.string(), "upload"});
    EXPECT_EQ(upload.Finish(120s), c.ExpectedExit) << upload.Err;

    std::string expected = std::regex_replace(
        std::regex_replace(c.ExpectedErr, std::regex("<port>"), std::to_string(simulator.Port())),
        std::regex("<home>"), home.Dir.string());
    if (expected.size() >= 3 && expected.substr(expected.size() - 3) == "...") {
      expected.resize(expected.size() - 3);
      EXPECT_EQ(upload.Err.substr(0, expected.size()), expected) << upload.Err;
    } else {
      EXPECT_EQ(upload.Err, expected);
    }
    EXPECT_EQ(simulator.ReceivedNames(), c.ExpectedReceived);
    EXPECT_EQ(fs::exists(home.Dir / "Export" / "Control.dat"), c.ExpectedGenerated);
    EXPECT_EQ(fs::exists(home.HandledCopy()), c.ExpectedHandled);
    if (c.ExpectedHandled) {
      EXPECT_EQ(ReadBytes(home.HandledCopy().string()), ReadBytes(home.Feed().string()));
    }
    if (c.ExpectedExit == 0) {
      // The feed check's finding is shown, and the defined categories still go on air.
      EXPECT_NE(upload.Out.find("Category \"Gardening\" not defined."), std::string::npos)
          << upload.Out;
      EXPECT_NE(upload.Out.find("  Message \"" + longTitle.substr(0, 60) +
                                "...\" on page 101: the text block of " + home.Dir.string() +
                                "/Templates/news_message.tpg has no room for the title"),
                std::string::npos)
          << upload.Out;
      EXPECT_TRUE(fs::exists(simulator.OnAirDir() / "101-0000.pag"));
      EXPECT_EQ(LastLine(upload.Err), "update.zip: 100%");
      EXPECT_EQ(LastLine(upload.Out),
                "Update sent to 127.0.0.1:" + std::to_string(simulator.Port()) +
                    " Varnex\\Transfer\\tavrel\\ (update.zip, then update.sem)");
      ASSERT_TRUE(simulator.WaitForReportLines(1));
      EXPECT_NE(simulator.ReportLines().at(0).find("\tpublished\t"), std::string::npos)
          << simulator.ReportLines().at(0);
      EXPECT_TRUE(fs::exists(simulator.OnAirDir() / "100-0000.pag"));
    }
    if (c.DropArchive) {
      EXPECT_NE(upload.Err.find("\nUpload failed: update.zip not stored on 127.0.0.1: "),
                std::string::npos)
          << upload.Err;
    }
  }
}

// The scan sends a changed feed once: the next step finds it handled and connects to nobody.
TEST(ScanOnce, ChangedSampleFeedGoesOnAirOnceThenNoChanges) {
  struct Step {
    const char* Name;
    int ExpectedExit;
    std::string ExpectedSecondStatus;
    std::size_t ExpectedConnections;
    std::size_t ExpectedReports;
  };
  const std::vector<Step> steps = {
      {"changed: generated and sent", 0, "Processing", 4, 1},
      {"the same feed again", 3, "No changes", 4, 1},
  };
  VarnexSimulator simulator(SampleAccount());
  SampleHome home(simulator);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Name);
    ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--once"});
    EXPECT_EQ(scan.Finish(120s), step.ExpectedExit) << scan.Err;
    std::vector<std::string> texts;
    for (std::size_t start = 0; start < scan.Out.size();) {
      const std::size_t end = scan.Out.find('\n', start);
      const std::string line = scan.Out.substr(start, end - start);
      texts.push_back(line.substr(line.find(' ') + 1));
      start = end == std::string::npos ? scan.Out.size() : end + 1;
    }
    ASSERT_GE(texts.size(), 4u) << scan.Out;
    EXPECT_EQ(texts[1], "Checking");
    EXPECT_EQ(texts[2], step.ExpectedSecondStatus);
    EXPECT_EQ(texts.back(), "Idle");
    if (step.ExpectedReports > simulator.ReportLines().size()) {
      ASSERT_TRUE(simulator.WaitForReportLines(step.ExpectedReports));
    }
    EXPECT_EQ(simulator.ReportLines().size(), step.ExpectedReports);
    // Connection test, busy test and the two stores, each on a connection of its own; none
    // for a feed that did not change.
    EXPECT_EQ(simulator.LogDetails("CONNECT").size(), step.ExpectedConnections);
  }
}

}  // namespace
}  // namespace tavrel
