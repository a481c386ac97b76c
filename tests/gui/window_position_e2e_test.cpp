// The main window's position under a window manager (openbox on Xvfb), where the frame around
// the window is the manager's: opened three times, the window comes back each time with its
// frame's corner at the point it was closed at.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <utility>
#include <vector>

#include "app/main_form.h"
#include "pipeline/settings_store.h"
#include "render/teletext_fonts.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > milliseconds) return false;
    QTest::qWait(20);
  }
  return true;
}

// openbox on the test's X server for the lifetime of the object.
class TWindowManager {
 public:
  TWindowManager() {
    process_.start(TAVREL_OPENBOX, {"--sm-disable"});
    started_ = process_.waitForStarted(5000);
    // The manager takes over the screen in a moment; windows mapped before that get no frame.
    QTest::qWait(1500);
  }
  ~TWindowManager() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
  }
  bool Started() const { return started_ && process_.state() == QProcess::Running; }

 private:
  QProcess process_;
  bool started_ = false;
};

TEST(WindowPositionUnderAWindowManager, ThreeStartsOpenAtOnePosition) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
  TWindowManager manager;
  ASSERT_TRUE(manager.Started()) << "openbox (scripts/install-deps) did not start";
  ASSERT_TRUE(LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  testing::TempFolder home;
  TRIGlobals globals(home.Dir());
  const QPoint saved(200, 150);
  // Points as pairs, so that a failure prints them readably.
  const auto corner = [](const QPoint& point) { return std::pair(point.x(), point.y()); };
  {
    QSettings settings("Dravik", "Tavrel");
    settings.beginGroup("Position");
    settings.setValue("Left", saved.x());
    settings.setValue("Top", saved.y());
  }
  std::vector<std::pair<int, int>> frames;
  std::vector<int> titleBars;
  for (int start = 0; start < 3; ++start) {
    TRIMainForm window(globals, TAVREL_BINARY_DIR);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The position is applied once the window is mapped; the manager then moves the frame.
    WaitFor([&window, saved] { return window.frameGeometry().topLeft() == saved; }, 5000);
    QTest::qWait(300);  // and it stays there
    frames.push_back(corner(window.frameGeometry().topLeft()));
    titleBars.push_back(window.geometry().top() - window.frameGeometry().top());
    window.close();
  }
  EXPECT_EQ(frames, std::vector(3, corner(saved)));
  // The manager did put a frame with a title bar around the window: without one, client and
  // frame corners would be the same point and the test would prove nothing.
  for (int titleBar : titleBars) EXPECT_GT(titleBar, 0);
  QSettings settings("Dravik", "Tavrel");
  settings.beginGroup("Position");
  EXPECT_EQ(std::pair(settings.value("Left").toInt(), settings.value("Top").toInt()),
            corner(saved));
  UnloadTeletextFonts();
}

}  // namespace
}  // namespace tavrel::gui
