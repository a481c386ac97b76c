// One key press in the page editor window, as the operator makes it: the key event, the
// engine step, the redraw of the changed rows, the menus and status bar brought up to date,
// and the window's repaint of the changed rectangle (Qt's offscreen platform paints into
// memory as a screen would).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QKeyEvent>
#include <memory>

#include "editor/txt_ed.h"
#include "page/template_file.h"
#include "render/teletext_fonts.h"
#include "support/language_texts.h"

namespace tavrel {
namespace {

std::unique_ptr<gui::TTxtEd> OpenSampleTemplate() {
  auto editor = std::make_unique<gui::TTxtEd>(TAVREL_BINARY_DIR);
  TPageFile file(TAVREL_SOURCE_DIR "/data/sample/Templates/news_index.tpg");
  TPrestPage page = TPrestPage::Blank();
  file.ReadRows(page);
  editor->SetPage(page, file.GetBlockText());
  editor->show();
  QApplication::processEvents();
  return editor;
}

void PressKeys(benchmark::State& state, const std::vector<std::pair<int, QString>>& keys, int row) {
  auto editor = OpenSampleTemplate();
  editor->Editor().State.CursorRow = row;
  std::size_t next = 0;
  for (auto _ : state) {
    const auto& [key, text] = keys[next];
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor->Canvas(), &event);
    // The window paints the rectangles it was asked to update, as at the next event loop turn.
    QApplication::processEvents();
    next = (next + 1) % keys.size();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_WindowTypeLetter(benchmark::State& state) {
  PressKeys(state, {{Qt::Key_N, "N"}, {Qt::Key_E, "e"}, {Qt::Key_W, "w"}, {Qt::Key_S, "s"}}, 8);
}
BENCHMARK(BM_WindowTypeLetter);

void BM_WindowCursorKey(benchmark::State& state) {
  PressKeys(state, {{Qt::Key_Right, {}}, {Qt::Key_Down, {}}}, 8);
}
BENCHMARK(BM_WindowCursorKey);

}  // namespace
}  // namespace tavrel

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  tavrel::SetLanguage(tavrel::UiLanguage::English, tavrel::UiLanguage::English);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
