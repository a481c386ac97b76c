// A whole generation run against the floor of what it must do: a 2,000-message feed over 20
// categories is read, laid out, encoded and written as page files and Control.dat; beside it,
// the same page files are written as plain 1008-byte files with open, write and close, into
// the same kind of folder. The run should cost at most 1.5 times the plain writes.
//
// Page numbers hold 800 pages, so 2,000 messages cannot each have their own: categories c and
// c + 7 share the page range of one magazine, and a page number is written only once, for the
// first category that claims it; the messages of later categories on a taken number are
// skipped. The plain writes repeat exactly the file names the run wrote, in the same order.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "page/template_file.h"
#include "pipeline/feed_reader.h"
#include "pipeline/page_generator.h"
#include "render/text_layout.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMessages = 2000;
constexpr int kCategories = 20;

// News-like text of about `size` bytes: words of 1 to 12 letters, sentences of a few words.
std::string MessageText(std::mt19937& random, std::size_t size) {
  std::string text;
  int wordsInSentence = 0;
  while (text.size() < size) {
    for (int length = 1 + random() % 12; length > 0; --length) text += 'a' + random() % 26;
    if (++wordsInSentence > 6 + static_cast<int>(random() % 12)) {
      text += ". ";
      wordsInSentence = 0;
    } else {
      text += ' ';
    }
  }
  return text;
}

// A workspace with templates, a feed and an export folder, made once for the whole run.
class Workspace {
 public:
  Workspace() {
    std::string pattern = (fs::temp_directory_path() / "tavrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern + "/";
    fs::create_directories(ExportDir());
    fs::create_directories(PlainDir());
    for (const char* name : {"index.tpg", "message.tpg"}) {
      std::ofstream(root_ + name).flush();
      tavrel::TPageFile file(root_ + name);
      file.SetBlockText(tavrel::TTextBlock{3, 6, 38, 22});
      file.SetCharSet(8);
      file.Save();
    }
    for (int c = 0; c < kCategories; ++c) {
      tavrel::TRssTxtPageProperty entry;
      entry.Category = "Category" + std::to_string(c);
      const int magazine = c % 7;
      entry.IndexNumber = 100 * (magazine + 1);
      entry.FirstNumber = entry.IndexNumber + 1;
      entry.IndexTemplateFileName = root_ + "index.tpg";
      entry.MessageTemplateFileName = root_ + "message.tpg";
      table_.push_back(entry);
    }
    std::mt19937 random(11);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    for (int m = 0; m < kMessages; ++m) {
      // Mostly one screen; every tenth message needs several sub-pages.
      const std::size_t size = m % 10 == 0 ? 1500 + random() % 1500 : 200 + random() % 400;
      xml += "<message><category>Category" + std::to_string(m % kCategories) +
             "</category><title>Title of message " + std::to_string(m) + "</title><text>" +
             MessageText(random, size) + "</text></message>\n";
    }
    xml += "</root>\n";
    std::ofstream(FeedPath(), std::ios::binary) << xml;
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::string ExportDir() const { return root_ + "Export/"; }
  std::string PlainDir() const { return root_ + "Plain/"; }
  std::string FeedPath() const { return root_ + "feed.xml"; }
  const tavrel::TRssTxtPageProperties& Table() const { return table_; }

 private:
  std::string root_;
  tavrel::TRssTxtPageProperties table_;
};

Workspace& TheWorkspace() {
  static Workspace workspace;
  return workspace;
}

// Reads the feed and generates everything; answers the names of the page files in write order.
std::vector<std::string> GenerateOnce(tavrel::TPTextToPrestelPageForm& formatter) {
  Workspace& workspace = TheWorkspace();
  tavrel::TPRSS reader;
  if (!reader.LoadFromFile(workspace.FeedPath())) throw std::runtime_error("no feed");
  tavrel::TRICreateRssTxtPages generator(workspace.ExportDir(), reader.GetMessages(),
                                         workspace.Table(), &formatter);
  std::vector<std::string> names;
  generator.OnPageWritten = [&](const tavrel::TGeneratedPage& page) {
    names.push_back(page.FileName);
  };
  generator.Run();
  return names;
}

const std::vector<std::string>& PageNames() {
  static const std::vector<std::string> names = [] {
    tavrel::TPTextToPrestelPageForm formatter;
    return GenerateOnce(formatter);
  }();
  return names;
}

long PeakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_GenerateFeed(benchmark::State& state) {
  const std::size_t files = PageNames().size();
  tavrel::TPTextToPrestelPageForm formatter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(GenerateOnce(formatter).size());
  }
  state.counters["page_files"] = static_cast<double>(files);
  state.counters["per_file"] =
      benchmark::Counter(static_cast<double>(files), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  state.counters["peak_rss_KiB"] = static_cast<double>(PeakMemoryKiB());
}
BENCHMARK(BM_GenerateFeed)->Unit(benchmark::kMillisecond);

void BM_PlainFileWrites(benchmark::State& state) {
  const std::vector<std::string>& names = PageNames();
  const std::string folder = TheWorkspace().PlainDir();
  std::array<char, 1008> record{};
  record.fill(0x20);
  for (auto _ : state) {
    for (const std::string& name : names) {
      const int fd = ::open((folder + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, record.data(), record.size()) != 1008 || ::close(fd) != 0) {
        state.SkipWithError("plain write failed");
        return;
      }
    }
  }
  state.counters["page_files"] = static_cast<double>(names.size());
  state.counters["per_file"] = benchmark::Counter(
      static_cast<double>(names.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainFileWrites)->Unit(benchmark::kMillisecond);

// The two side by side within each iteration, so that both see the same load on a shared
// machine: the time shown is the generator's, "plain_ms" the plain writes' and "ratio" the
// generator's total over the plain writes' total.
void BM_GenerateVersusPlain(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const std::vector<std::string>& names = PageNames();
  const std::string folder = TheWorkspace().PlainDir();
  std::array<char, 1008> record{};
  record.fill(0x20);
  tavrel::TPTextToPrestelPageForm formatter;
  double generateSeconds = 0;
  double plainSeconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(GenerateOnce(formatter).size());
    const auto generated = Clock::now();
    for (const std::string& name : names) {
      const int fd = ::open((folder + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, record.data(), record.size()) != 1008 || ::close(fd) != 0) {
        state.SkipWithError("plain write failed");
        return;
      }
    }
    const auto written = Clock::now();
    const double generate = std::chrono::duration<double>(generated - start).count();
    generateSeconds += generate;
    plainSeconds += std::chrono::duration<double>(written - generated).count();
    state.SetIterationTime(generate);
  }
  state.counters["page_files"] = static_cast<double>(names.size());
  state.counters["plain_ms"] = 1000 * plainSeconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = plainSeconds > 0 ? generateSeconds / plainSeconds : 0;
  state.counters["peak_rss_KiB"] = static_cast<double>(PeakMemoryKiB());
}
BENCHMARK(BM_GenerateVersusPlain)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
