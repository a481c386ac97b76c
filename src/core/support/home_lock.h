#pragma once

#include <chrono>
#include <stop_token>
#include <string>

#include "support/error.h"

namespace tavrel {

// The lock file in a home folder. Every run that writes Export/ or Handled/ or sends an update
// holds it, so that two of them (the scan service and a manual command, two services) never
// empty Export/ under each other.
inline constexpr const char* kHomeLockFileName = ".tavrel.lock";

// How long a second writer waits for the home before it gives up: long enough for a generation
// or a step's last status to end, short enough that a command does not seem to hang.
inline constexpr std::chrono::milliseconds kHomeLockWait{5000};

// Thrown when the home stays taken for the whole wait; the message is the operator's:
// "another Tavrel is working in <home> (process N)".
class THomeInUse : public Error {
 public:
  using Error::Error;
};

// An exclusive hold on a home folder, as long as the object lives. The lock is the kernel's
// (flock on "<home>/.tavrel.lock"): it goes with the process, so a crashed run never leaves a
// stale lock behind. The file holds the owner's process id, only to name it in the message.
class THomeLock {
 public:
  // Takes the lock of home (a folder, with or without a trailing "/"), trying again every few
  // milliseconds for up to wait; a stop ends the wait at once. Throws THomeInUse when the home
  // stays taken (or a stop was requested), tavrel::Error naming the file when the lock file
  // cannot be opened.
  THomeLock(const std::string& home, std::chrono::milliseconds wait = kHomeLockWait,
            std::stop_token stop = {});
  ~THomeLock();
  THomeLock(const THomeLock&) = delete;
  THomeLock& operator=(const THomeLock&) = delete;

  // "another Tavrel is working in <home> (process N)" for a home whose lock file names N.
  static std::string InUseMessage(const std::string& home, const std::string& lockPath);

 private:
  int fd_ = -1;
};

}  // namespace tavrel
