#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "transfer/media_server.h"

namespace tavrel::testing {

// How to start the transmission-server simulator (tools/varnex-sim/varnex_sim.py).
struct VarnexSimOptions {
  std::string User = "tavrel";
  std::string Password = "secret";
  // When set, the login name "<User>,<Proxy>" is accepted as well.
  std::string Proxy;
  // Folder current after login, e.g. "Varnex\\Transfer"; empty for the root.
  std::string LoginFolder;
  // Seconds from taking an update to removing the semaphore and the archive.
  double Delay = 0.2;
  bool Busy = false;
  bool RefuseLogins = false;
  std::optional<std::int64_t> DropAfter;
  std::optional<std::int64_t> StallAfter;
  // When set, the simulator requires explicit FTP over TLS with this certificate and key.
  std::filesystem::path TlsCertificate;
  std::filesystem::path TlsKey;
};

// One running simulator on 127.0.0.1 and a free port, in a temporary folder of its own.
// The constructor starts it and returns once it accepts connections (it throws
// std::runtime_error when it cannot); the destructor stops it and removes the folder.
class VarnexSimulator {
 public:
  explicit VarnexSimulator(VarnexSimOptions options = {});
  ~VarnexSimulator();
  VarnexSimulator(const VarnexSimulator&) = delete;
  VarnexSimulator& operator=(const VarnexSimulator&) = delete;

  int Port() const { return port_; }
  const VarnexSimOptions& Options() const { return options_; }
  // The working folder: root/, onair/, report.txt, session.log.
  const std::filesystem::path& Dir() const { return dir_; }
  // What the FTP account sees.
  std::filesystem::path RootDir() const { return dir_ / "root"; }
  // The account's transfer folder on disk: root/Varnex/Transfer/<user>.
  std::filesystem::path TransferDir() const;
  std::filesystem::path OnAirDir() const { return dir_ / "onair"; }
  // The transfer folder as the client names it: "Varnex\Transfer\<user>\".
  std::string RemoteTransferFolder() const;
  // The account as a server record: host 127.0.0.1, this port, passive mode.
  TMediaServer Server() const;

  // Report lines, one per update: time, user, "published" or "rejected", detail (tab between).
  std::vector<std::string> ReportLines() const;
  // Session log lines: "<session> <EVENT> <detail>".
  std::vector<std::string> LogLines() const;
  // The details of every log line of one event (e.g. "LOGIN", "USER", "COMMAND").
  std::vector<std::string> LogDetails(const std::string& event) const;
  // The names of the files the server received, in order.
  std::vector<std::string> ReceivedNames() const;
  // Waits until the report holds count lines; false on timeout.
  bool WaitForReportLines(std::size_t count,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
  // Waits until the log shows count events of a kind; false on timeout.
  bool WaitForLogEvents(const std::string& event, std::size_t count,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

  void Stop();

 private:
  VarnexSimOptions options_;
  std::filesystem::path dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// Writes bytes to a file, creating or replacing it; throws std::runtime_error on failure.
void WriteTestFile(const std::filesystem::path& path, const std::string& bytes);
// Reads a whole file; throws std::runtime_error when it cannot.
std::string ReadTestFile(const std::filesystem::path& path);

}  // namespace tavrel::testing
