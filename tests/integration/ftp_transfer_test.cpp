// The FTP client against the transmission-server simulator on 127.0.0.1.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "transfer/ftp_client.h"
#include "varnex_sim_fixture.h"

namespace tavrel {
namespace {

using testing::ReadTestFile;
using testing::VarnexSimOptions;
using testing::VarnexSimulator;
using testing::WriteTestFile;

namespace fs = std::filesystem;

// A temporary local folder for the files an upload reads.
class LocalFolder {
 public:
  LocalFolder() {
    std::string pattern = (fs::temp_directory_path() / "ftp-local-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~LocalFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path File(const std::string& name, const std::string& bytes) const {
    WriteTestFile(path_ / name, bytes);
    return path_ / name;
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Bytes that differ from position to position, so a shifted or truncated copy shows.
std::string PatternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// Records what an upload shows; can press the button once a number of bytes went out.
class RecordingView : public TFileProgressView {
 public:
  std::int64_t ClickAtBytes = -1;
  int Shown = 0;
  int Closed = 0;
  int Waited = 0;
  std::int64_t TotalWhenShown = 0;
  std::vector<std::int64_t> Done;
  std::string FileNameWhenShown;
  std::string HostWhenShown;

  void Show(TPFileProgress& progress) override {
    ++Shown;
    TotalWhenShown = progress.Total();
    FileNameWhenShown = progress.FileName();
    HostWhenShown = progress.HostCaption();
  }
  void Update(TPFileProgress& progress) override {
    Done.push_back(progress.Done());
    if (ClickAtBytes >= 0 && progress.Done() >= ClickAtBytes && !progress.Closed()) {
      progress.ClickButton();
    }
  }
  void WaitUntilClosed(TPFileProgress& progress) override {
    ++Waited;
    progress.ClickButton();
  }
  void Close(TPFileProgress&) override { ++Closed; }
};

int FreeClosedPort() {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
  close(sock);
  return ntohs(address.sin_port);
}

TEST(FtpTransferTest, StoreReportsProgressUpToTheFileSize) {
  struct Case {
    const char* name;
    std::size_t size;
    bool passive;
  };
  const Case cases[] = {
      {"empty file, passive", 0, true},
      {"one byte, active", 1, false},
      {"several data blocks, passive", 300000, true},
      {"several megabytes, active", 3 * 1024 * 1024 + 17, false},
  };
  VarnexSimulator sim;
  LocalFolder local;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = PatternBytes(c.size);
    const auto path = local.File("update.zip", bytes);
    TMediaServer server = sim.Server();
    server.FTPPassive = c.passive;
    RecordingView view;
    ASSERT_TRUE(FtpPutFile(server, path.string(), sim.RemoteTransferFolder(), true, true, &view));
    EXPECT_EQ(ReadTestFile(sim.TransferDir() / "update.zip"), bytes);
    EXPECT_EQ(view.Shown, 1);
    EXPECT_EQ(view.Closed, 1);
    EXPECT_EQ(view.Waited, 0);
    EXPECT_EQ(view.TotalWhenShown, static_cast<std::int64_t>(c.size));
    EXPECT_EQ(view.FileNameWhenShown, "update.zip");
    EXPECT_EQ(view.HostWhenShown, "FTP Host: 127.0.0.1");
    ASSERT_FALSE(view.Done.empty());
    EXPECT_TRUE(std::is_sorted(view.Done.begin(), view.Done.end()));
    EXPECT_EQ(view.Done.back(), static_cast<std::int64_t>(c.size));
  }
}

TEST(FtpTransferTest, UploadWithoutAutoCloseWaitsForTheOperator) {
  VarnexSimulator sim;
  LocalFolder local;
  const auto path = local.File("update.zip", PatternBytes(5000));
  RecordingView view;
  ASSERT_TRUE(
      FtpPutFile(sim.Server(), path.string(), sim.RemoteTransferFolder(), true, false, &view));
  EXPECT_EQ(view.Waited, 1);
  EXPECT_EQ(view.Closed, 1);
}

TEST(FtpTransferTest, CancelFromTheProgressReportAbortsTheStore) {
  VarnexSimulator sim;
  LocalFolder local;
  const std::string bytes = PatternBytes(16 * 1024 * 1024);
  const auto path = local.File("update.zip", bytes);
  RecordingView view;
  view.ClickAtBytes = 64 * 1024;
  TPFTP ftp;
  ftp.Server = sim.Server();
  ftp.ShowProgress = true;
  ftp.ProgressView = &view;
  EXPECT_FALSE(ftp.PutFile(path.string(), sim.RemoteTransferFolder()));
  EXPECT_EQ(ftp.LastError(), "the transfer was cancelled");
  EXPECT_FALSE(ftp.Connected());
  EXPECT_EQ(view.Closed, 1);
  // The server never got the whole archive and saw no semaphore, so it took no update. In
  // stream mode a closed data connection also ends the file, so the server may keep the
  // truncated part as a file of its own: only its size tells.
  ASSERT_TRUE(sim.WaitForLogEvents("DISCONNECT", 1));
  EXPECT_FALSE(fs::exists(sim.TransferDir() / "update.sem"));
  EXPECT_TRUE(sim.ReportLines().empty());
  const auto stored = fs::exists(sim.TransferDir() / "update.zip")
                          ? fs::file_size(sim.TransferDir() / "update.zip")
                          : 0;
  EXPECT_LT(stored, bytes.size());
}

TEST(FtpTransferTest, MissingLocalFileGivesFalseWithTotalMinusOne) {
  VarnexSimulator sim;
  LocalFolder local;
  const auto missing = local.Path() / "update.zip";
  RecordingView view;
  TPFTP ftp;
  ftp.Server = sim.Server();
  ftp.ShowProgress = true;
  ftp.ProgressView = &view;
  EXPECT_FALSE(ftp.PutFile(missing.string(), sim.RemoteTransferFolder()));
  EXPECT_EQ(ftp.FileSize(), -1);
  EXPECT_EQ(view.Shown, 1);
  EXPECT_EQ(view.TotalWhenShown, -1);
  EXPECT_EQ(view.Closed, 1);
  EXPECT_EQ(ftp.LastError(), missing.string() + ": no such file");
  EXPECT_TRUE(fs::is_empty(sim.TransferDir()));
}

TEST(FtpTransferTest, RemoteFolderDecidesWhetherTheFolderChanges) {
  struct Case {
    const char* name;
    std::string loginFolder;
    std::string remoteFolder;
    // The CWD command the server must see; empty: none at all.
    std::string expectedCwd;
    // Where the file lands, under the account's root on disk.
    std::string landsIn;
  };
  const Case cases[] = {
      {"empty folder means the root", "", "", "", ""},
      {"root given as backslash", "", "\\", "", ""},
      {"root given with doubled slashes and blanks", "", " // ", "", ""},
      {"login folder up to case and separators", "Varnex\\Transfer\\tavrel",
       "varnex\\TRANSFER\\Tavrel\\", "", "Varnex/Transfer/tavrel"},
      {"login folder with forward slashes", "Varnex\\Transfer\\tavrel", "/Varnex/Transfer/tavrel/",
       "", "Varnex/Transfer/tavrel"},
      {"backslashes are sent as they stand", "", "Varnex\\Transfer\\tavrel\\",
       "CWD Varnex\\Transfer\\tavrel\\", "Varnex/Transfer/tavrel"},
      {"relative folder under a login folder", "Varnex", "Transfer\\tavrel", "CWD Transfer\\tavrel",
       "Varnex/Transfer/tavrel"},
  };
  LocalFolder local;
  const auto path = local.File("update.sem", "Update\r\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarnexSimOptions options;
    options.LoginFolder = c.loginFolder;
    VarnexSimulator sim(options);
    ASSERT_TRUE(FtpPutFile(sim.Server(), path.string(), c.remoteFolder, false, true));
    std::vector<std::string> cwds;
    for (const auto& command : sim.LogDetails("COMMAND")) {
      if (command.rfind("CWD", 0) == 0) cwds.push_back(command);
    }
    EXPECT_EQ(cwds, c.expectedCwd.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{c.expectedCwd});
    EXPECT_TRUE(fs::exists(sim.RootDir() / c.landsIn / "update.sem"));
  }
}

TEST(FtpTransferTest, MissingRemoteFolderReportsDirectoryNotFound) {
  VarnexSimulator sim;
  LocalFolder local;
  const auto path = local.File("update.zip", "zip");
  std::vector<std::string> messages;
  TPFTP ftp;
  ftp.Server = sim.Server();
  ftp.ShowErrors = true;
  ftp.ErrorSink = [&](const std::string& message) { messages.push_back(message); };
  EXPECT_FALSE(ftp.PutFile(path.string(), "Varnex\\Nowhere\\"));
  EXPECT_EQ(messages, std::vector<std::string>{"Directory not found"});
}

TEST(FtpTransferTest, ProxyIsAppendedToTheUserName) {
  struct Case {
    const char* name;
    bool useProxy;
    std::string proxy;
    std::string sentUser;
    bool loggedIn;
  };
  const Case cases[] = {
      {"proxy off", false, "gate", "tavrel", true},
      {"proxy on", true, "gate", "tavrel,gate", true},
      {"proxy text is not trimmed", true, "gate ", "tavrel,gate ", false},
      {"empty proxy still adds the comma", true, "", "tavrel,", false},
  };
  VarnexSimOptions options;
  options.Proxy = "gate";
  VarnexSimulator sim(options);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMediaServer server = sim.Server();
    server.FTPUseProxi = c.useProxy;
    server.FTPProxi = c.proxy;
    const auto before = sim.LogDetails("USER").size();
    EXPECT_EQ(FtpTestConnection(server, false), c.loggedIn);
    ASSERT_TRUE(sim.WaitForLogEvents("USER", before + 1));
    EXPECT_EQ(sim.LogDetails("USER").back(), c.sentUser);
  }
}

TEST(FtpTransferTest, RemoteFileExistsAnswersWhetherTheNameListHasNames) {
  struct Case {
    const char* name;
    std::string mask;
    std::string folder;
    bool exists;
  };
  VarnexSimulator sim;
  WriteTestFile(sim.TransferDir() / "update.sem", "Update\r\n");
  fs::create_directories(sim.RootDir() / "Varnex" / "Empty");
  const Case cases[] = {
      {"other letter case", "Update.sem", sim.RemoteTransferFolder(), true},
      {"mask", "*.SEM", sim.RemoteTransferFolder(), true},
      {"refused listing of a missing name", "update.zip", sim.RemoteTransferFolder(), false},
      {"empty listing of a mask", "*.zip", sim.RemoteTransferFolder(), false},
      {"empty folder", "*", "Varnex\\Empty\\", false},
      {"missing folder", "Update.sem", "Varnex\\Transfer\\nobody\\", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FtpFileExists(sim.Server(), c.mask, c.folder), c.exists);
  }
}

TEST(FtpTransferTest, RemoteDirExistsOnlyWhenTheServerReportsTheSameFolder) {
  struct Case {
    const char* name;
    std::string loginFolder;
    std::string folder;
    bool exists;
  };
  const Case cases[] = {
      {"transfer folder", "", "Varnex\\Transfer\\tavrel\\", true},
      {"other case and slashes", "", "/varnex/transfer/TAVREL", true},
      {"base folder", "", "Varnex\\Transfer\\", true},
      {"missing folder", "", "Varnex\\Archive\\", false},
      {"relative folder under another login folder", "Varnex", "Transfer\\tavrel", false},
      {"absolute folder under another login folder", "Varnex", "\\Varnex\\Transfer\\tavrel", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarnexSimOptions options;
    options.LoginFolder = c.loginFolder;
    VarnexSimulator sim(options);
    EXPECT_EQ(FtpDirExists(sim.Server(), c.folder, false), c.exists);
  }
}

TEST(FtpTransferTest, EveryUploadLogsInOnItsOwnConnection) {
  VarnexSimulator sim;
  LocalFolder local;
  const auto archive = local.File(
      "update.zip", ReadTestFile(fs::path(TAVREL_TEST_DATA_DIR) / "transfer" / "update.zip"));
  const auto semaphore = local.File("update.sem", "Update\r\n");
  ASSERT_TRUE(FtpPutFile(sim.Server(), archive.string(), sim.RemoteTransferFolder(), false, true));
  ASSERT_TRUE(
      FtpPutFile(sim.Server(), semaphore.string(), sim.RemoteTransferFolder(), false, true));
  ASSERT_TRUE(sim.WaitForReportLines(1));
  EXPECT_EQ(sim.LogDetails("LOGIN"), (std::vector<std::string>{"tavrel", "tavrel"}));
  EXPECT_EQ(sim.LogDetails("CONNECT").size(), 2u);
  const auto report = sim.ReportLines().front();
  EXPECT_EQ(report.substr(report.find('\t')), "\ttavrel\tpublished\t2 pages");
  EXPECT_EQ(ReadTestFile(sim.OnAirDir() / "100-0000.pag").size(), 1008u);
}

TEST(FtpTransferTest, ConnectionFailuresAreReportedOnlyWhenAsked) {
  struct Case {
    const char* name;
    bool refuseLogins;
    bool closedPort;
    bool wrongPassword;
    bool showErrors;
    std::vector<std::string> messages;
  };
  const std::vector<std::string> failed = {"Connection to server \"Varnex 1\" failed."};
  const Case cases[] = {
      {"refused login, shown", true, false, false, true, failed},
      {"refused login, silent", true, false, false, false, {}},
      {"wrong password, shown", false, false, true, true, failed},
      {"nobody listening, shown", false, true, false, true, failed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VarnexSimOptions options;
    options.RefuseLogins = c.refuseLogins;
    VarnexSimulator sim(options);
    TMediaServer server = sim.Server();
    server.ServerName = "Varnex 1";
    if (c.closedPort) server.FTPPort = FreeClosedPort();
    if (c.wrongPassword) server.FTPPassword = "wrong";
    std::vector<std::string> messages;
    EXPECT_FALSE(FtpTestConnection(
        server, c.showErrors, [&](const std::string& message) { messages.push_back(message); }));
    EXPECT_EQ(messages, c.messages);
  }
}

TEST(FtpTransferTest, BrokenStoresGiveFalse) {
  struct Case {
    const char* name;
    std::optional<std::int64_t> dropAfter;
    std::optional<std::int64_t> stallAfter;
    std::size_t fileSize;
    std::string error;
  };
  const Case cases[] = {
      {"connection dropped part way", 100000, std::nullopt, 8 << 20, ""},
      {"server stops reading", std::nullopt, 1000, 8 << 20,
       "the server stopped responding for 3 s"},
      // The whole archive fits into the socket buffers: the client has sent everything and
      // waits for the final reply, which never comes.
      {"server stops after a small file", std::nullopt, 1000, 20000,
       "the server stopped responding for 3 s"},
  };
  LocalFolder local;
  for (const auto& c : cases) {
    const auto path = local.File("update.zip", PatternBytes(c.fileSize));
    SCOPED_TRACE(c.name);
    VarnexSimOptions options;
    options.DropAfter = c.dropAfter;
    options.StallAfter = c.stallAfter;
    VarnexSimulator sim(options);
    TPFTP ftp;
    ftp.Server = sim.Server();
    ftp.TimeLimits.Stall = std::chrono::milliseconds(3000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ftp.PutFile(path.string(), sim.RemoteTransferFolder()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(ftp.LastError().empty());
    if (!c.error.empty()) {
      EXPECT_EQ(ftp.LastError().substr(0, c.error.size()), c.error);
      // Given up once the configured limit has passed (the library looks about once a
      // second), not after a second wait for the goodbye on a connection known to be dead,
      // which would take at least twice the limit. The margin between the two is wide, so a
      // busy machine does not blur them.
      EXPECT_GE(elapsed, std::chrono::milliseconds(3000));
      EXPECT_LT(elapsed, std::chrono::milliseconds(5500));
    }
    EXPECT_TRUE(sim.LogDetails("RECEIVED").empty());
  }
}

TEST(FtpTransferTest, ServerThatNeverAnswersIsGivenUp) {
  // A listening socket that is never served: the connection opens, no greeting ever comes.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  TPFTP ftp;
  ftp.Server.ServerName = "Silent";
  ftp.Server.FTPHost = "127.0.0.1";
  ftp.Server.FTPPort = ntohs(address.sin_port);
  ftp.Server.FTPUser = "tavrel";
  ftp.TimeLimits.Stall = std::chrono::milliseconds(1000);
  ftp.ShowErrors = true;
  std::vector<std::string> messages;
  ftp.ErrorSink = [&](const std::string& message) { messages.push_back(message); };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ftp.Connect());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  close(listener);
  EXPECT_EQ(ftp.LastError(), "the server stopped responding for 1 s");
  EXPECT_EQ(messages, std::vector<std::string>{"Connection to server \"Silent\" failed."});
  EXPECT_GE(elapsed, std::chrono::milliseconds(1000));
  EXPECT_LT(elapsed, kFtpTimeLimits.Stall);
}

}  // namespace
}  // namespace tavrel
