#include "support/home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace tavrel {

namespace {

constexpr std::chrono::milliseconds kPollPause{20};

std::string WithoutTrailingSlash(std::string home) {
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return home;
}

}  // namespace

std::string THomeLock::InUseMessage(const std::string& home, const std::string& lockPath) {
  std::string owner;
  const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    char buffer[32] = {};
    const ssize_t length = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    for (ssize_t i = 0; i < length && buffer[i] >= '0' && buffer[i] <= '9'; ++i) owner += buffer[i];
  }
  return "another Tavrel is working in " + WithoutTrailingSlash(home) +
         (owner.empty() ? std::string() : " (process " + owner + ")");
}

THomeLock::THomeLock(const std::string& home, std::chrono::milliseconds wait,
                     std::stop_token stop) {
  const std::string path = WithoutTrailingSlash(home) + "/" + kHomeLockFileName;
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) throw FileError(path, std::string("cannot open the lock file: ") + std::strerror(errno));
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if ((error != EWOULDBLOCK && error != EINTR) || stop.stop_requested() ||
        std::chrono::steady_clock::now() >= deadline) {
      ::close(fd_);
      fd_ = -1;
      if (error != EWOULDBLOCK && error != EINTR) {
        throw FileError(path, std::string("cannot lock: ") + std::strerror(error));
      }
      throw THomeInUse(InUseMessage(home, path));
    }
    std::this_thread::sleep_for(kPollPause);
  }
  // Only for the message a second writer shows; the lock itself is the kernel's.
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd_, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd_, pid.data(), pid.size(), 0);
  }
}

THomeLock::~THomeLock() {
  // Closing the descriptor releases the lock; the file stays, so that no second writer can
  // lock a file that a third has just replaced.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace tavrel
