// The browser preview's own work for one page, without HTTP: the first drawing of a picture
// (draw, then PNG) at 1x and 2x, indexed against RGB, and the page document.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "render/page_preview.h"
#include "render/png_writer.h"
#include "render/teletext_fonts.h"
#include "serve/preview_generation.h"
#include "serve/preview_html.h"
#include "testing/control_codes.h"

namespace tavrel {
namespace {

// A message page as the generator makes them: a double-height heading on a coloured bar, text
// rows, page numbers and a mosaic rule.
TPrestPage MessagePage() {
  const std::vector<std::string> rows = {
      "{11}{1D}{7F}{7F}{7F}{13}{7F}{7F}{7F}{16}{7F}{7F}{7F}{01}{1D}{0D}{03}NEWS",
      "",
      "{06}News",
      "",
      "{03}STORM DAMAGE: THE FULL PICTURE",
      "",
      "{07}Last weekend's storm was the strongest",
      "{07}to hit the coast in more than twenty",
      "{07}years. Gusts of up to 140 kilometres an",
      "{07}hour were measured at the lighthouse on",
      "{07}the northern point, and the ferry",
      "{07}service to the islands was suspended",
      "{07}for two days. Emergency services",
      "{07}answered more than 900 calls between",
      "{07}Saturday evening and Monday morning.",
      "",
      "",
      "{16}                              1/4 >>",
      "{11}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}",
      "{04}{1D}{03}Tavrel Teletext   News 100  Sport 200",
  };
  TPrestPage page = TPrestPage::Blank(kCharSetEnglish);
  for (std::size_t i = 0; i < rows.size() && i + 1 < kPageRows; ++i) {
    const std::string cells = testing::ExpandCodes(rows[i]);
    for (std::size_t c = 0; c < cells.size() && c < kPageColumns; ++c) {
      page.Cell(static_cast<int>(i) + 1, static_cast<int>(c)) = static_cast<std::uint8_t>(cells[c]);
    }
  }
  return page;
}

const TFontSet* Fonts(benchmark::State& state) {
  static TTeletextFonts fonts;
  static const TFontLoadResult result = fonts.Load(kFontFileAll1216, TAVREL_BINARY_DIR);
  if (!result.Success()) {
    state.SkipWithError(("fonts not built: " + result.Message()).c_str());
    return nullptr;
  }
  return &fonts.FontSet(kFontSize1216);
}

const TFastextValues kFastext = {{"News", "Sport", "Money", "Weather"},
                                 {"100", "200", "300", "400"}};

// The first drawing of a picture as the server does it: a new generation each time, so the
// picture is never in its cache. Argument: the scale (1 or 2).
void BM_FirstDrawingOfAPicture(benchmark::State& state) {
  const TFontSet* fonts = Fonts(state);
  if (!fonts) return;
  const std::vector<TPreviewPage> pages = {{"107", {{"0001", MessagePage(), kFastext}}}};
  std::size_t bytes = 0;
  for (auto _ : state) {
    const TPreviewGeneration generation(1, pages);
    bytes = generation.Picture("107", "0001", static_cast<int>(state.range(0)), *fonts)->size();
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FirstDrawingOfAPicture)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The encoding alone of the same picture: indexed colours (argument 1) against RGB (0).
void BM_EncodePagePicture(benchmark::State& state) {
  const TFontSet* fonts = Fonts(state);
  if (!fonts) return;
  TPreviewOptions options;
  options.FastextRow = BuildFastextRow(kFastext.Prompts);
  const TRgbaImage image = RenderPagePreview(MessagePage(), *fonts, options);
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes =
        (state.range(0) == 1 ? EncodeIndexedPng(image, "page") : EncodePng(image, "page")).size();
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodePagePicture)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The page document, which every page request builds anew from the generation in memory.
void BM_PageDocument(benchmark::State& state) {
  const std::vector<TPreviewPage> pages = {{"107", {{"0001", MessagePage(), kFastext}}}};
  const TPreviewGeneration generation(1, pages);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        SubPageDocument(generation, generation.Pages()[0], generation.Pages()[0].SubPages[0]));
  }
}
BENCHMARK(BM_PageDocument);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
