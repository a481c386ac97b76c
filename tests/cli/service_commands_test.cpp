// The upload and scan commands as an operator or a service manager runs them: the real
// program against the transmission-server simulator and Python's http.server on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "child_process.h"
#include "integration/http_server_fixture.h"
#include "integration/varnex_sim_fixture.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::PythonHttpServer;
using testing::ReadBytes;
using testing::TempFolder;
using testing::VarnexSimOptions;
using testing::VarnexSimulator;
using testing::WriteBytes;

const std::string kProgram = TAVREL_BINARY_DIR "/tavrel";
const std::string kFeed = "<rss><channel><item><title>Storm</title></item></channel></rss>\r\n";

// A home whose settings take the feed from a local file (or a URL) and send to the simulator.
struct Home {
  Home(const VarnexSimulator& simulator, const std::string& url = "") {
    FeedFile = fs::path(Temp / "feeds") / "news.xml";
    fs::create_directories(FeedFile.parent_path());
    WriteBytes(FeedFile.string(), kFeed);
    Dir = Temp / "home";
    fs::create_directories(Dir);
    Settings = "; written by hand: a rewrite would drop this comment\r\n[Settings]\r\n" +
               std::string(url.empty() ? "IsXMLWeb=0\r\n" : "IsXMLWeb=1\r\n") +
               "XMLFilePath=" + FeedFile.string() + "\r\nXmlUrl=" + url +
               "\r\nFTPHost=127.0.0.1\r\nFTPUser=tavrel\r\nFTPPassword=secret\r\nFTPPort=" +
               std::to_string(simulator.Port()) + "\r\nFTPPassive=1\r\nScanInterval=0\r\n";
    WriteBytes((Dir / "tavrel.ini").string(), Settings);
  }
  fs::path HandledCopy() const { return Dir / "Handled" / "news.xml"; }

  TempFolder Temp;
  fs::path FeedFile;
  fs::path Dir;
  std::string Settings;
};

// The texts of the status lines, each checked for its ISO 8601 local time stamp.
std::vector<std::string> StatusTexts(const std::string& output) {
  static const std::regex stamped(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d (.*)$)");
  std::vector<std::string> texts;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    std::smatch match;
    if (std::regex_match(line, match, stamped)) {
      texts.push_back(match[1]);
    } else {
      texts.push_back("UNSTAMPED " + line);
    }
    start = end + 1;
  }
  return texts;
}

TEST(ScanOnce, ExitCodeAndStatusLinesSayHowTheStepEnded) {
  struct Case {
    const char* Name;
    bool RefuseLogins;
    bool HandledCopyEqualsFeed;
    bool SemaphoreWaiting;
    const char* WebFeed;  // a path on the web server; nullptr: the local feed file
    int ExpectedExit;
    std::vector<std::string> ExpectedTexts;  // after the first line; "<url>" is the feed URL
    bool ExpectedConnection;
  };
  const std::vector<Case> cases = {
      {"unchanged feed: no connection",
       false,
       true,
       false,
       nullptr,
       3,
       {"Checking", "No changes", "Idle"},
       false},
      {"refused login",
       true,
       false,
       false,
       nullptr,
       4,
       {"Checking",
        "Connection failed: the server refused the user name or password (Access denied: 530; "
        "server: 530 Logins are refused.)",
        "Idle"},
       true},
      {"busy server", false, false, true, nullptr, 5, {"Checking", "Server Busy", "Idle"}, true},
      {"web feed missing: an error, not \"No changes\"",
       false,
       true,
       false,
       "missing.xml",
       1,
       {"Checking", "Error: <url>: HTTP status 404", "Idle"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    VarnexSimOptions options;
    options.RefuseLogins = c.RefuseLogins;
    VarnexSimulator simulator(options);
    TempFolder site;
    PythonHttpServer web(site.Path());
    const std::string url = c.WebFeed ? web.Url(c.WebFeed) : "";
    Home home(simulator, url);
    if (c.HandledCopyEqualsFeed) {
      fs::create_directories(home.HandledCopy().parent_path());
      WriteBytes(home.HandledCopy().string(), kFeed);
    }
    if (c.SemaphoreWaiting)
      WriteBytes((simulator.TransferDir() / "Update.sem").string(), "Update\r\n");

    ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--once"});
    EXPECT_EQ(scan.Finish(60s), c.ExpectedExit) << scan.Err;

    std::vector<std::string> expected = {
        "Scan step: feed " + (url.empty() ? home.FeedFile.string() : url) +
        ", server 127.0.0.1:" + std::to_string(simulator.Port()) + " Varnex\\Transfer\\tavrel\\"};
    for (std::string text : c.ExpectedTexts) {
      if (const auto at = text.find("<url>"); at != std::string::npos) text.replace(at, 5, url);
      expected.push_back(text);
    }
    EXPECT_EQ(StatusTexts(scan.Out), expected);
    EXPECT_EQ(!simulator.LogDetails("CONNECT").empty(), c.ExpectedConnection);
    EXPECT_TRUE(simulator.ReceivedNames().empty());
    // A change that was not sent stays unhandled, so the next step tries it again.
    EXPECT_EQ(fs::exists(home.HandledCopy()), c.HandledCopyEqualsFeed);
  }
}

// A service manager stops the scan with SIGTERM, an operator with Ctrl-C: the step under way
// ends as usual, the service says it stopped and exits 0, and the settings file is untouched.
TEST(ScanService, StopSignalEndsItAfterTheCurrentStep) {
  struct Case {
    const char* Name;
    int Signal;
    const char* Interval;
    const char* SignalAfter;                 // status text after which the signal is sent
    std::vector<std::string> ExpectedTexts;  // after the start line
  };
  const std::vector<Case> cases = {
      {"SIGTERM inside a step",
       SIGTERM,
       "0",
       "Checking",
       {"Checking", "No changes", "Idle", "Scan stopped"}},
      {"SIGINT inside a step",
       SIGINT,
       "0",
       "Checking",
       {"Checking", "No changes", "Idle", "Scan stopped"}},
      {"SIGTERM while waiting for the first step",
       SIGTERM,
       "3600",
       "Scan started",
       {"Scan stopped"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    VarnexSimulator simulator;
    Home home(simulator);
    fs::create_directories(home.HandledCopy().parent_path());
    WriteBytes(home.HandledCopy().string(), kFeed);
    struct stat before {};
    ASSERT_EQ(stat((home.Dir / "tavrel.ini").c_str(), &before), 0);

    ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--interval", c.Interval});
    ASSERT_TRUE(scan.WaitForOutput(std::string(" ") + c.SignalAfter, 30s)) << scan.Out;
    scan.Signal(c.Signal);
    EXPECT_EQ(scan.Finish(30s), 0) << scan.Err;

    std::vector<std::string> texts = StatusTexts(scan.Out);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Scan started: a step every " + std::string(c.Interval) + " s, feed " +
                                 home.FeedFile.string() + ", server 127.0.0.1:" +
                                 std::to_string(simulator.Port()) + " Varnex\\Transfer\\tavrel\\");
    texts.erase(texts.begin());
    EXPECT_EQ(texts, c.ExpectedTexts);
    EXPECT_EQ(ReadBytes((home.Dir / "tavrel.ini").string()), home.Settings);
    struct stat after {};
    ASSERT_EQ(stat((home.Dir / "tavrel.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  }
}

// The service watches the feed file by its name: a file written beside it in the same folder
// starts no step, a write of the feed itself starts one once the file has settled, long before
// the hour the timer waits.
TEST(ScanService, OnlyAWriteOfTheFeedFileStartsAStep) {
  VarnexSimulator simulator;
  Home home(simulator);
  fs::create_directories(home.HandledCopy().parent_path());
  WriteBytes(home.HandledCopy().string(), kFeed);
  ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--interval", "3600"});
  ASSERT_TRUE(scan.WaitForOutput(" Scan started", 30s)) << scan.Out;

  WriteBytes((home.FeedFile.parent_path() / "notes.txt").string(), "not the feed");
  WriteBytes((home.FeedFile.parent_path() / "news.xml.part").string(), kFeed);
  EXPECT_FALSE(scan.WaitForOutput(" Checking", 3s)) << scan.Out;

  WriteBytes(home.FeedFile.string(),
             "<rss><channel><item><title>Flood</title></item></channel></rss>\r\n");
  EXPECT_TRUE(scan.WaitForOutput(" Checking", 30s)) << scan.Out;
  ASSERT_TRUE(scan.WaitForOutput(" Idle", 60s)) << scan.Out;
  scan.Signal(SIGTERM);
  EXPECT_EQ(scan.Finish(30s), 0) << scan.Err;
  std::vector<std::string> texts = StatusTexts(scan.Out);
  // One step, for the one write of the feed.
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Checking"), 1) << scan.Out;
}

TEST(ServiceCommands, WrongUsageIsExitCodeTwoWithTheReason) {
  struct Case {
    std::vector<std::string> Arguments;
    std::string ExpectedFirstLine;
  };
  const std::vector<Case> cases = {
      {{"scan", "--interval", "ten"},
       "tavrel scan: --interval must be a whole number of seconds from 0 to 604800, not 'ten'"},
      {{"scan", "--interval", "-1"},
       "tavrel scan: --interval must be a whole number of seconds from 0 to 604800, not '-1'"},
      {{"scan", "--interval", "604801"},
       "tavrel scan: --interval must be a whole number of seconds from 0 to 604800, not "
       "'604801'"},
      {{"scan", "--interval"}, "tavrel scan: --interval needs a number of seconds"},
      {{"scan", "--onse"}, "tavrel scan: unknown argument '--onse'"},
      {{"upload", "now"}, "tavrel upload: unexpected argument 'now'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ExpectedFirstLine);
    TempFolder home;
    std::vector<std::string> arguments = {kProgram, "--home", home.Path()};
    arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
    ChildProcess command(arguments);
    EXPECT_EQ(command.Finish(30s), 2);
    EXPECT_EQ(command.Err.substr(0, command.Err.find('\n')), c.ExpectedFirstLine);
    EXPECT_NE(command.Err.find("Usage: tavrel [--home DIR] " + c.Arguments.front()),
              std::string::npos);
    EXPECT_TRUE(command.Out.empty()) << command.Out;
  }
}

}  // namespace
}  // namespace tavrel
