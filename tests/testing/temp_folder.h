#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavrel::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    path_ = pattern + "/";
  }
  ~TempFolder() {
    std::error_code ignored;
    // Restore write permission below so that a test's read-only files do not stop cleanup.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder as the core's folder fields hold it: with a trailing '/'.
  const std::string& Path() const { return path_; }
  const std::string& Dir() const { return path_; }
  // The folder as a path, for building paths with '/'.
  const std::filesystem::path& Root() const { return root_; }
  std::string operator/(std::string_view name) const { return path_ + std::string(name); }

 private:
  std::filesystem::path root_;
  std::string path_;
};

// Writes bytes to a file, creating the folders above it.
inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The bytes of a file; empty when there is no such file.
inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tavrel::testing
