#pragma once

#include <stdexcept>
#include <string>

namespace tavrel {

// Every file and parse error of the core. The message names the file, the position where
// known, and what is wrong, so a caller can show it to the operator as it stands.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Builds "<file>: <what>" for errors about a file.
Error FileError(const std::string& fileName, const std::string& what);

// Builds "<file>:<line>:<column>: <what>" for parse errors with a position.
Error ParseError(const std::string& fileName, long line, long column, const std::string& what);

}  // namespace tavrel
