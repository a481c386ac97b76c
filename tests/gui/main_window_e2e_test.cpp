// The real main window under an X server (Xvfb) against the transmission-server simulator:
// Preview, Next, Upload; the automatic scan over several steps with one feed change; Exit during
// an upload; and a second start of the program raising this window and ending.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/single_instance.h"
#include "integration/varnex_sim_fixture.h"
#include "pipeline/settings_store.h"
#include "render/prest_view.h"
#include "render/teletext_fonts.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::VarnexSimOptions;
using testing::VarnexSimulator;
using testing::WriteBytes;

std::string Item(const std::string& title, const std::string& category) {
  return "<item><title>" + title + "</title><category>" + category + "</category><description>" +
         title + " in a few words.</description></item>";
}

std::string Feed(const std::vector<std::string>& items) {
  std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>";
  for (const std::string& item : items) feed += item;
  return feed + "</channel></rss>";
}

const std::vector<std::string> kItems = {Item("Harbour bridge reopens", "News"),
                                         Item("Library approved", "News"),
                                         Item("Cup final tonight", "Sport")};

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > milliseconds) return false;
    QTest::qWait(10);
  }
  return true;
}

// The sample workspace with a feed of defined categories only, sending to the simulator.
class MainWindowEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  }
  static void TearDownTestSuite() { UnloadTeletextFonts(); }

  void StartHome(VarnexSimOptions options = {}) {
    simulator_ = std::make_unique<VarnexSimulator>(options);
    fs::copy(TAVREL_SOURCE_DIR "/data/sample", home_.Dir(), fs::copy_options::recursive);
    WriteBytes(home_.Dir() + "Feed/news.xml", Feed(kItems));
    globals_ = std::make_unique<TRIGlobals>(home_.Dir());
    globals_->Server = simulator_->Server();
    window_ = std::make_unique<TRIMainForm>(*globals_, TAVREL_BINARY_DIR);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    // Keyboard shortcuts reach the active window only.
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }

  // Runs a menu command that works on the worker and answers how it ended.
  TWorkflowOutcome RunCommand(const char* menuItem) {
    QSignalSpy finished(window_.get(), &TRIMainForm::RunFinished);
    window_->findChild<QAction*>(menuItem)->trigger();
    EXPECT_TRUE(WaitFor([&finished] { return finished.count() > 0; }));
    return finished.count() > 0 ? finished.at(0).at(0).value<TWorkflowOutcome>()
                                : TWorkflowOutcome::Failed;
  }

  std::string ShownSection() const {
    const std::vector<std::string> sections = window_->PageSections();
    const int index = window_->PreviewIndex();
    return index < 0 ? "" : sections.at(static_cast<std::size_t>(index));
  }

  TempFolder home_;
  std::unique_ptr<VarnexSimulator> simulator_;
  std::unique_ptr<TRIGlobals> globals_;
  std::unique_ptr<TRIMainForm> window_;
};

TEST_F(MainWindowEndToEnd, PreviewNextUploadThenAScanPublishesOneChangeOnce) {
  StartHome();
  ASSERT_EQ(RunCommand("PreviewMenuItem"), TWorkflowOutcome::Generated);
  EXPECT_EQ(ShownSection(), "100.0000");
  QTest::keyClick(window_.get(), Qt::Key_PageDown);
  EXPECT_EQ(window_->PreviewIndex(), 1);
  EXPECT_EQ(ShownSection(), "101.0000");

  ASSERT_EQ(RunCommand("UploadMenuItem"), TWorkflowOutcome::Uploaded);
  ASSERT_TRUE(simulator_->WaitForReportLines(1));
  EXPECT_NE(simulator_->ReportLines().at(0).find("\tpublished\t"), std::string::npos)
      << simulator_->ReportLines().at(0);
  EXPECT_EQ(ShownSection(), "100.0000");

  // The scan: a step every second; the first finds nothing new, then the feed changes once.
  globals_->ScanInterval = 1;
  std::vector<QString> statuses;
  QObject::connect(window_.get(), &TRIMainForm::ScanStatusShown,
                   [&statuses](const QString& status) { statuses.push_back(status); });
  std::vector<TScanOutcome> outcomes;
  QObject::connect(window_.get(), &TRIMainForm::ScanStepFinished,
                   [&outcomes](TScanOutcome outcome) { outcomes.push_back(outcome); });
  window_->findChild<QAction*>("StartStopAutoScanMenuItem")->trigger();
  ASSERT_TRUE(WaitFor([&outcomes] { return outcomes.size() == 1; }));
  std::vector<std::string> changed = kItems;
  changed.push_back(Item("Storm warning", "News"));
  WriteBytes(home_.Dir() + "Feed/news.xml", Feed(changed));
  ASSERT_TRUE(WaitFor([&outcomes] { return outcomes.size() == 3; }));
  window_->findChild<QAction*>("StartStopAutoScanMenuItem")->trigger();

  EXPECT_EQ(outcomes, (std::vector<TScanOutcome>{TScanOutcome::NoChanges, TScanOutcome::Uploaded,
                                                 TScanOutcome::NoChanges}));
  // Exactly one more update for the one change.
  ASSERT_TRUE(simulator_->WaitForReportLines(2));
  QTest::qWait(500);
  EXPECT_EQ(simulator_->ReportLines().size(), 2u);
  EXPECT_NE(simulator_->ReportLines().at(1).find("\tpublished\t"), std::string::npos);
  const std::vector<QString> expected = {"Checking", "No changes", "Idle",
                                         "Checking", "Processing", "Idle",
                                         "Checking", "No changes", "Idle"};
  std::vector<QString> seen;
  for (const QString& status : statuses) {
    if (seen.empty() || seen.back() != status) seen.push_back(status);
  }
  // Between steps the label shows "Idle" (and blinks); the steps' own texts come in order.
  std::vector<QString> stepTexts;
  for (const QString& status : seen) {
    if (status != "Idle" || (!stepTexts.empty() && stepTexts.back() != "Idle")) {
      stepTexts.push_back(status);
    }
  }
  EXPECT_EQ(stepTexts, expected);
  // The step showed its first generated page.
  EXPECT_EQ(ShownSection(), "100.0000");
}

TEST_F(MainWindowEndToEnd, ExitDuringAnUploadCancelsItWithoutASemaphore) {
  VarnexSimOptions options;
  options.StallAfter = 200;
  StartHome(options);
  window_->findChild<QAction*>("UploadMenuItem")->trigger();
  // The archive's store has begun (the simulator stalls it part way).
  ASSERT_TRUE(WaitFor([this] {
    for (const std::string& command : simulator_->LogDetails("COMMAND")) {
      if (command.rfind("STOR", 0) == 0) return true;
    }
    return false;
  }));
  QElapsedTimer clock;
  clock.start();
  window_->close();
  EXPECT_LT(clock.elapsed(), 5000);
  QTest::qWait(500);
  for (const std::string& name : simulator_->ReceivedNames()) {
    EXPECT_EQ(name.find(".sem"), std::string::npos) << name;
  }
}

// A second start on the same home raises this window silently; one on another home raises it
// too, but says on stderr which home the window has, and the window names the home asked for.
TEST_F(MainWindowEndToEnd, ASecondStartRaisesThisWindowAndSaysWhenItAskedForAnotherHome) {
  StartHome();
  // The program's own name for the guard, kept apart from a window the user may have open by a
  // temporary folder of the test's own (the program puts the socket there).
  TempFolder runtime;
  qputenv("TMPDIR", QByteArray::fromStdString(runtime.Dir()));
  TSingleInstance first(SingleInstanceServerName(), QString::fromStdString(home_.Dir()));
  ASSERT_FALSE(first.AskRunningInstanceToRaise());
  int raised = 0;
  first.SetRaiseHandler([this, &raised](const QString& askedHome) {
    ++raised;
    window_->RaiseAndRestore(askedHome);
  });
  TempFolder other;
  struct Start {
    std::string Home;
    int ExitCode;
    bool NamesTheWindowsHome;
  };
  const std::vector<Start> starts = {{home_.Dir(), 0, false}, {other.Dir(), 1, true}};
  for (const Start& start : starts) {
    SCOPED_TRACE(start.Home);
    window_->showMinimized();
    ASSERT_TRUE(WaitFor([this] { return window_->isMinimized(); }, 5000));
    const int raisedBefore = raised;
    QProcess second;
    second.start(TAVREL_BINARY_DIR "/tavrel", {"--home", QString::fromStdString(start.Home)});
    ASSERT_TRUE(second.waitForStarted());
    ASSERT_TRUE(WaitFor([&second] { return second.state() == QProcess::NotRunning; }));
    const std::string errors = second.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), start.ExitCode) << errors;
    EXPECT_EQ(errors.find(home_.Dir()) != std::string::npos, start.NamesTheWindowsHome) << errors;
    EXPECT_EQ(raised, raisedBefore + 1);
    EXPECT_TRUE(WaitFor([this] { return !window_->isMinimized(); }, 5000));
  }
  // The window's note names the home that was asked for, beside its own.
  auto* note = window_->findChild<QDialog*>("OtherHomeMessage");
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->isVisible());
  const QString message = note->findChild<QLabel*>("Message")->text().remove('\n');
  EXPECT_TRUE(message.contains(QString::fromStdString(other.Dir()))) << message.toStdString();
  EXPECT_TRUE(message.contains(QString::fromStdString(home_.Dir()))) << message.toStdString();
  note->close();
}

}  // namespace
}  // namespace tavrel::gui
