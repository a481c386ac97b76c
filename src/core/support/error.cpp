#include "support/error.h"

namespace tavrel {

Error FileError(const std::string& fileName, const std::string& what) {
  return Error(fileName + ": " + what);
}

Error ParseError(const std::string& fileName, long line, long column, const std::string& what) {
  return Error(fileName + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + what);
}

}  // namespace tavrel
