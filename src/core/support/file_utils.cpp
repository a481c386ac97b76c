#include "support/file_utils.h"

#include <sys/stat.h>

namespace tavrel {

std::int64_t GetFileSize(const std::string& pathOrMask) {
  struct stat status {};
  if (stat(pathOrMask.c_str(), &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

}  // namespace tavrel
