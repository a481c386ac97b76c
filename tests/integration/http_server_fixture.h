#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace tavrel::testing {

// Python's http.server serving one folder on 127.0.0.1 at a port the system chooses, for
// the lifetime of the object. Python's server answers a folder asked for without its trailing
// "/" with a redirect, and a missing file with 404, which is all the failure cases need.
class PythonHttpServer {
 public:
  explicit PythonHttpServer(const std::filesystem::path& root);
  ~PythonHttpServer();
  PythonHttpServer(const PythonHttpServer&) = delete;
  PythonHttpServer& operator=(const PythonHttpServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>/" followed by path.
  std::string Url(const std::string& path) const;

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace tavrel::testing
