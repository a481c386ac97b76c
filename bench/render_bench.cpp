// How long the preview takes to decode and draw a full, busy page.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "page/page_record.h"
#include "page/row_decoder.h"
#include "render/page_preview.h"
#include "render/page_renderer.h"
#include "render/teletext_fonts.h"
#include "testing/control_codes.h"

namespace tavrel {
namespace {

using tavrel::testing::ExpandCodes;

// 23 body rows as a news page has them: a double-height headline, coloured text, mosaic bars
// with backgrounds and hold, flashing text, separated graphics and national characters.
TPrestPage BusyPage() {
  // Control codes and national characters are written as {XX} in hex.
  const std::vector<std::string> rows = {
      "{0D}{03}TAVREL NEWS  {12}{1D}{14}{7F}{7F}{7F}{1C}{07} page 101",
      "",
      "{06}Regierung beschlie{7E}t neues Gesetz {01}zur Energie",
      "{07}Die Koalition hat sich am Montag auf ein",
      "{07}Paket geeinigt, das die Preise f{7D}r Strom",
      "{11}{1D}{13}{7F}{2C}{23}{7F}{1E}{14}{7F}{1F}{1A}{15}{7F}{3F}{6F}{7C}{19}{16}{7F}{7F}{7F}{7F}"
      "{1C}",
      "{08}{01}EILMELDUNG{09}{02} Bahnstreik beendet",
      "{04}{1D}{07} Sport {1C}{03} Fu{7E}ball: 3:1 im Derby",
      "{0D}{06}Wetter{0C}{07} sonnig, bis 24 Grad",
      "",
      "{12}{7F}{7F}{7F}{15}{23}{23}{23}{16}{60}{60}{60}{13}{2F}{2F}{2F}{1A}{7F}{7F}{7F}{17}{7F}",
      "{05}B{7D}rse{07} DAX +1,2%  {02}Dow +0,4%  {01}Nikkei -0,3%",
      "{07}{1D}{04}Verkehr: A7 gesperrt zwischen Kassel",
      "{03}und G{7C}ttingen. Umleitung {7D}ber B3.",
      "{0D}{11}{7F}{7F}{1E}{14}{12}{7F}{7F}{7F}{16}{7F}{7F}{17}{7F}{7F}{7F}{7F}{7F}",
      "",
      "{06}Kultur{07} Ausstellung er{7C}ffnet am Freitag",
      "{18}{07}verdeckt{0B}{0B}box{0A}{0A}{1B}",
      "{14}{1D}{07} 100 {03}Index  {07} 200 {03}Sport  {07} 300 {03}Wetter",
      "{01}{1D}{07} Seite 101 {02}{1D}{07} Seite 102 {03}{1D}{04} Seite 103",
      "{02}Mehr Nachrichten auf den Seiten 110 bis 199",
      "{16}{1A}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}{2C}",
      "{01}Index{02}Sport{03}Wetter{06}Kultur",
  };
  TPrestPage page = TPrestPage::Blank(kCharSetGerman);
  for (std::size_t i = 0; i < rows.size() && i + 1 < kPageRows; ++i) {
    const std::string cells = ExpandCodes(rows[i]);
    for (std::size_t c = 0; c < cells.size() && c < kPageColumns; ++c) {
      page.Cell(static_cast<int>(i) + 1, static_cast<int>(c)) = static_cast<std::uint8_t>(cells[c]);
    }
  }
  return page;
}

const TTeletextFonts* LoadFonts(benchmark::State& state) {
  static TTeletextFonts fonts;
  static const TFontLoadResult result = fonts.Load(kFontFileAll1216, TAVREL_BINARY_DIR);
  if (!result.Success()) {
    state.SkipWithError(("fonts not built: " + result.Message()).c_str());
    return nullptr;
  }
  return &fonts;
}

// The preview's work for one page: decode rows 1..23, draw the frame and every row into a
// 492 x 380 picture that already exists (the view keeps its surface).
void BM_DecodeAndRenderBusyPage(benchmark::State& state) {
  const TTeletextFonts* fonts = LoadFonts(state);
  if (!fonts) return;
  const TFontSet& set = fonts->FontSet(kFontSize1216);
  const TPrestPage page = BusyPage();
  TRgbaImage image(492, 380);
  std::vector<TPrestCell> cells(kCellGridSize);
  TRowFlags flash{};
  int runs = 0;
  for (auto _ : state) {
    DecodePage(page.Cells, 1, false, cells);
    DrawFrame(image, 0, 0, 0, 23, set.CellWidth, set.CellHeight);
    runs = DrawRows(image, 1, 23, cells, page.CharSet, 6, 6 - set.CellHeight, set.CellWidth,
                    set.CellHeight, set, false, flash);
    benchmark::DoNotOptimize(image.Bytes());
  }
  state.counters["runs"] = runs;
}
BENCHMARK(BM_DecodeAndRenderBusyPage);

// The same through the one-call preview, which also makes a new picture every time.
void BM_RenderPagePreview(benchmark::State& state) {
  const TTeletextFonts* fonts = LoadFonts(state);
  if (!fonts) return;
  const TPrestPage page = BusyPage();
  for (auto _ : state) {
    TRgbaImage image = RenderPagePreview(page, fonts->FontSet(kFontSize1216));
    benchmark::DoNotOptimize(image.Bytes());
  }
}
BENCHMARK(BM_RenderPagePreview);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
