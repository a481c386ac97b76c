// How long the main window takes to switch preview pages: the Next or Previous command reads the
// page file named in Control.dat, decodes and draws it into the header, page and fastext views,
// and the views repaint. The pages are the sample workspace's, generated once up front.
// Runs on Qt's offscreen platform, so it needs no display.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "app/main_form.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/settings_store.h"
#include "render/prest_view.h"
#include "render/teletext_fonts.h"
#include "transfer/feed_fetch.h"

namespace tavrel::gui {
namespace {

namespace fs = std::filesystem;

// A copy of the sample workspace with its pages generated, and the window showing them.
struct TPreviewedWindow {
  TPreviewedWindow() {
    home = fs::temp_directory_path() / ("tavrel-bench-" + std::to_string(getpid()));
    fs::remove_all(home);
    fs::copy(TAVREL_SOURCE_DIR "/data/sample", home, fs::copy_options::recursive);
    globals = std::make_unique<TRIGlobals>(home.string() + "/");
    std::string failure;
    if (!GetXmlFile(FeedLocationOf(*globals), &failure)) throw std::runtime_error(failure);
    TPTextToPrestelPageForm formatter;
    RegenerateExport(*globals, formatter);
    window = std::make_unique<TRIMainForm>(*globals, QString());
    window->show();
    window->ReloadControlFile();
    QApplication::processEvents();
  }
  ~TPreviewedWindow() {
    window.reset();
    globals.reset();
    std::error_code ignored;
    fs::remove_all(home, ignored);
  }
  fs::path home;
  std::unique_ptr<TRIGlobals> globals;
  std::unique_ptr<TRIMainForm> window;
};

void BM_SwitchPreviewPage(benchmark::State& state) {
  TPreviewedWindow previewed;
  TRIMainForm& window = *previewed.window;
  const int last = static_cast<int>(window.PageSections().size()) - 1;
  if (last < 1) {
    state.SkipWithError("the sample gave fewer than two pages");
    return;
  }
  bool forward = true;
  for (auto _ : state) {
    if (forward) {
      window.NextPageMenuItemClick();
    } else {
      window.PreviousPageMenuItemClick();
    }
    if (window.PreviewIndex() == last) forward = false;
    if (window.PreviewIndex() == 0) forward = true;
    // The switch counts once the views have painted the new page.
    window.HeaderView()->repaint();
    window.PageView()->repaint();
    if (window.FastextView() != nullptr) window.FastextView()->repaint();
  }
  state.counters["pages"] = last + 1;
}
BENCHMARK(BM_SwitchPreviewPage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavrel::gui

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  if (!tavrel::LoadTeletextFonts(tavrel::kFontFileAll1216, TAVREL_BINARY_DIR).Success()) {
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
