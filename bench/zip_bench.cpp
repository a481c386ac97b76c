// Packing a generated export folder: our archive writer against the zip command on the same
// files, side by side. Run from a release build:
//   build/release/bench/zip_bench --benchmark_min_time=2
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "transfer/zip_package.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kPageCount = 2000;
constexpr int kPageBytes = 1008;

// Words for the page bodies, so that the files compress like real news pages do.
constexpr std::array<const char*, 16> kWords = {
    "the",    "government", "announced", "today", "that",    "new",  "rules", "for",
    "travel", "weather",    "football",  "match", "markets", "fell", "after", "storm"};

// Odd parity in bit 7, as on a transmitted teletext row.
char WithOddParity(unsigned char c) {
  return static_cast<char>(__builtin_parity(c) ? c : (c | 0x80));
}

// Writes kPageCount files of kPageBytes, shaped like broadcast page records: 24 rows of 42 bytes
// of parity-coded text, named like generated pages.
fs::path MakeExportFolder() {
  fs::path folder = fs::temp_directory_path() / ("tavrel_zip_bench_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "in");
  std::mt19937 random(12345);
  for (int page = 0; page < kPageCount; ++page) {
    std::string body;
    while (body.size() < static_cast<size_t>(kPageBytes)) {
      body += kWords[random() % kWords.size()];
      body += ' ';
    }
    body.resize(kPageBytes);
    for (char& c : body) c = WithOddParity(static_cast<unsigned char>(c));
    char name[32];
    std::snprintf(name, sizeof name, "%03d-%04d.pag", 100 + page / 10, page % 10);
    std::ofstream(folder / "in" / name, std::ios::binary).write(body.data(), kPageBytes);
  }
  return folder;
}

const fs::path& ExportFolder() {
  static const fs::path folder = MakeExportFolder();
  return folder;
}

void BM_ZipFolder(benchmark::State& state) {
  const fs::path archive = ExportFolder() / "ours.zip";
  for (auto _ : state) {
    tavrel::ZipFolder((ExportFolder() / "in").string(), archive.string());
  }
  state.counters["archive_bytes"] = static_cast<double>(fs::file_size(archive));
}
BENCHMARK(BM_ZipFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference: "zip -q -j" over the same files, as a shell would call it (the file list is
// expanded here, as the shell's glob would).
void BM_ZipCommand(benchmark::State& state) {
  const fs::path archive = ExportFolder() / "zip.zip";
  std::vector<std::string> args = {"zip", "-q", "-j", archive.string()};
  for (const auto& entry : fs::directory_iterator(ExportFolder() / "in")) {
    args.push_back(entry.path().string());
  }
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    fs::remove(archive);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "zip", nullptr, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("zip command not found");
      return;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("zip command failed");
      return;
    }
  }
  state.counters["archive_bytes"] = static_cast<double>(fs::file_size(archive));
}
BENCHMARK(BM_ZipCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(ExportFolder());
  return 0;
}
