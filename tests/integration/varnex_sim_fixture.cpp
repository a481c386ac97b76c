#include "varnex_sim_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tavrel::testing {

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kScript = TAVREL_SOURCE_DIR "/tools/varnex-sim/varnex_sim.py";

std::filesystem::path MakeTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/varnex-sim-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary folder for the simulator");
  }
  return pattern;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace

VarnexSimulator::VarnexSimulator(VarnexSimOptions options)
    : options_(std::move(options)), dir_(MakeTempDir()) {
  const auto portFile = dir_ / "port";
  std::vector<std::string> arguments = {kPython,       kScript,
                                        "--dir",       dir_.string(),
                                        "--port",      "0",
                                        "--port-file", portFile.string(),
                                        "--user",      options_.User,
                                        "--password",  options_.Password,
                                        "--delay",     std::to_string(options_.Delay)};
  if (!options_.Proxy.empty()) arguments.insert(arguments.end(), {"--proxy", options_.Proxy});
  if (!options_.LoginFolder.empty()) {
    arguments.insert(arguments.end(), {"--login-folder", options_.LoginFolder});
  }
  if (options_.Busy) arguments.push_back("--busy");
  if (options_.RefuseLogins) arguments.push_back("--refuse-logins");
  if (options_.DropAfter) {
    arguments.insert(arguments.end(), {"--drop-after", std::to_string(*options_.DropAfter)});
  }
  if (options_.StallAfter) {
    arguments.insert(arguments.end(), {"--stall-after", std::to_string(*options_.StallAfter)});
  }
  if (!options_.TlsCertificate.empty()) {
    arguments.insert(arguments.end(), {"--tls-cert", options_.TlsCertificate.string(), "--tls-key",
                                       options_.TlsKey.string()});
  }
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const auto output = (dir_ / "output.txt").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const int spawned = posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    std::filesystem::remove_all(dir_);
    throw std::runtime_error("cannot start " + std::string(kPython));
  }
  const bool listening = WaitFor(
      [&] {
        if (std::filesystem::exists(portFile)) return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
          pid_ = -1;
          return true;
        }
        return false;
      },
      std::chrono::seconds(20));
  if (!listening || pid_ < 0) {
    const std::string said = std::filesystem::exists(output) ? ReadTestFile(output) : "";
    Stop();
    throw std::runtime_error("the simulator did not start: " + said);
  }
  port_ = std::stoi(ReadTestFile(portFile));
}

VarnexSimulator::~VarnexSimulator() {
  try {
    Stop();
  } catch (...) {
    // A destructor never throws; a leftover temporary folder is all that can remain.
  }
}

void VarnexSimulator::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    const bool ended =
        WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, std::chrono::seconds(10));
    if (!ended) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    pid_ = -1;
  }
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    dir_.clear();
  }
}

std::filesystem::path VarnexSimulator::TransferDir() const {
  return RootDir() / "Varnex" / "Transfer" / options_.User;
}

std::string VarnexSimulator::RemoteTransferFolder() const {
  return "Varnex\\Transfer\\" + options_.User + "\\";
}

TMediaServer VarnexSimulator::Server() const {
  TMediaServer server;
  server.ServerName = "Varnex";
  server.FTPHost = "127.0.0.1";
  server.FTPUser = options_.User;
  server.FTPPassword = options_.Password;
  server.FTPPort = port_;
  server.FTPPassive = true;
  return server;
}

std::vector<std::string> VarnexSimulator::ReportLines() const {
  return ReadLines(dir_ / "report.txt");
}

std::vector<std::string> VarnexSimulator::LogLines() const {
  return ReadLines(dir_ / "session.log");
}

std::vector<std::string> VarnexSimulator::ReceivedNames() const {
  std::vector<std::string> names;
  for (const std::string& detail : LogDetails("RECEIVED")) {
    names.push_back(detail.substr(0, detail.find(' ')));
  }
  return names;
}

std::vector<std::string> VarnexSimulator::LogDetails(const std::string& event) const {
  std::vector<std::string> details;
  for (const auto& line : LogLines()) {
    const auto space = line.find(' ');
    if (space == std::string::npos) continue;
    const auto rest = line.substr(space + 1);
    if (rest == event) {
      details.emplace_back();
    } else if (rest.rfind(event + " ", 0) == 0) {
      details.push_back(rest.substr(event.size() + 1));
    }
  }
  return details;
}

bool VarnexSimulator::WaitForReportLines(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
  return WaitFor([&] { return ReportLines().size() >= count; }, timeout);
}

bool VarnexSimulator::WaitForLogEvents(const std::string& event, std::size_t count,
                                       std::chrono::milliseconds timeout) const {
  return WaitFor([&] { return LogDetails(event).size() >= count; }, timeout);
}

void WriteTestFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadTestFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace tavrel::testing
