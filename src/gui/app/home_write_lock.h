#pragma once

#include <string>

namespace tavrel::gui {

// HOME LOCK: the one place where the window takes the home's write lock, so that the window and
// a scan service working on the same home never write or send at the same time. Held by every
// Preview, Upload and scan step for its whole run and by every save of the settings file.
// Until the home lock of the command line is in the core, this guard holds nothing.
class THomeWriteLock {
 public:
  explicit THomeWriteLock(const std::string& programDir) { (void)programDir; }
  THomeWriteLock(const THomeWriteLock&) = delete;
  THomeWriteLock& operator=(const THomeWriteLock&) = delete;
};

}  // namespace tavrel::gui
