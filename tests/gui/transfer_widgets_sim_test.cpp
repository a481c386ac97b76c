// The FTP settings frame's Test connection and the progress dialog of a real upload, against
// the transmission-server simulator.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "dialog_answer.h"
#include "integration/varnex_sim_fixture.h"
#include "support/language_texts.h"
#include "testing/temp_folder.h"
#include "transfer/file_progress_dlg.h"
#include "transfer/ftp_edit_frame.h"
#include "transfer/progress_dialog_view.h"
#include "transfer/update_upload.h"

namespace tavrel::gui {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::VarnexSimOptions;
using tavrel::testing::VarnexSimulator;

// Answers every message box that comes up with its first button and keeps its texts.
class TMessageCollector {
 public:
  TMessageCollector() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || !modal->isVisible()) return;
      QString text;
      for (const QLabel* label : modal->findChildren<QLabel*>()) text += label->text();
      // The box wraps its lines within half the screen; the words are what counts here.
      messages_.push_back(text.replace('\n', ' ').toStdString());
      modal->findChild<QPushButton*>()->click();
    });
    timer_.start();
  }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  QTimer timer_;
  std::vector<std::string> messages_;
};

TEST(FtpEditFrameSimTest, TestConnectionShowsItsAnswer) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  VarnexSimulator sim;
  struct Case {
    const char* name;
    std::string password;
    std::string folder;
    bool ok;
    std::vector<std::string> messages;
  };
  const std::string serverName = "Varnex";
  const Case cases[] = {
      {"works", "secret", "Varnex\\Transfer\\", true, {"Connection OK"}},
      {"wrong password",
       "wrong",
       "Varnex\\Transfer\\",
       false,
       {"Connection to server \"Varnex\" failed."}},
      {"missing folder",
       "secret",
       "Varnex\\Elsewhere\\",
       false,
       {"Connection failed, maybe the directory \"Varnex\\Elsewhere\\\" does not exists on the "
        "server."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMediaServer server = sim.Server();
    server.ServerName = serverName;
    server.FTPPassword = c.password;
    TPFtpEditFrame frame;
    frame.Load(server);
    frame.SetTestFolder(c.folder);
    frame.show();
    QSignalSpy finished(&frame, &TPFtpEditFrame::TestFinished);
    TMessageCollector collector;
    auto* button = frame.findChild<QPushButton*>("TestButton");
    button->click();
    // The button waits for the answer; the window keeps running meanwhile.
    EXPECT_TRUE(frame.TestRunning());
    EXPECT_FALSE(button->isEnabled());
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(finished[0][0].value<TFtpTestResult>().Ok(), c.ok);
    EXPECT_EQ(collector.Messages(), c.messages);
  }
}

// With TLS required the answer says so, and a refusal gives its reason: a plain server is
// never used in clear.
TEST(FtpEditFrameSimTest, TestConnectionWithTls) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  const tavrel::testing::TempFolder certificates;
  const std::string script =
      std::string("/bin/sh '") + TAVREL_TEST_CERTIFICATE_SCRIPT + "' '" + certificates.Path() + "'";
  ASSERT_EQ(std::system(script.c_str()), 0);
  VarnexSimOptions tls;
  tls.TlsCertificate = certificates / "good.pem";
  tls.TlsKey = certificates / "good.key";
  const struct {
    VarnexSimOptions Options;
    std::string Message;
  } cases[] = {
      {tls, "Connection OK (TLS)"},
      {{},
       "Connection to server \"Varnex\" failed. the server does not offer TLS, and TLS is "
       "required: nothing was sent"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Message);
    VarnexSimulator sim(c.Options);
    TMediaServer server = sim.Server();
    server.FTPUseTLS = true;
    server.FTPCAFile = certificates / "ca.pem";
    TPFtpEditFrame frame;
    frame.Load(server);
    frame.SetTestFolder("Varnex\\Transfer\\");
    frame.show();
    QSignalSpy finished(&frame, &TPFtpEditFrame::TestFinished);
    TMessageCollector collector;
    frame.findChild<QPushButton*>("TestButton")->click();
    ASSERT_TRUE(finished.wait(20000));
    ASSERT_EQ(collector.Messages().size(), 1u);
    EXPECT_EQ(collector.Messages()[0].substr(0, c.Message.size()), c.Message);
  }
}

// A listening socket that takes connections and never says a word.
class TSilentServer {
 public:
  TSilentServer() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(socket_, 4) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot open a listening socket");
    }
    port_ = ntohs(address.sin_port);
  }
  ~TSilentServer() { ::close(socket_); }
  int Port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

TEST(FtpEditFrameSimTest, SilentServerLeavesTheWindowResponsive) {
  TSilentServer silent;
  TMediaServer server;
  server.ServerName = "Silent";
  server.FTPHost = "127.0.0.1";
  server.FTPUser = "tavrel";
  server.FTPPassword = "secret";
  server.FTPPort = silent.Port();
  auto frame = std::make_unique<TPFtpEditFrame>();
  frame->Load(server);
  frame->show();
  auto* button = frame->findChild<QPushButton*>("TestButton");
  button->click();
  // The window's own events keep running while the worker waits for a greeting. A frozen
  // window would see no tick at all; a busy machine still sees a few.
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
  ticker.start(10);
  QTest::qWait(500);
  EXPECT_GE(ticks, 5);
  EXPECT_TRUE(frame->TestRunning());
  EXPECT_FALSE(button->isEnabled());
  // Closing the frame while the test still runs leaves the cursor normal; the worker's late
  // answer goes nowhere.
  frame.reset();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

std::string RandomBytes(std::size_t count) {
  std::mt19937 random(7);
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i + 4 <= count; i += 4) {
    const std::uint32_t word = random();
    std::memcpy(bytes.data() + i, &word, 4);
  }
  return bytes;
}

TEST(FileProgressDlgSimTest, CancelHalfWayLeavesNoSemaphore) {
  VarnexSimOptions options;
  // The server stops reading part way; the archive is larger than what the loopback's socket
  // buffers take, so the transfer hangs there.
  options.StallAfter = 600000;
  VarnexSimulator sim(options);
  tavrel::testing::TempFolder exportFolder;
  tavrel::testing::WriteTestFile(fs::path(exportFolder.Path()) / "p100.tti", RandomBytes(16 << 20));

  TUpdateTarget target;
  target.ExportDir = exportFolder.Path() + "/";
  target.Server = sim.Server();
  target.TransferDir = "Varnex\\Transfer\\";

  TPFileProgressDlg dialog;
  TProgressDialogView view(&dialog);
  std::string failure;
  bool uploaded = true;
  std::atomic<bool> done = false;
  std::jthread worker([&] {
    uploaded = UploadUpdate(target, &view, &failure, view.StopToken());
    done = true;
  });
  // The dialog shows bytes arriving while the worker sends, then the count stands still.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (dialog.Model().Done() < 300000 && std::chrono::steady_clock::now() < deadline) {
    QTest::qWait(20);
  }
  ASSERT_TRUE(dialog.isVisible());
  EXPECT_GE(dialog.Model().Done(), 300000);
  EXPECT_LT(dialog.Model().Done(), dialog.Model().Total());
  EXPECT_EQ(dialog.Button()->text(), "Cancel");
  dialog.Button()->click();
  while (!done && std::chrono::steady_clock::now() < deadline) QTest::qWait(20);
  ASSERT_TRUE(done);
  EXPECT_FALSE(uploaded);
  EXPECT_NE(failure.find("cancel"), std::string::npos) << failure;
  QTest::qWait(50);
  EXPECT_FALSE(dialog.isVisible());
  for (const auto& entry : fs::directory_iterator(sim.TransferDir())) {
    std::string name = entry.path().filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(name, "update.sem");
  }
  for (const std::string& name : sim.ReceivedNames()) EXPECT_NE(name, "update.sem");
}

}  // namespace
}  // namespace tavrel::gui
