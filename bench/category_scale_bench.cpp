// A feed whose messages carry many distinct categories, none of them defined: checking and
// generating must take time in proportion to the number of categories. Each size runs the
// check (categories and page numbers) and a whole run into an export folder; the reported
// complexity should come out as N (linear), and 100,000 categories should take about five
// times as long as 20,000.
//
//   build/release/bench/category_scale_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "pipeline/page_generator.h"

namespace {

namespace fs = std::filesystem;

tavrel::TRSSMessages Feed(int categories) {
  tavrel::TRSSMessages messages;
  messages.reserve(categories);
  for (int i = 0; i < categories; ++i) {
    messages.push_back({"Category " + std::to_string(i), "Title", "Text.", {}});
  }
  return messages;
}

// One category of the table, so that every feed category is looked up against it.
tavrel::TRssTxtPageProperties Table() {
  tavrel::TRssTxtPageProperty entry;
  entry.Category = "News";
  entry.IndexNumber = 100;
  entry.FirstNumber = 101;
  return {entry};
}

void BM_CheckCategories(benchmark::State& state) {
  const tavrel::TRSSMessages messages = Feed(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    tavrel::TRICreateRssTxtPages generator("/nonexistent/", messages, Table());
    std::vector<std::string> lines;
    generator.CheckCategories(lines);
    generator.CheckPageNumbers(lines);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CheckCategories)
    ->Arg(20000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_GenerateRun(benchmark::State& state) {
  const tavrel::TRSSMessages messages = Feed(static_cast<int>(state.range(0)));
  std::string folder = (fs::temp_directory_path() / "tavrel-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  for (auto _ : state) {
    tavrel::TRICreateRssTxtPages generator(folder + "/", messages, Table());
    generator.Run();
    benchmark::DoNotOptimize(generator.Summary().Skipped.data());
  }
  fs::remove_all(folder);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_GenerateRun)
    ->Arg(20000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
