// Speed of the text layout engine on long message texts. The page generator counts the rows of
// every message and splits long ones piece by piece, so counting must stay linear in the text
// and a split must cost no more than its head plus one copy of the rest.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "render/text_layout.h"

namespace {

// News-like text: words of 1 to 12 letters, sentences of a few words, a paragraph break now
// and then.
std::string MessageText(std::size_t size) {
  std::mt19937 random(7);
  std::string text;
  text.reserve(size + 16);
  int wordsInSentence = 0;
  while (text.size() < size) {
    for (int length = 1 + random() % 12; length > 0; --length) text += 'a' + random() % 26;
    if (++wordsInSentence > 6 + static_cast<int>(random() % 12)) {
      text += '.';
      wordsInSentence = 0;
      text += random() % 5 == 0 ? "\r\n" : " ";
    } else {
      text += ' ';
    }
  }
  text.resize(size);
  return text;
}

tavrel::TPTextToPrestelPageForm FormOf36Columns() {
  tavrel::TPTextToPrestelPageForm form;
  form.SetTextArea(3, 6, 38, 22);
  return form;
}

void BM_CountLines(benchmark::State& state) {
  const std::string text = MessageText(static_cast<std::size_t>(state.range(0)));
  const tavrel::TPTextToPrestelPageForm form = FormOf36Columns();
  for (auto _ : state) benchmark::DoNotOptimize(form.CountLines(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CountLines)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

// Fourteen rows off the front of texts of growing length: the time may grow only by the copy
// of the rest, never by wrapping what lies behind the head.
void BM_SplitOffLines(benchmark::State& state) {
  const std::string text = MessageText(static_cast<std::size_t>(state.range(0)));
  const tavrel::TPTextToPrestelPageForm form = FormOf36Columns();
  std::string rest;
  for (auto _ : state) {
    state.PauseTiming();
    rest = text;
    state.ResumeTiming();
    benchmark::DoNotOptimize(form.SplitOffLines(rest, 14));
  }
}
BENCHMARK(BM_SplitOffLines)
    ->Arg(16 << 10)
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMicrosecond);

// The floor for the split above: the one copy of the rest, when the first 500 bytes (about a
// head of 14 rows) leave the front of the same texts.
void BM_CopyOfRest(benchmark::State& state) {
  const std::string text = MessageText(static_cast<std::size_t>(state.range(0)));
  std::string rest;
  for (auto _ : state) {
    state.PauseTiming();
    rest = text;
    state.ResumeTiming();
    rest.erase(0, 500);
    benchmark::DoNotOptimize(rest.data());
  }
}
BENCHMARK(BM_CopyOfRest)->Arg(16 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
