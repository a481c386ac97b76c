// The FTP client over explicit TLS against the simulator on 127.0.0.1, with an authority and
// server certificates made by openssl for each run.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "transfer/ftp_client.h"
#include "varnex_sim_fixture.h"

namespace tavrel {
namespace {

using testing::VarnexSimOptions;
using testing::VarnexSimulator;
using testing::WriteTestFile;

namespace fs = std::filesystem;

// A temporary folder with the certificates of make_test_certificates.sh.
class CertificateFolder {
 public:
  CertificateFolder() {
    std::string pattern = (fs::temp_directory_path() / "ftp-tls-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    const std::string command =
        "/bin/sh '" TAVREL_TEST_CERTIFICATE_SCRIPT "' '" + path_.string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl failed: " + command);
  }
  ~CertificateFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Relays every TCP connection made to a loopback port of its own on to the server's port and
// keeps each byte the client sent: what anyone on the path between the two would read.
class TLoopbackTap {
 public:
  explicit TLoopbackTap(int serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::pipe(wake_) != 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot open the tap's listening socket");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~TLoopbackTap() {
    const char stop = 's';
    (void)::write(wake_[1], &stop, 1);
    thread_.join();
    for (const auto& [client, server] : pairs_) {
      ::close(client);
      ::close(server);
    }
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
  }
  int Port() const { return port_; }
  std::string ClientBytes() const {
    const std::lock_guard lock(mutex_);
    return clientBytes_;
  }

 private:
  int Connect() const {
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(serverPort_));
    if (server >= 0 &&
        ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(server);
      return -1;
    }
    return server;
  }
  void Run() {
    for (;;) {
      std::vector<pollfd> watched = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
      for (const auto& [client, server] : pairs_) {
        watched.push_back({client, POLLIN, 0});
        watched.push_back({server, POLLIN, 0});
      }
      if (::poll(watched.data(), watched.size(), 10000) <= 0 || watched[0].revents != 0) return;
      if (watched[1].revents != 0) {
        const int client = ::accept(listener_, nullptr, nullptr);
        const int server = Connect();
        if (client >= 0 && server >= 0) {
          pairs_.emplace_back(client, server);
        } else {
          if (client >= 0) ::close(client);
          if (server >= 0) ::close(server);
        }
      }
      for (std::size_t i = 2; i < watched.size(); ++i) {
        if (watched[i].revents == 0) continue;
        const bool fromClient = i % 2 == 0;
        auto& pair = pairs_[(i - 2) / 2];
        char buffer[16384];
        const ssize_t count = ::read(watched[i].fd, buffer, sizeof buffer);
        if (count <= 0) {
          // One side closed: the other learns it by its own end closing.
          ::shutdown(pair.first, SHUT_RDWR);
          ::shutdown(pair.second, SHUT_RDWR);
          continue;
        }
        if (fromClient) {
          const std::lock_guard lock(mutex_);
          clientBytes_.append(buffer, static_cast<std::size_t>(count));
        }
        const int to = fromClient ? pair.second : pair.first;
        for (ssize_t sent = 0; sent < count;) {
          const ssize_t written =
              ::write(to, buffer + sent, static_cast<std::size_t>(count - sent));
          if (written <= 0) break;
          sent += written;
        }
      }
    }
  }

  int serverPort_;
  int listener_ = -1;
  int port_ = 0;
  int wake_[2] = {-1, -1};
  std::vector<std::pair<int, int>> pairs_;
  mutable std::mutex mutex_;
  std::string clientBytes_;
  std::thread thread_;
};

bool FolderIsEmpty(const fs::path& folder) {
  std::error_code ignored;
  return !fs::exists(folder, ignored) || fs::is_empty(folder, ignored);
}

// One upload with TLS required, the client trusting ca.pem, for each server: only a server
// with TLS and a certificate that is trusted, for this host and current is accepted; every
// other one is refused before the login, with its reason, and receives nothing.
TEST(FtpTlsTest, UploadOnlyToAVerifiedTlsServer) {
  const CertificateFolder certificates;
  const struct {
    const char* Certificate;  // the server's; empty: plain FTP only
    bool Accepted;
    const char* Words;  // what the failure must say
  } cases[] = {
      {"good", true, ""},
      {"", false, "the server does not offer TLS, and TLS is required: nothing was sent"},
      {"other-ca", false,
       "the server's certificate was not accepted: it is not signed by a trusted authority"},
      {"wrong-host", false,
       "the server's certificate was not accepted: it is made out to another host name"},
      {"expired", false, "the server's certificate was not accepted: it has expired"},
  };
  const fs::path local = certificates / "upload.bin";
  const std::string bytes(200000, 'x');
  WriteTestFile(local, bytes);
  for (const auto& row : cases) {
    SCOPED_TRACE(row.Certificate[0] != '\0' ? row.Certificate : "plain server");
    VarnexSimOptions options;
    if (row.Certificate[0] != '\0') {
      options.TlsCertificate = certificates / (std::string(row.Certificate) + ".pem");
      options.TlsKey = certificates / (std::string(row.Certificate) + ".key");
    }
    VarnexSimulator sim(options);
    TPFTP ftp;
    ftp.Server = sim.Server();
    ftp.Server.FTPUseTLS = true;
    ftp.Server.FTPCAFile = (certificates / "ca.pem").string();
    const bool stored = ftp.PutFile(local.string(), sim.RemoteTransferFolder());
    EXPECT_EQ(stored, row.Accepted) << ftp.LastError();
    if (row.Accepted) {
      EXPECT_EQ(testing::ReadTestFile(sim.TransferDir() / "upload.bin"), bytes);
      // The server refuses USER and PASS before AUTH TLS; the log shows it came first, so
      // the password crossed inside TLS. The data connection was protected too.
      const std::vector<std::string> lines = sim.LogLines();
      const auto auth = std::find(lines.begin(), lines.end(), "1 COMMAND AUTH TLS");
      const auto user = std::find(lines.begin(), lines.end(), "1 USER tavrel");
      EXPECT_LT(auth - lines.begin(), user - lines.begin());
      EXPECT_NE(std::find(lines.begin(), lines.end(), "1 COMMAND PROT P"), lines.end());
    } else {
      EXPECT_EQ(ftp.LastError().substr(0, std::string(row.Words).size()), row.Words)
          << ftp.LastError();
      EXPECT_TRUE(sim.LogDetails("USER").empty()) << "the login must not be sent";
      EXPECT_TRUE(sim.ReceivedNames().empty());
      EXPECT_TRUE(FolderIsEmpty(sim.OnAirDir()));
    }
  }
}

// What the client sends on the control connection, read on the wire: in clear the password is
// there to read (which shows the tap sees it), with TLS nothing after AUTH TLS is readable.
TEST(FtpTlsTest, PasswordNeverCrossesTheWireInClearWithTls) {
  const CertificateFolder certificates;
  const fs::path local = certificates / "upload.bin";
  WriteTestFile(local, std::string(5000, 'x'));
  for (const bool tls : {false, true}) {
    SCOPED_TRACE(tls ? "TLS required" : "plain FTP");
    VarnexSimOptions options;
    options.Password = "pa55-w0rd-on-the-wire";
    if (tls) {
      options.TlsCertificate = certificates / "good.pem";
      options.TlsKey = certificates / "good.key";
    }
    VarnexSimulator sim(options);
    std::string sent;
    {
      TLoopbackTap tap(sim.Port());
      TPFTP ftp;
      ftp.Server = sim.Server();
      ftp.Server.FTPPort = tap.Port();
      ftp.Server.FTPUseTLS = tls;
      ftp.Server.FTPCAFile = (certificates / "ca.pem").string();
      ASSERT_TRUE(ftp.PutFile(local.string(), sim.RemoteTransferFolder())) << ftp.LastError();
      sent = tap.ClientBytes();
    }
    EXPECT_EQ(sent.find(options.Password) != std::string::npos, !tls) << sent.size() << " bytes";
    EXPECT_EQ(sent.find("USER ") != std::string::npos, !tls);
    if (tls) {
      EXPECT_EQ(sent.substr(0, 10), "AUTH TLS\r\n");
    }
  }
}

}  // namespace
}  // namespace tavrel
