// How long one key press in the page editor takes, from the engine command to the repainted
// changed rectangle of the page picture: the engine step, the display decode, the comparison
// of display words and the redraw of the changed rows.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "editor/editor_page_image.h"
#include "editor/page_editor.h"
#include "render/teletext_fonts.h"
#include "testing/control_codes.h"

namespace tavrel {
namespace {

// A template as operators make them: a double-height title, colour bars of mosaics, text rows
// with colour codes and a fastext row.
TPrestPage TemplatePage() {
  const std::vector<std::string> rows = {
      "{0D}{03}TAVREL NEWS  {12}{1D}{14}{7F}{7F}{7F}{1C}{07} page 101",
      "",
      "{12}{7F}{7F}{7F}{15}{23}{23}{23}{16}{60}{60}{60}{13}{2F}{2F}{2F}{1A}{7F}{7F}{7F}{17}{7F}",
      "{06}Regierung beschlie{7E}t neues Gesetz {01}zur Energie",
      "{07}Die Koalition hat sich am Montag auf ein",
      "{07}Paket geeinigt, das die Preise f{7D}r Strom",
      "{07}und Gas fuer die kommenden zwei Jahre",
      "{07}begrenzt. Die Opposition kritisiert das.",
      "{0D}{06}Wetter{0C}{07} sonnig, bis 24 Grad",
      "",
      "{05}B{7D}rse{07} DAX +1,2%  {02}Dow +0,4%  {01}Nikkei -0,3%",
      "{07}{1D}{04}Verkehr: A7 gesperrt zwischen Kassel",
      "{03}und G{7C}ttingen. Umleitung {7D}ber B3.",
      "{06}Kultur{07} Ausstellung er{7C}ffnet am Freitag",
      "{07}Text text text text text text text text",
      "{07}Text text text text text text text text",
      "{07}Text text text text text text text text",
      "{07}Text text text text text text text text",
      "{07}Text text text text text text text text",
      "{07}Text text text text text text text text",
      "{02}Mehr Nachrichten auf den Seiten 110 bis 199",
      "{01}Index{02}Sport{03}Wetter{06}Kultur",
  };
  TPrestPage page = TPrestPage::Blank(kCharSetGerman);
  for (std::size_t i = 0; i < rows.size() && i + 1 < kPageRows; ++i) {
    const std::string cells = testing::ExpandCodes(rows[i]);
    for (std::size_t c = 0; c < cells.size() && c < kPageColumns; ++c) {
      page.Cell(static_cast<int>(i) + 1, static_cast<int>(c)) = static_cast<std::uint8_t>(cells[c]);
    }
  }
  return page;
}

const TFontSet* LoadFonts(benchmark::State& state) {
  static TTeletextFonts fonts;
  static const TFontLoadResult result = fonts.Load(kFontFileAll1216, TAVREL_BINARY_DIR);
  if (!result.Success()) {
    state.SkipWithError(("fonts not built: " + result.Message()).c_str());
    return nullptr;
  }
  return &fonts.FontSet(kFontSize1216);
}

// Runs the key presses of `presses` in turn, each as one editing step followed by the redraw
// of its changed rectangle.
void RunKeyPresses(benchmark::State& state, const std::vector<std::uint8_t>& presses,
                   int startColumn, int startRow, bool insertMode) {
  const TFontSet* fonts = LoadFonts(state);
  if (!fonts) return;
  TPageEditor editor(TAVREL_BINARY_DIR "/");
  editor.Page = TemplatePage();
  editor.Reload();
  editor.State.CursorColumn = startColumn;
  editor.State.CursorRow = startRow;
  editor.State.InsertMode = insertMode;
  TEditorPageImage image;
  image.DrawAll(editor, *fonts);
  std::size_t next = 0;
  for (auto _ : state) {
    const TPageEditor::TStep step = editor.Step(presses[next]);
    image.DrawChanged(editor, *fonts, step.Changed);
    benchmark::DoNotOptimize(image.Image().Bytes());
    next = (next + 1) % presses.size();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// Typing letters over the text, row after row.
void BM_TypeLetter(benchmark::State& state) {
  RunKeyPresses(state, {'N', 'e', 'w', 's', ' '}, 1, 5, false);
}
BENCHMARK(BM_TypeLetter);

// Insert typing: each letter shifts the rest of its row.
void BM_InsertLetter(benchmark::State& state) {
  RunKeyPresses(state, {'a', EditCommand::Backspace}, 1, 5, true);
}
BENCHMARK(BM_InsertLetter);

// A colour code at the start of a row recolours the whole row.
void BM_ColourCodeAtRowStart(benchmark::State& state) {
  RunKeyPresses(state, {EditCommand::AlphaRed, EditCommand::AlphaWhite}, 0, 5, false);
}
BENCHMARK(BM_ColourCodeAtRowStart);

// The worst case: Double Height and Insert Line change every row below the cursor.
void BM_DoubleHeightAndBack(benchmark::State& state) {
  RunKeyPresses(state, {EditCommand::DoubleHeight, EditCommand::NormalHeight}, 0, 3, false);
}
BENCHMARK(BM_DoubleHeightAndBack);

void BM_InsertAndDeleteLine(benchmark::State& state) {
  RunKeyPresses(state, {EditCommand::InsertLine, EditCommand::DeleteLine}, 0, 2, false);
}
BENCHMARK(BM_InsertAndDeleteLine);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
