#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace tavrel::testing {

// One run of a program with its stdout and stderr each on a pipe of their own, so that a test
// can read its lines as they come, send it a signal and take its exit code. Every wait is
// bounded; the destructor kills a program still running.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& arguments) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
      throw std::runtime_error("cannot make pipes");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (spawned != 0) {
      pid_ = -1;
      throw std::runtime_error("cannot start " + arguments.at(0));
    }
  }
  ~ChildProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }

  // Reads stdout until a line containing text has arrived; false when the program ends or
  // the time runs out first.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Out.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) {
        return Out.find(text) != std::string::npos;
      }
    }
    return true;
  }

  // Reads everything until the program ends and answers its exit code (-1 for a program
  // ended by a signal); nothing when it is still running when the time runs out.
  std::optional<int> Finish(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out_ >= 0 || err_ >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      ReadSome(static_cast<int>(left.count()));
    }
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return std::nullopt;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Out;
  std::string Err;

 private:
  // Waits up to timeoutMs for output and reads what came; false once both pipes are closed.
  bool ReadSome(int timeoutMs) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (out_ < 0 && err_ < 0) return false;
    if (poll(fds, 2, timeoutMs) <= 0) return true;
    Drain(out_, fds[0].revents, Out);
    Drain(err_, fds[1].revents, Err);
    return out_ >= 0 || err_ >= 0;
  }
  static void Drain(int& fd, short events, std::string& into) {
    if (fd < 0 || events == 0) return;
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) return;
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
    } else {
      close(fd);
      fd = -1;
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

}  // namespace tavrel::testing
