// Running the program as operators do: a scan service and manual commands on one home, a
// template mended while the service runs, and a feed that cannot be read. The real program
// against the transmission-server simulator on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
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

// A new version of the sample feed: one more message at the start.
void ChangeFeed(const SampleHome& home, int version) {
  std::string feed = ReadBytes(home.Feed().string());
  const std::string item = "<item><title>Update " + std::to_string(version) +
                           "</title><category>News</category><description>Version " +
                           std::to_string(version) + ".</description></item>";
  feed.insert(feed.find("<item>"), item);
  WriteBytes(home.Feed().string(), feed);
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Every update the simulator took was published: none came without "Control.dat" or with a
// page it does not name (the report says "rejected" and why).
void ExpectAllPublished(const VarnexSimulator& simulator) {
  for (const std::string& line : simulator.ReportLines()) {
    EXPECT_NE(line.find("\tpublished\t"), std::string::npos) << line;
  }
}

// Another process holds the home's lock (as a second Tavrel would) and names itself in it.
struct LockHolder {
  explicit LockHolder(const fs::path& home)
      : Process({"/usr/bin/env", "python3", "-c",
                 "import fcntl, os, sys, time\n"
                 "f = open(sys.argv[1], 'a+')\n"
                 "fcntl.flock(f, fcntl.LOCK_EX)\n"
                 "f.truncate(0); f.write(str(os.getpid())); f.flush()\n"
                 "print('held', flush=True)\n"
                 "time.sleep(120)\n",
                 (home / ".tavrel.lock").string()}) {
    if (!Process.WaitForOutput("held", 30s)) throw std::runtime_error("lock holder did not start");
  }
  ChildProcess Process;
};

TEST(HomeLock, ASecondWriterWaitsThenSaysWhoHoldsTheHome) {
  struct Case {
    const char* Name;
    std::vector<std::string> Command;
    std::string ExpectedErrPrefix;
  };
  const std::vector<Case> cases = {
      {"generate", {"generate"}, "tavrel generate: "},
      {"upload", {"upload"}, ""},
      {"scan --once", {"scan", "--once"}, ""},
  };
  VarnexSimulator simulator(SampleAccount());
  SampleHome home(simulator);
  fs::create_directories(home.Dir / "Export");
  WriteBytes((home.Dir / "Export" / "keep.txt").string(), "left by the other run");
  LockHolder holder(home.Dir);
  const std::string pid =
      std::regex_replace(ReadBytes((home.Dir / ".tavrel.lock").string()), std::regex("\\s+"), "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> arguments = {kProgram, "--home", home.Dir.string()};
    arguments.insert(arguments.end(), c.Command.begin(), c.Command.end());
    const auto start = std::chrono::steady_clock::now();
    ChildProcess command(arguments);
    EXPECT_EQ(command.Finish(60s), 8) << command.Err;
    EXPECT_GE(std::chrono::steady_clock::now() - start, 4500ms);
    const std::string message =
        "another Tavrel is working in " + home.Dir.string() + " (process " + pid + ")";
    EXPECT_NE((command.Err + command.Out).find(c.ExpectedErrPrefix + message), std::string::npos)
        << command.Err << command.Out;
    EXPECT_TRUE(fs::exists(home.Dir / "Export" / "keep.txt"));
  }
  EXPECT_TRUE(simulator.LogDetails("CONNECT").empty());
  // The kernel frees the lock with its process: the next command runs at once.
  holder.Process.Signal(SIGKILL);
  EXPECT_EQ(holder.Process.Finish(10s), -1);
  ChildProcess generate({kProgram, "--home", home.Dir.string(), "generate"});
  EXPECT_EQ(generate.Finish(60s), 0) << generate.Err;
  EXPECT_TRUE(fs::exists(home.Dir / "Export" / "Control.dat"));
}

// A scan service sends every change while an operator regenerates Export/ by hand over and over
// (and a second service runs on the same home): no update goes out half generated.
TEST(HomeLock, ScanServicesAndManualGenerateNeverSendAHalfExport) {
  struct Case {
    const char* Name;
    bool SecondService;
  };
  for (const Case& c :
       std::vector<Case>{{"scan and generate", false}, {"two scan services and generate", true}}) {
    SCOPED_TRACE(c.Name);
    VarnexSimulator simulator(SampleAccount());
    SampleHome home(simulator);
    const std::vector<std::string> service = {kProgram, "--home",     home.Dir.string(),
                                              "scan",   "--interval", "0"};
    ChildProcess first(service);
    std::optional<ChildProcess> second;
    if (c.SecondService) second.emplace(service);
    constexpr int kChanges = 4;
    for (int version = 1; version <= kChanges; ++version) {
      ASSERT_TRUE(simulator.WaitForReportLines(static_cast<std::size_t>(version), 60s))
          << first.Out;
      ChangeFeed(home, version);
      for (int run = 0; run < 3; ++run) {
        ChildProcess generate({kProgram, "--home", home.Dir.string(), "generate"});
        EXPECT_EQ(generate.Finish(60s), 0) << generate.Err;
      }
    }
    ASSERT_TRUE(simulator.WaitForReportLines(kChanges + 1, 60s)) << first.Out;
    // Give the services a few more steps: every change went out once, nothing more follows.
    std::this_thread::sleep_for(3s);
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Finish(30s), 0) << first.Err;
    if (second) {
      second->Signal(SIGTERM);
      EXPECT_EQ(second->Finish(30s), 0) << second->Err;
    }
    EXPECT_EQ(simulator.ReportLines().size(), std::size_t{kChanges + 1});
    ExpectAllPublished(simulator);
  }
}

// An operator who mends a template sees it on air with the next step; a step with nothing
// changed connects to nobody.
TEST(ChangeOfInputs, ATemplateChangeGoesOnAirWithTheNextStep) {
  struct Step {
    const char* Name;
    std::function<void(const SampleHome&)> Change;
    int ExpectedExit;
    bool ExpectedNewsMessagePage;
  };
  const fs::path message = fs::path("Templates") / "news_message.tpg";
  std::string saved;
  const std::vector<Step> steps = {
      {"first upload", [](const SampleHome&) {}, 0, true},
      {"nothing changed", [](const SampleHome&) {}, 3, true},
      {"message template gone: the category's messages go off air",
       [&](const SampleHome& home) {
         saved = ReadBytes((home.Dir / message).string());
         fs::remove(home.Dir / message);
       },
       0, false},
      {"template restored: back on air",
       [&](const SampleHome& home) { WriteBytes((home.Dir / message).string(), saved); }, 0, true},
      {"a category setting changed",
       [](const SampleHome& home) {
         const fs::path ini = home.Dir / "tavrel.ini";
         WriteBytes(ini.string(), std::regex_replace(ReadBytes(ini.string()),
                                                     std::regex("FastextPrompt4=Weather"),
                                                     "FastextPrompt4=Rain"));
       },
       0, true},
      {"nothing changed again", [](const SampleHome&) {}, 3, true},
  };
  VarnexSimulator simulator(SampleAccount());
  SampleHome home(simulator);
  std::size_t reports = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Name);
    step.Change(home);
    const std::size_t connections = simulator.LogDetails("CONNECT").size();
    std::optional<int> exit;
    std::string out;
    // The simulator takes the last update a moment after its report: a busy server is tried
    // again, as the scan would.
    for (int attempt = 0; attempt < 20 && (!exit || *exit == 5); ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(200ms);
      ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--once"});
      exit = scan.Finish(120s);
      out = scan.Out + scan.Err;
    }
    EXPECT_EQ(exit, step.ExpectedExit) << out;
    if (step.ExpectedExit == 3) {
      EXPECT_EQ(simulator.LogDetails("CONNECT").size(), connections);
      continue;
    }
    ASSERT_TRUE(simulator.WaitForReportLines(++reports));
    ExpectAllPublished(simulator);
    EXPECT_EQ(fs::exists(simulator.OnAirDir() / "101-0000.pag"), step.ExpectedNewsMessagePage);
  }
}

// A new local feed goes on air about a second after it was written, not at the next step of a
// long interval: the scan watches the file. The file is written in place and replaced by a
// rename, as producers do.
TEST(FeedWatch, ANewLocalFeedGoesOnAirWithoutWaitingForTheInterval) {
  VarnexSimulator simulator(SampleAccount());
  SampleHome home(simulator);
  ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--interval", "3600"});
  ASSERT_TRUE(scan.WaitForOutput("Scan started", 30s)) << scan.Out;
  std::this_thread::sleep_for(300ms);  // the watch is set up right after the start line
  for (int version = 1; version <= 2; ++version) {
    SCOPED_TRACE(version);
    if (version == 1) {
      ChangeFeed(home, version);
    } else {
      const fs::path written = home.Dir / "Feed" / "news.xml.new";
      fs::copy_file(home.Feed(), written);
      WriteBytes(written.string(), ReadBytes(written.string()) + "\n");
      fs::rename(written, home.Feed());
    }
    EXPECT_TRUE(simulator.WaitForReportLines(static_cast<std::size_t>(version), 30s)) << scan.Out;
  }
  scan.Signal(SIGTERM);
  EXPECT_EQ(scan.Finish(30s), 0) << scan.Err;
  ExpectAllPublished(simulator);
  EXPECT_EQ(simulator.ReportLines().size(), 2u);
}

// A feed that cannot be read fails the same way at every step: after the first failure the
// steps wait for a change without logging in; the mended feed goes on air. A refused login,
// in contrast, is tried again at every step.
TEST(ChangeOfInputs, AFailureFromTheInputsWaitsForAChangeATransientOneIsRetried) {
  {
    VarnexSimulator simulator(SampleAccount());
    SampleHome home(simulator);
    const std::string good = ReadBytes(home.Feed().string());
    WriteBytes(home.Feed().string(), "<rss><channel><item><title>Cut off");
    ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--interval", "0"});
    ASSERT_TRUE(scan.WaitForOutput("Waiting for a change of the inputs: ", 60s)) << scan.Out;
    const std::size_t logins = simulator.LogDetails("LOGIN").size();
    EXPECT_EQ(logins, 2u);  // the connection test and the question whether the server is free
    // Several more steps: statuses print on change, so each step shows "Checking" again.
    const std::size_t checks = Count(scan.Out, " Checking\n");
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (Count(scan.Out, " Checking\n") < checks + 3 &&
           std::chrono::steady_clock::now() < deadline) {
      scan.WaitForOutput("\x01", 200ms);  // reads what comes
    }
    ASSERT_GE(Count(scan.Out, " Checking\n"), checks + 3) << scan.Out;
    EXPECT_EQ(simulator.LogDetails("LOGIN").size(), logins);
    EXPECT_EQ(Count(scan.Out, " Processing\n"), 1u) << scan.Out;
    WriteBytes(home.Feed().string(), good);
    EXPECT_TRUE(simulator.WaitForReportLines(1, 60s)) << scan.Out;
    scan.Signal(SIGTERM);
    EXPECT_EQ(scan.Finish(30s), 0);
    ExpectAllPublished(simulator);
  }
  {
    VarnexSimOptions options = SampleAccount();
    options.RefuseLogins = true;
    VarnexSimulator simulator(options);
    SampleHome home(simulator);
    ChildProcess scan({kProgram, "--home", home.Dir.string(), "scan", "--interval", "0"});
    ASSERT_TRUE(simulator.WaitForLogEvents("LOGIN-FAILED", 3, 60s)) << scan.Out;
    scan.Signal(SIGTERM);
    EXPECT_EQ(scan.Finish(30s), 0);
    EXPECT_EQ(Count(scan.Out, "Waiting for a change"), 0u) << scan.Out;
  }
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

const std::string kRule = "  ,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,";

// The text rows 1..23 of a page file as a receiver shows them with the English set: control
// bytes as spaces, trailing spaces dropped, empty rows left out.
std::vector<std::string> PageRows(const fs::path& file) {
  const std::string bytes = ReadBytes(file.string());
  std::vector<std::string> rows;
  for (std::size_t row = 1; row < 24 && (row + 1) * 42 <= bytes.size(); ++row) {
    std::string text;
    for (std::size_t column = 2; column < 42; ++column) {
      const char c = static_cast<char>(bytes[row * 42 + column] & 0x7F);
      text += c < 0x20 ? ' ' : c;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    if (!text.empty()) rows.push_back(text);
  }
  return rows;
}

// Feeds as they are in the wild, through check and generate down to the rows of the pages,
// with a settings file written in UTF-8 (the category "Économie", a prompt whose underscores
// stand for spaces).
TEST(WildFeeds, HtmlRssAndAtomGoDownToPageRows) {
  struct Case {
    const char* Name;
    const char* Feed;
    std::string Schema;
    std::map<std::string, std::vector<std::string>> ExpectedRows;
  };
  // The rows the sample templates frame every text with.
  const auto framed = [](const char* heading, const char* subheading,
                         std::vector<std::string> body) {
    std::vector<std::string> rows = {std::string("  \x7F"
                                                 "7 \x7F"
                                                 "7 \x7F"
                                                 "7   ") +
                                         heading,
                                     std::string("             ") + subheading, kRule};
    rows.insert(rows.end(), body.begin(), body.end());
    rows.push_back(kRule);
    rows.push_back("   Tavrel Teletext   News 100  Sport 200");
    return rows;
  };
  const std::vector<Case> cases = {
      {"RSS 2.0 with HTML in CDATA, namespaces and several categories per item",
       "wild_rss.xml",
       "MessageElement=item\nTitleElement=title\nCategoryElement=category\n"
       "TextElement=description\nRootElement=rss\nChannelElement=channel\nUseChannelElement=1\n",
       {{"100-0000.pag",
         framed("NEWS", "Headlines", {" Minister's deal & the \"small print\" 101"})},
        {"101-0000.pag", framed("NEWS", "News",
                                {" MINISTER'S DEAL & THE \"SMALL PRINT\"",
                                 " The minister's deal was signed late on", " Tuesday.",
                                 " Critics called it \"rushed\" - the vote",
                                 " is on 14 December. ?", " Read more"})},
        {"300-0000.pag",
         framed("MONEY", "Business and markets", {" Markets rally as inflation eases... 301"})},
        {"301-0000.pag", framed("MONEY", "Business",
                                {" MARKETS RALLY AS INFLATION EASES",
                                 " Shares rose 2% in early trading.", " Bonds were flat."})}}},
      {"Atom with category terms and HTML summaries",
       "wild_atom.xml",
       "MessageElement=entry\nTitleElement=title\nCategoryElement=category\n"
       "TextElement=summary\nRootElement=feed\nUseChannelElement=0\n",
       {{"100-0000.pag", framed("NEWS", "Headlines", {" Storm Ylva reaches the coast....... 101"})},
        {"101-0000.pag",
         framed("NEWS", "News",
                {" STORM YLVA REACHES THE COAST", " Winds of 120 km/h", " Ferries stay in port."})},
        {"300-0000.pag",
         framed("MONEY", "Business and markets", {" Central bank holds rates........... 301"})},
        {"301-0000.pag", framed("MONEY", "Business",
                                {" CENTRAL BANK HOLDS RATES", " The bank kept its rate at 3%."})}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder temp;
    const fs::path home = temp / "home";
    fs::create_directories(home / "Templates");
    for (const char* name :
         {"news_index.tpg", "news_message.tpg", "business_index.tpg", "business_message.tpg"}) {
      fs::copy_file(fs::path(TAVREL_SOURCE_DIR "/data/sample/Templates") / name,
                    home / "Templates" / name);
    }
    fs::copy_file(fs::path(TAVREL_TEST_DATA_DIR "/feeds") / c.Feed, home / "feed.xml");
    WriteBytes((home / "tavrel.ini").string(),
               "[Settings]\nXMLFilePath=feed.xml\nHtmlTexts=1\n" + c.Schema +
                   "[XMLItem001]\nCategory=World\nIndexNumber=100\nFirstNumber=101\n"
                   "IndexTemplateFileName=Templates/news_index.tpg\n"
                   "MessageTemplateFileName=Templates/news_message.tpg\n"
                   "[XMLItem002]\nCategory=\xC3\x89"
                   "conomie\nIndexNumber=300\nFirstNumber=301\n"
                   "FastextPrompt2=\xC3\x89"
                   "co_\xE2\x80\x93_March\xC3\xA9s\n"
                   "IndexTemplateFileName=Templates/business_index.tpg\n"
                   "MessageTemplateFileName=Templates/business_message.tpg\n");
    ChildProcess check({kProgram, "--home", home.string(), "check"});
    EXPECT_EQ(check.Finish(60s), 0) << check.Out << check.Err;
    EXPECT_EQ(check.Out, (home / "feed.xml").string() + ": no problems found.\n");
    ChildProcess generate({kProgram, "--home", home.string(), "generate"});
    EXPECT_EQ(generate.Finish(60s), 0) << generate.Err;
    EXPECT_NE(generate.Out.find("Categories: 2 in the feed, 2 generated\n"), std::string::npos)
        << generate.Out;
    std::map<std::string, std::vector<std::string>> rows;
    for (const auto& entry : fs::directory_iterator(home / "Export")) {
      if (entry.path().extension() == ".pag")
        rows[entry.path().filename()] = PageRows(entry.path());
    }
    EXPECT_EQ(rows, c.ExpectedRows);
    // The prompt written in UTF-8 reaches the control file in Windows-1252.
    const std::string control = ReadBytes((home / "Export" / "Control.dat").string());
    EXPECT_NE(control.find("\r\n[301.0000]\r\n"), std::string::npos);
    EXPECT_NE(control.find("Prompts=\"Index\" \"\xC9"
                           "co_\x96_March\xE9s\" \"Test\" \"Test\"\r\n"),
              std::string::npos)
        << control;
  }
}

}  // namespace
}  // namespace tavrel
