// The scan step and the update package against the transmission-server simulator and Python's
// http.server, both on 127.0.0.1. The page generator is stood in for by a function that
// writes two valid pages and their Control.dat, as the scan takes generation as an operation.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "http_server_fixture.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/scan_cycle.h"
#include "pipeline/settings_store.h"
#include "support/error.h"
#include "testing/page_records.h"
#include "testing/run_command.h"
#include "testing/temp_folder.h"
#include "transfer/feed_fetch.h"
#include "transfer/update_upload.h"
#include "varnex_sim_fixture.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::PageRecord;
using testing::PythonHttpServer;
using testing::ReadBytes;
using testing::RunCommand;
using testing::TempFolder;
using testing::VarnexSimOptions;
using testing::VarnexSimulator;
using testing::WriteBytes;

// The scan's waits cost no time here; what they look like is the unit tests' business.
class InstantClock final : public TScanClock {
 public:
  std::chrono::steady_clock::time_point Now() override { return now_; }
  void Wait(std::chrono::milliseconds duration, std::stop_token = {}) override { now_ += duration; }

 private:
  std::chrono::steady_clock::time_point now_{};
};

const std::string kFeed = "<rss><channel><item><title>Storm</title></item></channel></rss>\r\n";
const std::string kControlFile =
    "[100.0000]\r\nFilename=100-0000.pag\r\n\r\n[101.0000]\r\nFilename=101-0000.pag\r\n\r\n";

// Writes what a generator run leaves in ExportDir.
void WriteGeneratedPages(const std::string& exportDir) {
  WriteBytes(fs::path(exportDir) / "100-0000.pag", PageRecord(100, "Storm"));
  WriteBytes(fs::path(exportDir) / "101-0000.pag", PageRecord(101, "Weather"));
  WriteBytes(fs::path(exportDir) / "Control.dat", kControlFile);
}

// A home folder whose settings take the feed from a local file and send to the simulator.
struct Home {
  explicit Home(const VarnexSimulator& simulator) {
    Globals = std::make_unique<TRIGlobals>(Temp.Dir());
    FeedFile = Temp.Root() / "feeds" / "news.xml";
    WriteBytes(FeedFile, kFeed);
    Globals->IsXMLWeb = false;
    Globals->XMLFilePath = FeedFile.string();
    Globals->Server = simulator.Server();
  }
  std::string HandledCopy() const { return Globals->HandledDir + Globals->XmlFileName(); }

  TempFolder Temp;
  std::unique_ptr<TRIGlobals> Globals;
  fs::path FeedFile;
};

// One scan step with the real operations; answers the status texts it showed.
std::vector<std::string> RunScanStep(TRIGlobals& globals, const std::function<bool()>& generate) {
  std::vector<std::string> shown;
  InstantClock clock;
  TScanCycle cycle(MakeScanOperations(globals, generate), clock,
                   {[&](const std::string& text) { shown.push_back(text); }, nullptr});
  cycle.RunStep();
  return shown;
}

std::vector<std::string> ReceivedNames(const VarnexSimulator& simulator) {
  std::vector<std::string> names;
  for (const std::string& detail : simulator.LogDetails("RECEIVED")) {
    names.push_back(detail.substr(0, detail.find(' ')));
  }
  return names;
}

TEST(ScanAgainstServer, EachRoadShowsItsStatusAndSendsOnlyWhatItShould) {
  struct Case {
    const char* Name;
    VarnexSimOptions Options;
    bool HandledCopyEqualsFeed;
    bool SemaphoreWaiting;
    bool GenerationFails;
    std::vector<std::string> ExpectedTexts;  // the last but one may be a prefix, see below
    std::vector<std::string> ExpectedReceived;
    bool ExpectedConnection;
    bool ExpectedHandled;
  };
  VarnexSimOptions normal;
  VarnexSimOptions refusing;
  refusing.RefuseLogins = true;
  VarnexSimOptions dropping;
  dropping.DropAfter = 100;
  const std::string folder = "/Varnex/Transfer/tavrel/";
  const std::vector<Case> cases = {
      {"unchanged feed: no connection at all",
       normal,
       true,
       false,
       false,
       {"Checking", "No changes", "Idle"},
       {},
       false,
       true},
      {"changed feed is sent, archive before semaphore",
       normal,
       false,
       false,
       false,
       {"Checking", "Processing", "Idle"},
       {folder + "update.zip", folder + "update.sem"},
       true,
       true},
      {"busy server gets nothing",
       normal,
       false,
       true,
       false,
       {"Checking", "Server Busy", "Idle"},
       {},
       true,
       false},
      {"refused login",
       refusing,
       false,
       false,
       false,
       {"Checking", "Connection failed: ", "Idle"},
       {},
       true,
       false},
      {"broken archive upload sends no semaphore",
       dropping,
       false,
       false,
       false,
       {"Checking", "Processing", "Upload failed: update.zip not stored on 127.0.0.1: ", "Idle"},
       {},
       true,
       false},
      {"generation error ends the step",
       normal,
       false,
       false,
       true,
       {"Checking", "Processing", "Error: Import/news.xml:1:1: bad feed", "Idle"},
       {},
       true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    VarnexSimulator simulator(c.Options);
    Home home(simulator);
    if (c.HandledCopyEqualsFeed) WriteBytes(home.HandledCopy(), kFeed);
    if (c.SemaphoreWaiting) WriteBytes(simulator.TransferDir() / "Update.sem", "Update\r\n");
    const auto generate = [&] {
      if (c.GenerationFails) throw Error("Import/news.xml:1:1: bad feed");
      WriteGeneratedPages(home.Globals->ExportDir);
      return true;
    };

    std::vector<std::string> shown = RunScanStep(*home.Globals, generate);

    // An upload failure names the client library's reason after a fixed start.
    ASSERT_EQ(shown.size(), c.ExpectedTexts.size());
    for (size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i].substr(0, c.ExpectedTexts[i].size()), c.ExpectedTexts[i]) << shown[i];
    }
    EXPECT_EQ(ReceivedNames(simulator), c.ExpectedReceived);
    EXPECT_EQ(!simulator.LogDetails("CONNECT").empty(), c.ExpectedConnection);
    EXPECT_EQ(ReadBytes(home.HandledCopy()) == kFeed, c.ExpectedHandled);
    if (!c.ExpectedReceived.empty()) {
      ASSERT_TRUE(simulator.WaitForReportLines(1));
      const std::string report = simulator.ReportLines().at(0);
      EXPECT_NE(report.find("\tpublished\t2 pages"), std::string::npos) << report;
      EXPECT_TRUE(ReadBytes(simulator.OnAirDir() / "100-0000.pag") == PageRecord(100, "Storm"));
    }
  }
}

// With TLS required a scan step publishes through the TLS simulator as through a plain one;
// an expired certificate stops it before the login, and nothing reaches the server.
TEST(ScanAgainstServer, PublishesOverTlsAndRefusesAnExpiredCertificate) {
  TempFolder certificates;
  const std::string script =
      std::string("/bin/sh '") + TAVREL_TEST_CERTIFICATE_SCRIPT + "' '" + certificates.Dir() + "'";
  ASSERT_EQ(std::system(script.c_str()), 0);
  const struct {
    const char* Certificate;
    std::vector<std::string> ExpectedTexts;
    bool Published;
  } cases[] = {
      {"good", {"Checking", "Processing", "Idle"}, true},
      {"expired",
       {"Checking",
        "Connection failed: the server's certificate was not accepted: it has expired (", "Idle"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Certificate);
    VarnexSimOptions options;
    options.TlsCertificate = certificates.Root() / (std::string(c.Certificate) + ".pem");
    options.TlsKey = certificates.Root() / (std::string(c.Certificate) + ".key");
    VarnexSimulator simulator(options);
    Home home(simulator);
    home.Globals->Server.FTPUseTLS = true;
    home.Globals->Server.FTPCAFile = (certificates.Root() / "ca.pem").string();
    const auto generate = [&] {
      WriteGeneratedPages(home.Globals->ExportDir);
      return true;
    };
    // The reason ends with the TLS library's own words, so the middle text is a prefix.
    const std::vector<std::string> shown = RunScanStep(*home.Globals, generate);
    ASSERT_EQ(shown.size(), c.ExpectedTexts.size());
    for (size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i].substr(0, c.ExpectedTexts[i].size()), c.ExpectedTexts[i]) << shown[i];
    }
    EXPECT_EQ(simulator.LogDetails("USER").empty(), !c.Published);
    if (c.Published) {
      ASSERT_TRUE(simulator.WaitForReportLines(1));
      EXPECT_TRUE(ReadBytes(simulator.OnAirDir() / "100-0000.pag") == PageRecord(100, "Storm"));
    } else {
      EXPECT_TRUE(ReceivedNames(simulator).empty());
      EXPECT_TRUE(simulator.ReportLines().empty());
    }
  }
}

// A change found while the server is busy is not lost: it stays unhandled, and the first step
// that finds the server free sends it. The feed comes from a web server here.
TEST(ScanAgainstServer, ChangeFoundWhileBusyIsSentOnceTheServerIsFree) {
  VarnexSimOptions options;
  options.Delay = 0.1;
  VarnexSimulator simulator(options);
  Home home(simulator);
  TempFolder site;
  WriteBytes(site.Root() / "rss.xml", "<rss>\n<channel/>\n</rss>\n");
  PythonHttpServer web(site.Root());
  home.Globals->IsXMLWeb = true;
  home.Globals->XmlUrl = web.Url("rss.xml");
  WriteBytes(simulator.TransferDir() / "Update.sem", "Update\r\n");
  const auto generate = [&] {
    WriteGeneratedPages(home.Globals->ExportDir);
    return true;
  };

  struct Step {
    const char* Name;
    bool FreeTheServerFirst;
    std::vector<std::string> ExpectedTexts;
    size_t ExpectedReports;
  };
  const std::vector<Step> steps = {
      {"busy", false, {"Checking", "Server Busy", "Idle"}, 0},
      {"still busy", false, {"Checking", "Server Busy", "Idle"}, 0},
      {"free: the waiting change goes", true, {"Checking", "Processing", "Idle"}, 1},
      {"handled now", false, {"Checking", "No changes", "Idle"}, 1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Name);
    if (step.FreeTheServerFirst) fs::remove(simulator.TransferDir() / "Update.sem");
    EXPECT_EQ(RunScanStep(*home.Globals, generate), step.ExpectedTexts);
    if (step.ExpectedReports > 0) {
      ASSERT_TRUE(simulator.WaitForReportLines(step.ExpectedReports));
    }
    EXPECT_EQ(simulator.ReportLines().size(), step.ExpectedReports);
  }
  EXPECT_EQ(ReadBytes(home.Globals->HandledDir + "WebRSS.xml"),
            "<rss>\r\n<channel/>\r\n</rss>\r\n");
}

// Python's zipfile lists the archive's members.
std::vector<std::string> ArchiveMembers(const fs::path& archive) {
  const auto result = RunCommand(
      "/usr/bin/python3 -c 'import sys, zipfile; print(\"\\n\".join(zipfile.ZipFile(sys.argv[1])"
      ".namelist()))' " +
      archive.string());
  std::vector<std::string> names;
  size_t start = 0;
  while (start < result.Output.size()) {
    const size_t end = result.Output.find('\n', start);
    if (end > start) names.push_back(result.Output.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

TEST(UpdateUpload, ArchiveHoldsTheExportFilesOnlyAndGoesToTheFolderAsWritten) {
  struct Case {
    const char* Name;
    std::string TransferDir;
    std::string ExpectedRemoteFolder;
    std::string ExpectedServerFolder;  // as the simulator logs it
  };
  const std::vector<Case> cases = {
      {"default transfer folder", "Varnex\\Transfer\\", "Varnex\\Transfer\\tavrel\\",
       "/Varnex/Transfer/tavrel/"},
      {"no trailing backslash: joined as it stands", "Varnex\\Transfer", "Varnex\\Transfertavrel\\",
       "/Varnex/Transfertavrel/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    VarnexSimulator simulator;
    fs::create_directories(simulator.RootDir() / "Varnex" / "Transfertavrel");
    Home home(simulator);
    home.Globals->TransferDir = c.TransferDir;
    const fs::path exportDir = home.Globals->ExportDir;
    WriteGeneratedPages(exportDir.string());
    WriteBytes(exportDir / "update.sem", "left from an earlier run");
    WriteBytes(exportDir / "old" / "099-0000.pag", PageRecord(99, "Old"));

    EXPECT_EQ(RemoteTransferFolder(home.Globals->Server, home.Globals->TransferDir),
              c.ExpectedRemoteFolder);
    std::string failure;
    EXPECT_TRUE(UploadUpdate(UpdateTargetOf(*home.Globals), nullptr, &failure)) << failure;

    EXPECT_EQ(ArchiveMembers(exportDir / "update.zip"),
              (std::vector<std::string>{"100-0000.pag", "101-0000.pag", "Control.dat"}));
    EXPECT_EQ(ReadBytes(exportDir / "update.sem"), "Update\r\n");
    EXPECT_EQ(ReceivedNames(simulator),
              (std::vector<std::string>{c.ExpectedServerFolder + "update.zip",
                                        c.ExpectedServerFolder + "update.sem"}));
    EXPECT_EQ(simulator.LogDetails("RECEIVED").back(), c.ExpectedServerFolder + "update.sem 8");
  }
}

}  // namespace
}  // namespace tavrel
