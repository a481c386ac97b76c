// The main window on the offscreen platform: its commands in the scan's states, its size with
// and without the fastext row, following a clicked page number, the single-instance guard and
// where a saved window position lands.
#include "app/main_form.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <thread>

#include "app/desktop_app.h"
#include "app/scan_log_dlg.h"
#include "app/scan_status_label.h"
#include "app/single_instance.h"
#include "app/window_position.h"
#include "dialog_answer.h"
#include "pipeline/settings_store.h"
#include "render/prest_view.h"
#include "render/teletext_fonts.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"
#include "testing/page_records.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

using tavrel::gui::testing::Find;
using tavrel::gui::testing::Trigger;
using tavrel::testing::PageRecord;
using tavrel::testing::ReadBytes;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

class MainFormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  }
  static void TearDownTestSuite() { UnloadTeletextFonts(); }

  void SetUp() override {
    // The window keeps its position in the user's settings; tests keep theirs apart.
    QStandardPaths::setTestModeEnabled(true);
    globals_ = std::make_unique<TRIGlobals>(home_.Dir());
    // A server that refuses at once: a scan step ends quickly with "Connection failed".
    globals_->Server.FTPHost = "127.0.0.1";
    globals_->Server.FTPPort = 1;
    globals_->XMLFilePath = home_.Dir() + "feed.xml";
    WriteBytes(globals_->XMLFilePath,
               "<rss><channel><item><title>A</title></item></channel></rss>");
  }

  // Writes an index page 100 that names 101 in row 1, columns 10..12, the given sections' page
  // files, and their Control.dat.
  void WriteExport(const std::vector<std::string>& sections) {
    std::string control;
    for (const std::string& section : sections) {
      const std::string file = section.substr(0, 3) + "-" + section.substr(4) + ".pag";
      const int number = std::stoi(section.substr(0, 3));
      WriteBytes(globals_->ExportDir + file,
                 PageRecord(number, number == 100 ? "Index     101" : "Page " + section));
      control += "[" + section + "]\r\nFilename=" + file + "\r\nCharSet=0\r\n" +
                 "Prompts=\"Index\" \"News\" \"Sport\" \"Money\"\r\nLinks=100 101 200 300\r\n\r\n";
    }
    WriteBytes(globals_->ExportDir + "Control.dat", control);
  }

  static bool WaitFor(const std::function<bool()>& condition, int milliseconds = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
      if (clock.elapsed() > milliseconds) return false;
      QTest::qWait(10);
    }
    return true;
  }

  TempFolder home_;
  std::unique_ptr<TRIGlobals> globals_;
};

// What each command looks like: enabled, and for the toggle its down state.
std::map<std::string, bool> CommandStates(TRIMainForm& window) {
  std::map<std::string, bool> states;
  for (const char* name : {"PreviewMenuItem", "UploadMenuItem", "ToolsMenuItem",
                           "PreviousPageMenuItem", "NextPageMenuItem", "StartStopAutoScanMenuItem",
                           "ExitMenuItem", "HelpSubjectsMenuItem", "AboutMenuItem"}) {
    states[name] = window.findChild<QAction*>(name)->isEnabled();
  }
  for (const char* name :
       {"PreviewSpeedButton", "PrevSpeedButton", "NextSpeedButton", "UploadSpeedButton",
        "PageListSpeedButton", "TemplateEditorSpeedButton", "AutoScanButton"}) {
    states[name] = window.findChild<QToolButton*>(name)->isEnabled();
  }
  states["AutoScanButton down"] = window.findChild<QToolButton*>("AutoScanButton")->isChecked();
  states["ScanLabel visible"] = !window.findChild<QLabel*>("ScanLabel")->isHidden();
  states["ScanTimer active"] = window.findChild<QTimer*>("ScanTimer")->isActive();
  return states;
}

TEST_F(MainFormTest, CommandsFollowTheScanState) {
  WriteExport({"100.0000", "101.0000", "102.0000"});
  globals_->ScanInterval = 0;
  TRIMainForm window(*globals_, QString());
  window.show();
  window.ReloadControlFile();
  ASSERT_EQ(window.PreviewIndex(), 0);

  const std::map<std::string, bool> manual = {{"PreviewMenuItem", true},
                                              {"UploadMenuItem", true},
                                              {"ToolsMenuItem", true},
                                              {"PreviousPageMenuItem", false},
                                              {"NextPageMenuItem", true},
                                              {"StartStopAutoScanMenuItem", true},
                                              {"ExitMenuItem", true},
                                              {"HelpSubjectsMenuItem", true},
                                              {"AboutMenuItem", true},
                                              {"PreviewSpeedButton", true},
                                              {"PrevSpeedButton", false},
                                              {"NextSpeedButton", true},
                                              {"UploadSpeedButton", true},
                                              {"PageListSpeedButton", true},
                                              {"TemplateEditorSpeedButton", true},
                                              {"AutoScanButton", true},
                                              {"AutoScanButton down", false},
                                              {"ScanLabel visible", false},
                                              {"ScanTimer active", false}};
  std::map<std::string, bool> automatic = manual;
  for (const char* name : {"PreviewMenuItem", "UploadMenuItem", "ToolsMenuItem", "NextPageMenuItem",
                           "PreviewSpeedButton", "NextSpeedButton", "UploadSpeedButton",
                           "PageListSpeedButton", "TemplateEditorSpeedButton"}) {
    automatic[name] = false;
  }
  automatic["AutoScanButton down"] = true;
  automatic["ScanLabel visible"] = true;
  automatic["ScanTimer active"] = true;

  const auto caption = [&window] {
    return window.findChild<QAction*>("StartStopAutoScanMenuItem")->text();
  };
  {
    SCOPED_TRACE("Manual");
    EXPECT_EQ(CommandStates(window), manual);
    EXPECT_EQ(caption(), "Start Auto Scan");
  }
  window.findChild<QAction*>("StartStopAutoScanMenuItem")->trigger();
  {
    SCOPED_TRACE("Auto, idle");
    EXPECT_FALSE(window.RunInProgress());
    EXPECT_EQ(CommandStates(window), automatic);
    EXPECT_EQ(caption(), "Stop Auto Scan");
    EXPECT_EQ(window.ScanLabel()->text(), "Idle");
  }
  // With an interval of 0 the first tick starts a step; it takes a second at least.
  ASSERT_TRUE(WaitFor([&window] { return window.RunInProgress(); }));
  {
    SCOPED_TRACE("Auto, step running");
    std::map<std::string, bool> states = CommandStates(window);
    // The label blinks between ticks; during the step it stays up.
    EXPECT_EQ(states, automatic);
    EXPECT_EQ(caption(), "Stop Auto Scan");
  }
  QSignalSpy stepEnded(&window, &TRIMainForm::ScanStepFinished);
  ASSERT_TRUE(WaitFor([&stepEnded] { return stepEnded.count() > 0; }));
  window.findChild<QAction*>("StartStopAutoScanMenuItem")->trigger();
  // A step that the last tick started runs to its end; the commands come back after it.
  ASSERT_TRUE(WaitFor([&window] { return !window.RunInProgress(); }));
  {
    SCOPED_TRACE("Manual again");
    EXPECT_EQ(CommandStates(window), manual);
  }
}

// A tool button shows its menu item's action: one command, one enabled state, one down state;
// buttons and items keep their object names, and a button's tooltip and accessible name stay
// its hint. A command the state holds back cannot be reached from either.
TEST_F(MainFormTest, EachButtonShowsItsMenuItemsAction) {
  WriteExport({"100.0000", "101.0000"});
  globals_->ScanInterval = 3600;
  TRIMainForm window(*globals_, QString());
  window.show();
  window.ReloadControlFile();
  struct Row {
    const char* Button;
    const char* MenuItem;
    const char* Hint;
  };
  constexpr Row kRows[] = {
      {"PreviewSpeedButton", "PreviewMenuItem", "Test preview"},
      {"PrevSpeedButton", "PreviousPageMenuItem", "Previous preview page"},
      {"NextSpeedButton", "NextPageMenuItem", "Next preview page"},
      {"UploadSpeedButton", "UploadMenuItem", "Test upload to Varnex"},
      {"AutoScanButton", "StartStopAutoScanMenuItem", "Start/stop auto scan"},
      {"PageListSpeedButton", "PageListMenuItem", "Categories"},
      {"TemplateEditorSpeedButton", "TemplateEditorMenuItem", "Template editor"},
  };
  try {
    for (const Row& row : kRows) {
      SCOPED_TRACE(row.Button);
      auto* button = Find<QToolButton>(&window, row.Button);
      EXPECT_EQ(button->defaultAction(), Find<QAction>(&window, row.MenuItem));
      EXPECT_EQ(button->toolTip(), row.Hint);
      EXPECT_EQ(button->accessibleName(), row.Hint);
    }
    // The next page from the button: the menu's previous item comes on with the button's.
    Find<QToolButton>(&window, "NextSpeedButton")->click();
    EXPECT_EQ(window.PreviewIndex(), 1);
    EXPECT_TRUE(Find<QAction>(&window, "PreviousPageMenuItem")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>(&window, "NextSpeedButton")->isEnabled());

    // The scan from its button: the menu item says so and is down with it.
    Find<QToolButton>(&window, "AutoScanButton")->click();
    ASSERT_TRUE(window.AutoScanOn());
    auto* scanItem = Find<QAction>(&window, "StartStopAutoScanMenuItem");
    EXPECT_TRUE(scanItem->isChecked());
    EXPECT_EQ(scanItem->text(), "Stop Auto Scan");
    EXPECT_TRUE(Find<QToolButton>(&window, "AutoScanButton")->isChecked());
    EXPECT_THROW(Trigger(&window, "PreviewMenuItem"), std::runtime_error);
    EXPECT_THROW(Trigger(&window, "XMLSchemaMenuItem"), std::runtime_error);
    // Asked directly, the command still refuses: nothing runs while the scan is on.
    window.UploadMenuItemClick();
    EXPECT_FALSE(window.RunInProgress());

    Trigger(&window, "StartStopAutoScanMenuItem");
    EXPECT_FALSE(window.AutoScanOn());
    EXPECT_FALSE(Find<QToolButton>(&window, "AutoScanButton")->isChecked());
    EXPECT_TRUE(Find<QAction>(&window, "PreviewMenuItem")->isEnabled());
  } catch (const std::exception& error) {
    FAIL() << error.what();
  }
}

// With an hour between timed steps, the scan is driven by the feed file's watch: another file
// in the feed's folder starts nothing; a write of the feed starts one step about a second after
// it settles, and one only when a timed step falls into that second. The server refuses, so
// each step fails; the label keeps the failure, short, with the whole text as its tooltip,
// until a step succeeds, and the scan log lists every status newest first.
TEST_F(MainFormTest, TheFeedWatchStartsOneStepPerFeedChangeAndFailuresStayReadable) {
  globals_->ScanInterval = 3600;
  TRIMainForm window(*globals_, QString());
  window.show();
  std::vector<TScanOutcome> outcomes;
  QObject::connect(&window, &TRIMainForm::ScanStepFinished,
                   [&outcomes](TScanOutcome outcome) { outcomes.push_back(outcome); });
  window.findChild<QAction*>("StartStopAutoScanMenuItem")->trigger();
  WriteBytes(home_.Dir() + "notes.txt", "not the feed");
  QTest::qWait(2000);
  EXPECT_TRUE(outcomes.empty());

  WriteBytes(globals_->XMLFilePath, "<rss><channel><item><title>B</title></item></channel></rss>");
  ASSERT_TRUE(WaitFor([&outcomes] { return outcomes.size() == 1; }));
  EXPECT_EQ(outcomes.back(), TScanOutcome::ConnectionFailed);

  // A timed step that starts within the watch's quiet second takes the change on its own.
  WriteBytes(globals_->XMLFilePath, "<rss><channel><item><title>C</title></item></channel></rss>");
  window.ScanCycle().SetScanInterval(0);
  ASSERT_TRUE(WaitFor([&window] { return window.RunInProgress(); }));
  window.ScanCycle().SetScanInterval(3600);
  ASSERT_TRUE(WaitFor([&outcomes] { return outcomes.size() == 2; }));
  QTest::qWait(2500);
  EXPECT_EQ(outcomes.size(), 2u);

  // A feed that cannot be read fails the step with the file's whole path.
  std::filesystem::remove(globals_->XMLFilePath);
  ASSERT_TRUE(WaitFor([&outcomes] { return outcomes.size() == 3; }));
  EXPECT_EQ(outcomes.back(), TScanOutcome::Failed);
  QTest::qWait(1500);  // ticks between steps: the failure neither blinks nor gives way to "Idle"
  auto* label = static_cast<TScanStatusLabel*>(window.ScanLabel());
  const QString failure = label->FullText();
  EXPECT_TRUE(failure.startsWith("Error: ")) << failure.toStdString();
  EXPECT_TRUE(failure.contains(QString::fromStdString(globals_->XMLFilePath)))
      << failure.toStdString();
  // The tooltip holds the whole text, in lines.
  EXPECT_EQ(label->toolTip().replace('\n', ' '), failure);
  EXPECT_TRUE(label->isVisible());
  // The label shows the short form, within the room it has.
  const QString shortForm = FromWindows1252(ShortScanStatus(ToWindows1252(failure)));
  EXPECT_LT(shortForm.size(), failure.size());
  EXPECT_TRUE(shortForm.startsWith(label->text().chopped(1))) << label->text().toStdString();
  EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());

  window.findChild<QAction*>("ScanLogMenuItem")->trigger();
  auto* log = window.findChild<TScanLogDlg*>("ScanLogDlg");
  ASSERT_NE(log, nullptr);
  EXPECT_TRUE(log->isVisible());
  const QStringList lines = log->Text().split('\n');
  ASSERT_GE(lines.size(), 9);
  // Newest first: the failed step's "Idle", its failure, its "Checking".
  EXPECT_TRUE(lines[0].endsWith(" Idle")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith(" " + failure)) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].endsWith(" Checking")) << lines[2].toStdString();
  EXPECT_TRUE(lines.filter(" Connection failed").size() == 2) << log->Text().toStdString();
  // The same lines as the service prints: an ISO 8601 local time stamp, then the status.
  EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d )")
                  .match(lines[1])
                  .hasMatch())
      << lines[1].toStdString();
  std::vector<std::string> expected;
  for (const QString& line : lines) expected.push_back(ToWindows1252(line));
  EXPECT_EQ(window.ScanLogLines(), expected);
  log->findChild<QPushButton*>("CopyScanLogButton")->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), log->Text());

  window.findChild<QAction*>("StartStopAutoScanMenuItem")->trigger();
  ASSERT_TRUE(WaitFor([&window] { return !window.RunInProgress(); }));
}

// Read through the accessibility interface, as a screen reader does: the page view's name
// carries the shown page's number and its description the page's text, renewed per page.
TEST_F(MainFormTest, ThePageViewTellsScreenReadersItsNumberAndText) {
  WriteExport({"100.0000", "101.0000"});
  TRIMainForm window(*globals_, QString());
  window.show();
  window.ReloadControlFile();
  QAccessibleInterface* view = QAccessible::queryAccessibleInterface(window.PageView());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->text(QAccessible::Name), "Teletext page 100");
  EXPECT_TRUE(view->text(QAccessible::Description).contains("Index     101"))
      << view->text(QAccessible::Description).toStdString();
  window.NextPageMenuItemClick();
  EXPECT_EQ(view->text(QAccessible::Name), "Teletext page 101");
  EXPECT_TRUE(view->text(QAccessible::Description).contains("Page 101.0000"))
      << view->text(QAccessible::Description).toStdString();
  // One line per page row the view shows (rows 1 to 23).
  EXPECT_EQ(view->text(QAccessible::Description).count('\n'),
            std::min(window.PageView()->Rows(), kPageRows - 1) - 1);
}

// A settings file that cannot be read stops the start with a box, before any other window:
// in English, like everything the program shows.
TEST(DesktopStartTest, ASettingsFileThatCannotBeReadIsReportedInEnglish) {
  TempFolder home;
  std::filesystem::create_directory(home.Dir() + "tavrel.ini");  // a folder where the file goes
  SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch);
  QString caption;
  QString message;
  testing::AnswerNextModal([&](QWidget* box) {
    caption = box->windowTitle();
    message = box->findChild<QLabel*>("Message")->text();
    box->findChild<QPushButton*>("OK")->click();
  });
  EXPECT_EQ(OpenSettingsForWindow(home.Dir()), nullptr);
  EXPECT_EQ(caption, "Error");
  EXPECT_TRUE(message.contains("tavrel.ini")) << message.toStdString();
}

TEST_F(MainFormTest, WindowFitsTheViewsWithAndWithoutFastext) {
  TRIMainForm window(*globals_, QString());
  window.show();
  struct Case {
    bool useFastext;
    int pageRows;
  };
  std::map<bool, int> clientHeights;
  for (const Case c : {Case{true, 24}, Case{false, 23}}) {
    SCOPED_TRACE(c.useFastext);
    globals_->UseFastext = c.useFastext;
    window.CreateViews();
    window.FitWindow();
    QApplication::processEvents();
    EXPECT_EQ(window.findChild<TPrestView*>("FastextView") != nullptr, c.useFastext);
    ASSERT_EQ(window.PageView()->Rows(), c.pageRows);
    const TPrestView* page = window.PageView();
    const QWidget* toolBar = window.findChild<QWidget*>("TestButtonPanel");
    const QWidget* client = window.centralWidget();
    EXPECT_EQ(client->width(), page->x() + page->width() + 8);
    const TPrestView* lowest = c.useFastext ? window.FastextView() : page;
    EXPECT_EQ(client->height(),
              toolBar->height() + lowest->y() + lowest->height() + 12 - (c.useFastext ? 0 : 4));
    if (c.useFastext) {
      EXPECT_EQ(window.FastextView()->y(), page->y() + page->height() - 28);
    }
    // Fixed: the window cannot be made larger or smaller than its views.
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    clientHeights[c.useFastext] = client->height();
  }
  // Without fastext the page loses its last row (16 pixels) and the foot's 4 pixels.
  EXPECT_EQ(clientHeights[true] - clientHeights[false], 16 + 4);
}

// The Options command through the real dialog: the fastext row goes, the window shrinks by it,
// and the settings file holds the change at once.
TEST_F(MainFormTest, OptionsTurningFastextOffShrinksTheWindowAndSaves) {
  // A server record the dialog's checks pass.
  globals_->Server.ServerName = "Varnex";
  globals_->Server.FTPUser = "tavrel";
  globals_->Server.FTPPassword = "secret";
  TRIMainForm window(*globals_, QString());
  window.show();
  QApplication::processEvents();
  const int before = window.height();
  ASSERT_NE(window.FastextView(), nullptr);
  gui::testing::AnswerNextModal([](QWidget* dialog) {
    dialog->findChild<QCheckBox*>("UseFastextCheckBox")->setChecked(false);
    QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
  });
  window.findChild<QAction*>("OptionsMenuItem")->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(globals_->UseFastext);
  EXPECT_EQ(window.findChild<TPrestView*>("FastextView"), nullptr);
  EXPECT_EQ(window.PageView()->Rows(), 23);
  EXPECT_EQ(before - window.height(), 16 + 4);
  EXPECT_NE(tavrel::testing::ReadBytes(home_.Dir() + "tavrel.ini").find("UseFastext=0"),
            std::string::npos);
}

// The preview reads "Control.dat" as the export does: an entry that names a file outside the
// export folder shows nothing, however real that file is; the folder's own pages still show.
TEST_F(MainFormTest, ThePreviewShowsOnlyPagesOfTheExportFolder) {
  WriteExport({"101.0000"});
  WriteBytes(home_.Dir() + "outside.pag", PageRecord(100, "Outside the export folder"));
  WriteBytes(globals_->ExportDir + "Control.dat",
             "[100.0000]\r\nFilename=../outside.pag\r\nCharSet=0\r\n\r\n" +
                 ReadBytes(globals_->ExportDir + "Control.dat"));
  TRIMainForm window(*globals_, QString());
  window.show();
  window.ReloadControlFile();
  EXPECT_EQ(window.PageSections(), (std::vector<std::string>{"100.0000", "101.0000"}));
  EXPECT_EQ(window.PreviewIndex(), -1);
  EXPECT_FALSE(window.ShowPreviewPage("100.0000"));
  EXPECT_TRUE(window.ShowPreviewPage("101.0000"));
  EXPECT_EQ(window.PreviewIndex(), 1);
}

TEST_F(MainFormTest, PageNumberClickShowsSubPageZeroElseOne) {
  struct Case {
    const char* name;
    std::vector<std::string> sections;
    std::string expected;
  };
  const Case cases[] = {
      {"single page", {"100.0000", "101.0000", "102.0000"}, "101.0000"},
      {"split message", {"100.0000", "101.0001", "101.0002"}, "101.0001"},
      {"no such page", {"100.0000", "102.0000"}, "100.0000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(globals_->ExportDir);
    std::filesystem::create_directories(globals_->ExportDir);
    WriteExport(c.sections);
    TRIMainForm window(*globals_, QString());
    window.show();
    window.ReloadControlFile();
    ASSERT_EQ(window.PreviewIndex(), 0);
    // "101" stands in columns 10..12 of the page's row 1, the view's first row.
    const TPageViewGeometry& geometry = window.PageView()->Geometry();
    const QPoint cell(geometry.LeftOrigin + 11 * geometry.CellWidth + geometry.CellWidth / 2,
                      geometry.TopOrigin + geometry.CellHeight / 2);
    QTest::mouseClick(window.PageView(), Qt::LeftButton, Qt::NoModifier, cell);
    const std::vector<std::string> sections = window.PageSections();
    ASSERT_GE(window.PreviewIndex(), 0);
    EXPECT_EQ(sections[static_cast<std::size_t>(window.PreviewIndex())], c.expected);
    // The header shows the page number in yellow.
    const TPrestPage& header = window.HeaderView()->Page();
    EXPECT_EQ(std::string(header.Cells.begin() + kPageColumns + 1,
                          header.Cells.begin() + kPageColumns + 4),
              c.expected.substr(0, 3));
  }
}

TEST_F(MainFormTest, ClosingSavesThePositionAndTheSettingsForTheOwnerOnly) {
  const std::string settingsFile = home_.Dir() + "tavrel.ini";
  ASSERT_FALSE(std::filesystem::exists(settingsFile));
  {
    TRIMainForm window(*globals_, QString());
    window.show();
    window.move(40, 60);
    QApplication::processEvents();
    globals_->SaveOnExit = true;
    globals_->ScanInterval = 7;
    window.close();
  }
  EXPECT_NE(tavrel::testing::ReadBytes(settingsFile).find("ScanInterval=7"), std::string::npos);
  EXPECT_EQ(std::filesystem::status(settingsFile).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  QSettings position("Dravik", "Tavrel");
  position.beginGroup("Position");
  EXPECT_TRUE(position.contains("Left"));
  EXPECT_TRUE(position.contains("Top"));
}

// The sample workspace in a folder of its own; change edits its settings file or feed first.
class SampleWindowTest : public MainFormTest {
 protected:
  void OpenSample(const std::function<void(const std::string& home)>& change = {}) {
    window_.reset();
    settings_.reset();
    sample_.emplace();
    std::filesystem::copy(TAVREL_SOURCE_DIR "/data/sample", sample_->Dir(),
                          std::filesystem::copy_options::recursive);
    if (change) change(sample_->Dir());
    settings_ = std::make_unique<TRIGlobals>(sample_->Dir());
    window_ = std::make_unique<TRIMainForm>(*settings_, QString());
    window_->show();
  }

  // Runs Preview to its end. Every dialog that comes up on the way is kept and closed: the
  // "Errors" list as its lines, a message box as its text.
  TWorkflowOutcome Preview() {
    errors_.clear();
    boxes_.clear();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || !modal->isVisible()) return;
      if (modal->objectName() == "PErrorListDlg") {
        errors_.push_back(modal->findChild<QPlainTextEdit*>("ErrorMemo")->toPlainText());
        QTest::mouseClick(modal->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
      } else if (modal->objectName() == "LangMessageDlg") {
        boxes_.push_back(modal->findChild<QLabel*>("Message")->text());
        QTest::mouseClick(modal->findChild<QPushButton*>(MessageButtonObjectName(TMsgDlgBtn::OK)),
                          Qt::LeftButton);
      }
    });
    closer.start(10);
    QSignalSpy finished(window_.get(), &TRIMainForm::RunFinished);
    window_->findChild<QAction*>("PreviewMenuItem")->trigger();
    EXPECT_TRUE(WaitFor([&finished] { return finished.count() > 0; }, 120000));
    return finished.count() > 0 ? finished.at(0).at(0).value<TWorkflowOutcome>()
                                : TWorkflowOutcome::Failed;
  }

  std::string ShownSection() const {
    const int index = window_->PreviewIndex();
    return index < 0 ? "" : window_->PageSections().at(static_cast<std::size_t>(index));
  }

  // Row 1 of the fastext view: the colour codes and prompts, as text.
  std::string FastextRow() const {
    const TPrestPage& page = window_->FastextView()->Page();
    return std::string(page.Cells.begin() + kPageColumns, page.Cells.begin() + 2 * kPageColumns);
  }

  std::optional<TempFolder> sample_;
  std::unique_ptr<TRIGlobals> settings_;
  std::unique_ptr<TRIMainForm> window_;
  std::vector<QString> errors_;  // each "Errors" list shown, its lines joined by "\n"
  std::vector<QString> boxes_;
};

// Replaces text in a file of the sample copy.
void ReplaceInFile(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = ReadBytes(path);
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  WriteBytes(path, text);
}

// A new user's first Preview of the sample: every category of its feed is defined, so the
// window shows the first index page and lists no error; paging reaches the last category.
TEST_F(SampleWindowTest, TheSamplesFirstPreviewShowsPages) {
  OpenSample();
  ASSERT_EQ(Preview(), TWorkflowOutcome::Generated);
  EXPECT_TRUE(errors_.empty()) << errors_.front().toStdString();
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().toStdString();
  EXPECT_EQ(ShownSection(), "100.0000");
  const std::vector<std::string> sections = window_->PageSections();
  EXPECT_NE(std::find(sections.begin(), sections.end(), "700.0000"), sections.end());
  EXPECT_EQ(FastextRow(), "\x01News    \x02Sport    \x03Money    \x06Weather   ");
}

// A message no page can hold as it is still gets its page, and the Errors list says what was
// cut, in the words generate uses.
TEST_F(SampleWindowTest, PreviewListsAMessageThatCannotBeLaidOut) {
  std::string longTitle;
  for (int word = 0; word < 150; ++word) longTitle += word == 0 ? "Storm" : " Storm";
  OpenSample([&longTitle](const std::string& home) {
    ReplaceInFile(home + "Feed/news.xml", "<title>Harbour bridge reopens early</title>",
                  "<title>" + longTitle + "</title>");
  });
  ASSERT_EQ(Preview(), TWorkflowOutcome::Generated);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_.front().toStdString(),
            "Message \"" + longTitle.substr(0, 60) + "...\" on page 101: the text block of " +
                sample_->Dir() +
                "Templates/news_message.tpg has no room for the title, the text and a page "
                "counter; the whole text is on one page, cut at the block.");
  EXPECT_EQ(ShownSection(), "100.0000");
  const std::vector<std::string> sections = window_->PageSections();
  EXPECT_NE(std::find(sections.begin(), sections.end(), "101.0000"), sections.end());
}

// A prompt with a space cannot travel in Control.dat: Preview stops and says how to write it;
// written with an underscore it shows as a space; a control file with such a prompt (from a
// settings file edited by hand) leaves the fastext row empty instead of a copy of the page.
TEST_F(SampleWindowTest, PreviewRefusesAPromptWithASpaceAndShowsOneWithAnUnderscore) {
  struct Case {
    const char* Name;
    const char* Prompt;
    TWorkflowOutcome Outcome;
    std::vector<QString> Errors;
    std::string Row;
  };
  const std::vector<Case> cases = {
      {"a space",
       "Top News",
       TWorkflowOutcome::CategoryProblems,
       {"Category \"News\": Prompt 1 \"Top News\" holds a space, which ends a prompt in "
        "\"Control.dat\". Write \"Top_News\": an underscore is shown as a space."},
       ""},
      {"an underscore",
       "Top_News",
       TWorkflowOutcome::Generated,
       {},
       "\x01Top News   \x02Sport   \x03Money   \x06Weather  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    OpenSample([&c](const std::string& home) {
      ReplaceInFile(home + "tavrel.ini", "FastextPrompt1=News",
                    std::string("FastextPrompt1=") + c.Prompt);
    });
    EXPECT_EQ(Preview(), c.Outcome);
    EXPECT_EQ(errors_, c.Errors);
    if (!c.Row.empty()) {
      EXPECT_EQ(FastextRow(), c.Row);
    }
  }

  // Control.dat written by an earlier version with a spaced prompt.
  std::string control = ReadBytes(settings_->ExportDir + "Control.dat");
  control = std::regex_replace(control, std::regex("\"Top_News\""), "\"Top News\"");
  WriteBytes(settings_->ExportDir + "Control.dat", control);
  window_->ReloadControlFile();
  ASSERT_EQ(ShownSection(), "100.0000");
  EXPECT_EQ(FastextRow(), "\x01         \x02         \x03         \x06         ");
  for (const std::string& link : window_->FastextView()->FastextLinks()) EXPECT_EQ(link, "");
}

TEST(WindowPositionTest, ASavedPositionOffEveryScreenMovesOntoTheFirst) {
  const std::vector<TScreenArea> twoScreens = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
  const std::vector<TScreenArea> oneScreen = {{0, 0, 1280, 1024}};
  struct Case {
    const char* name;
    TScreenPoint saved;
    std::vector<TScreenArea> screens;
    TScreenPoint expected;
  };
  const Case cases[] = {
      {"on the first screen", {100, 80}, twoScreens, {100, 80}},
      {"on the second screen", {1500, 200}, twoScreens, {1500, 200}},
      {"the second screen gone", {1500, 200}, oneScreen, {0, 0}},
      {"above the screen", {100, -300}, oneScreen, {0, 0}},
      {"title bar off the right edge", {1270, 100}, oneScreen, {0, 0}},
      {"no screens known", {1500, 200}, {}, {1500, 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TScreenPoint result = VisibleWindowPosition(c.saved, {508, 510}, c.screens);
    EXPECT_EQ(result.X, c.expected.X);
    EXPECT_EQ(result.Y, c.expected.Y);
  }
}

QString TestServerName(const TempFolder& folder) {
  // An absolute path keeps the test's server apart from a window the user has open.
  return QString::fromStdString(folder.Dir() + "instance");
}

TEST(SingleInstanceTest, ALaterStartRaisesTheFirstAndEnds) {
  TempFolder folder;
  TSingleInstance first(TestServerName(folder));
  std::atomic<int> raised = 0;
  first.SetRaiseHandler([&raised](const QString&) { ++raised; });
  ASSERT_FALSE(first.AskRunningInstanceToRaise());
  ASSERT_TRUE(first.Listening());

  // The later start blocks while it waits for the answer, so it runs on a thread of its own
  // while this thread serves the first instance's events.
  std::atomic<bool> laterEnds = false;
  std::atomic<bool> done = false;
  std::thread later([&] {
    TSingleInstance second(TestServerName(folder));
    laterEnds = second.AskRunningInstanceToRaise();
    done = true;
  });
  QElapsedTimer clock;
  clock.start();
  while (!done && clock.elapsed() < 10000) QTest::qWait(10);
  later.join();
  EXPECT_TRUE(laterEnds);
  EXPECT_EQ(raised, 1);
}

TEST(SingleInstanceTest, ASocketLeftByACrashDoesNotStopTheNextStart) {
  TempFolder folder;
  const QString name = TestServerName(folder);
  // What a crashed instance leaves: a bound socket file that nobody listens on.
  const int handle = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, name.toLocal8Bit().constData(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  close(handle);
  ASSERT_TRUE(QFileInfo::exists(name));

  TSingleInstance next(name);
  EXPECT_FALSE(next.AskRunningInstanceToRaise());
  EXPECT_TRUE(next.Listening());
}

}  // namespace
}  // namespace tavrel::gui
