#pragma once

// What the fuzz targets share: a scratch file for readers that take a path, and a check that
// turns a broken promise of the code under test into a crash the fuzzer reports.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace tavrel::fuzz {

// Marks a function of a target's own, such as one that checks what the code under test
// produced. It is left out of the coverage instrumentation the fuzzer steers by and of the
// address checks: its loops over every pixel or glyph row are no behaviour of the code under
// test, and instrumented they took most of the time of each run. (Memory the code under test
// spoils is still caught there, where the sanitizer watches.)
#if defined(__clang__)
#define TAVREL_FUZZ_HARNESS __attribute__((no_sanitize("coverage", "address")))
#else
#define TAVREL_FUZZ_HARNESS
#endif

// Stops the run with a message when a property that must hold for every input does not.
TAVREL_FUZZ_HARNESS inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

// One folder per process, removed at exit. Readers that take a file name get the fuzzer's bytes
// through files in it. It lives in memory (/dev/shm) where there is one: a file written for
// every input on a disk-backed temporary folder slows a run down more than tenfold.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "tavrel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = pattern + "/";
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The path of a file in the folder holding exactly bytes.
  std::string Write(std::string_view name, const std::uint8_t* data, std::size_t size) const {
    const std::string path = path_ + std::string(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      std::perror(path.c_str());
      std::abort();
    }
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) {
      std::perror(path.c_str());
      std::abort();
    }
    return path;
  }

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The folder of the running target; a static, so it lives as long as the process.
inline const ScratchFolder& Scratch() {
  static const ScratchFolder folder;
  return folder;
}

}  // namespace tavrel::fuzz
