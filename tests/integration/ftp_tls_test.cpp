// The FTP client over explicit TLS against the simulator on 127.0.0.1, with an authority and
// server certificates made by openssl for each run.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
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

}  // namespace
}  // namespace tavrel
