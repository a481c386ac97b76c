// Cost of encoding pages and writing them with their control file, side by side with writing
// the same number of 1008-byte files with plain open/write/close into the same kind of folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "page/broadcast_encoder.h"
#include "pipeline/control_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 2000;

// A fresh folder for one benchmark, removed afterwards.
class BenchDir {
 public:
  BenchDir() {
    std::string pattern = (fs::temp_directory_path() / "tavrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern + "/";
  }
  ~BenchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void WriteWhole(const std::string& path, const void* data, std::size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size) || ::close(fd) != 0) {
    std::abort();
  }
}

tavrel::TTransPage SamplePage(int index) {
  tavrel::TTransPage page;
  for (int i = tavrel::kPageColumns; i < tavrel::kPageCells; ++i) {
    page.Cells[i] = static_cast<std::uint8_t>(0x20 + (i * 7 + index) % 0x60);
  }
  page.SetCharset(8);
  return page;
}

std::string PageFileName(int number, int subPage) {
  char name[32];
  std::snprintf(name, sizeof name, "%d-%04d.pag", number, subPage);
  return name;
}

void RecordPeakMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_kib"] = static_cast<double>(usage.ru_maxrss);
}

void BM_EncodePage(benchmark::State& state) {
  tavrel::TTransPage page = SamplePage(1);
  page.PageText = "123";
  page.SubPageText = "0001";
  for (auto _ : state) benchmark::DoNotOptimize(page.Encode());
}
BENCHMARK(BM_EncodePage);

void BM_PlainWrite2000Files(benchmark::State& state) {
  BenchDir dir;
  const std::vector<std::uint8_t> record(tavrel::kPagRecordBytes, 0x20);
  for (auto _ : state) {
    for (int i = 0; i < kPages; ++i) {
      WriteWhole(dir.Path() + PageFileName(100 + i % 800, i / 800), record.data(), record.size());
    }
  }
  RecordPeakMemory(state);
}
BENCHMARK(BM_PlainWrite2000Files)->Unit(benchmark::kMillisecond);

void BM_EncodeAndWrite2000PagesWithControlFile(benchmark::State& state) {
  BenchDir dir;
  for (auto _ : state) {
    tavrel::TControlFileWriter control(true);
    for (int i = 0; i < kPages; ++i) {
      const int number = 100 + i % 800;
      const int subPage = i / 800;
      tavrel::TTransPage page = SamplePage(i);
      page.PageText = std::to_string(number);
      page.SubPageText = "000" + std::to_string(subPage);
      const tavrel::TBroadcastRecord image = page.Encode();
      const std::string name = PageFileName(number, subPage);
      WriteWhole(dir.Path() + name, image.data(), image.size());
      control.AddPageEntry(number, subPage, tavrel::TControlFastext{}, name, page.Charset());
    }
    control.AddClearEntries({{true, 100, 101, 17}});
    control.Save(dir.Path());
  }
  RecordPeakMemory(state);
}
BENCHMARK(BM_EncodeAndWrite2000PagesWithControlFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
