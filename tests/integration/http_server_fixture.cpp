#include "http_server_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace tavrel::testing {

namespace {

// Reads one line from fd, waiting at most timeoutMs for each piece of it.
std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  char c = 0;
  while (true) {
    pollfd waitFor{fd, POLLIN, 0};
    if (poll(&waitFor, 1, timeoutMs) <= 0) break;
    if (read(fd, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  return line;
}

}  // namespace

PythonHttpServer::PythonHttpServer(const std::filesystem::path& root) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("cannot create a pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  // The request log goes to stderr; nobody reads it, and a full pipe would block the server.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> args = {"/usr/bin/python3", "-u",          "-m",
                                   "http.server",      "0",           "--bind",
                                   "127.0.0.1",        "--directory", root.string()};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    throw std::runtime_error("cannot start /usr/bin/python3 -m http.server");
  }
  // "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ..."
  const std::string line = ReadLine(pipeEnds[0], 10000);
  close(pipeEnds[0]);
  if (std::sscanf(line.c_str(), "Serving HTTP on %*s port %d", &port_) != 1) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    throw std::runtime_error("http.server did not start: \"" + line + "\"");
  }
}

PythonHttpServer::~PythonHttpServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

std::string PythonHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
}

}  // namespace tavrel::testing
