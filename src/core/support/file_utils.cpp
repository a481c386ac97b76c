#include "support/file_utils.h"

#include <sys/stat.h>

namespace tavrel {

std::int32_t GetFileSize(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return -1;
  return static_cast<std::int32_t>(status.st_size);
}

}  // namespace tavrel
