// A window runs scan steps, feed fetches and uploads on a worker thread and cancels them from
// its own. These tests do exactly that against real servers on 127.0.0.1; the ThreadSanitizer
// build (make test-tsan) runs them to show that no data is shared without a lock.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "pipeline/operator_workflows.h"
#include "pipeline/scan_cycle.h"
#include "pipeline/settings_store.h"
#include "testing/page_records.h"
#include "testing/temp_folder.h"
#include "transfer/feed_fetch.h"
#include "transfer/transfer_progress.h"
#include "varnex_sim_fixture.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::PageRecord;
using testing::TempFolder;
using testing::VarnexSimOptions;
using testing::VarnexSimulator;
using testing::WriteBytes;

// Waits on the calling thread until condition holds; false after the timeout.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::seconds timeout = 30s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// Counts the bytes the upload reports, readable from another thread.
class CountingProgressView final : public TFileProgressView {
 public:
  void Show(TPFileProgress&) override {}
  void Update(TPFileProgress& progress) override { done_.store(progress.Done()); }
  void WaitUntilClosed(TPFileProgress&) override {}
  void Close(TPFileProgress&) override {}
  std::int64_t Done() const { return done_.load(); }

 private:
  std::atomic<std::int64_t> done_{0};
};

TEST(ThreadedStep, ScanStepCancelledMidUploadFromAnotherThreadSendsNoSemaphore) {
  VarnexSimOptions options;
  options.StallAfter = 4096;  // the server stops reading inside the archive
  VarnexSimulator simulator(options);
  TempFolder temp;
  TRIGlobals globals(temp.Dir());
  const fs::path feed = temp.Root() / "feeds" / "news.xml";
  WriteBytes(feed, "<rss><channel><item><title>Storm</title></item></channel></rss>\r\n");
  globals.XMLFilePath = feed.string();
  globals.Server = simulator.Server();

  // Pages whose texts differ enough that the archive is far larger than what the server reads.
  const auto regenerate = [&globals] {
    std::string control;
    for (int page = 100; page < 160; ++page) {
      std::string text;
      for (int i = 0; i < 40; ++i) text += static_cast<char>('A' + (page * 7 + i * i) % 26);
      const std::string name = std::to_string(page) + "-0000.pag";
      WriteBytes(fs::path(globals.ExportDir) / name, PageRecord(page, text));
      control += "[" + std::to_string(page) + ".0000]\r\nFilename=" + name + "\r\n\r\n";
    }
    WriteBytes(fs::path(globals.ExportDir) / "Control.dat", control);
    return true;
  };
  CountingProgressView progress;
  TWorkflowHooks hooks;
  hooks.ProgressView = &progress;
  std::vector<std::string> shown;  // written by the worker only, read after join
  TSteadyScanClock clock;
  TScanCycle cycle(MakeScanOperations(globals, regenerate, hooks), clock,
                   {[&shown](const std::string& text) { shown.push_back(text); }, nullptr});
  cycle.SetScanInterval(0);
  cycle.SetAutoScan(true);

  // The window's way: the timer tick claims the step, a worker runs it.
  ASSERT_TRUE(cycle.TickClaimingStep());
  std::optional<TScanOutcome> outcome;
  std::jthread worker([&](std::stop_token stop) { outcome = cycle.RunClaimedStep(stop); });

  // Meanwhile the window keeps ticking and reading the label; ticks only count.
  // The label is read before anything that would order it after the worker's writes, so that
  // ThreadSanitizer sees any status change made without the cycle's lock.
  ASSERT_TRUE(WaitUntil([&] {
    const std::string status = cycle.Status();
    EXPECT_FALSE(cycle.TickClaimingStep());
    return status == kScanProcessing && progress.Done() > 0;
  })) << "the upload never started";
  EXPECT_TRUE(cycle.ScanBusy());
  worker.request_stop();
  worker.join();

  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(*outcome, TScanOutcome::Cancelled);
  EXPECT_FALSE(cycle.ScanBusy());
  EXPECT_EQ(cycle.Status(), kScanIdle);
  EXPECT_EQ(shown,
            (std::vector<std::string>{kScanChecking, kScanProcessing, kScanCancelled, kScanIdle}));
  for (const std::string& name : simulator.ReceivedNames()) {
    EXPECT_EQ(name.find("update.sem"), std::string::npos) << name;
  }
  EXPECT_FALSE(fs::exists(simulator.TransferDir() / "update.sem"));
  // The feed stays unhandled, so the next step sends it.
  EXPECT_FALSE(fs::exists(fs::path(globals.HandledDir) / "news.xml"));
}

// A web server that announces a body and then sends only its first bytes, holding the
// connection open: the download waits for ever unless cancelled.
class HoldingHttpServer {
 public:
  HoldingHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 1) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::jthread([this] {
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      const std::string head =
          "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n<?xml version=\"1.0\"?><rss>";
      [[maybe_unused]] const auto sent = ::send(client, head.data(), head.size(), MSG_NOSIGNAL);
      char buffer[512];
      while (::recv(client, buffer, sizeof buffer, 0) > 0) {
      }  // until the client closes
      ::close(client);
    });
  }
  ~HoldingHttpServer() {
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/feed.xml"; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::jthread thread_;
};

TEST(ThreadedStep, FeedDownloadCancelledFromAnotherThreadEndsWithoutAFile) {
  HoldingHttpServer server;
  TempFolder temp;
  std::atomic<std::int64_t> received{0};
  std::string failure;
  bool fetched = true;
  std::stop_source stop;
  std::jthread worker([&] {
    fetched = DownloadXmlFile(
        server.Url(), temp.Dir(), &failure,
        TFetchControl{stop.get_token(),
                      [&](std::int64_t bytes, std::int64_t) { received.store(bytes); }});
  });
  ASSERT_TRUE(WaitUntil([&] { return received.load() > 0; })) << "no progress reported";
  stop.request_stop();
  worker.join();
  EXPECT_FALSE(fetched);
  EXPECT_EQ(failure, server.Url() + ": download cancelled");
  EXPECT_FALSE(fs::exists(fs::path(temp.Dir()) / kDownloadedFeedName));
}

TEST(ThreadedStep, StatusPauseEndsAtOnceWhenStopped) {
  TSteadyScanClock clock;
  std::stop_source stop;
  const auto start = std::chrono::steady_clock::now();
  std::jthread worker([&] { clock.Wait(std::chrono::minutes(10), stop.get_token()); });
  std::this_thread::sleep_for(50ms);
  stop.request_stop();
  worker.join();
  // Far below the ten minutes asked for; the bound only keeps a broken wake-up from passing.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
}

}  // namespace
}  // namespace tavrel
