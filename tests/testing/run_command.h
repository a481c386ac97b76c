#pragma once

#include <cstdio>
#include <string>

namespace tavrel::testing {

struct CommandResult {
  int ExitCode = -1;
  std::string Output;
};

// Runs a shell command and gathers what it prints on stdout. Used to ask independent tools
// (Python's standard library) to check what our code wrote.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Output.append(buffer, got);
  const int status = pclose(pipe);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace tavrel::testing
