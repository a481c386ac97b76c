// An operator's whole day through the real widgets under an X server (Xvfb), against the
// transmission-server simulator: start on a fresh home, draw a template in the template editor
// and save it, make a category that uses it, Preview a page laid into it, Upload it; then the
// command-line program generates and renders from the same template.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "integration/varnex_sim_fixture.h"
#include "page/template_file.h"
#include "pipeline/settings_store.h"
#include "render/prest_view.h"
#include "render/teletext_fonts.h"
#include "template_day_script.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::TempFolder;
using tavrel::testing::VarnexSimulator;
using tavrel::testing::WriteBytes;

// The day's feed in the layout a fresh home expects.
constexpr const char* kFeed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
    "<message><title>Harbour bridge reopens</title><category>News</category>"
    "<text>The harbour bridge opened again this morning.</text></message>"
    "</root>";

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > milliseconds) return false;
    QTest::qWait(10);
  }
  return true;
}

// Runs `answer` on the modal window of that object or class name once it is up.
void WhenModal(const char* objectName, std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, objectName, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() ||
        (modal->objectName() != objectName && !modal->inherits(objectName))) {
      return;
    }
    timer->stop();
    timer->deleteLater();
    answer(modal);
  });
  timer->start(10);
}

std::string RowText(const TPrestPage& page, int row) {
  std::string text;
  for (int column = 0; column < kPageColumns; ++column) {
    text += static_cast<char>(page.Cell(row, column) & 0x7F);
  }
  return text;
}

TEST(TemplateDay, FromAnEmptyTemplateToPagesOnAir) {
  ASSERT_TRUE(LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  // A fresh home: no settings file, no templates, no categories; only the day's feed.
  TempFolder home;
  WriteBytes(home / "Feed/news.xml", kFeed);
  VarnexSimulator simulator;
  auto globals = std::make_unique<TRIGlobals>(home.Dir());
  globals->XMLFilePath = "Feed/news.xml";
  globals->Server = simulator.Server();
  ASSERT_TRUE(globals->Categories.empty());
  TRIMainForm window(*globals, TAVREL_BINARY_DIR);
  // No message box belongs to this day: one that comes up fails the test and is closed, so
  // that a fault ends the run instead of hanging it.
  QTimer unexpectedBoxes;
  QObject::connect(&unexpectedBoxes, &QTimer::timeout, [] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->objectName() != "LangMessageDlg") return;
    QString text;
    for (const QLabel* label : modal->findChildren<QLabel*>()) text += label->text() + " ";
    ADD_FAILURE() << "message box: " << text.toStdString();
    static_cast<QDialog*>(modal)->reject();
  });
  unexpectedBoxes.start(1000);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect before = window.geometry();
  const QString title = window.windowTitle();

  // The template editor: draw, Save names the template, Close.
  const QString templatePath = QString::fromStdString(globals->TemplatesDir) + "daily.tpg";
  TTextBlock savedBlock;
  QString captionAfterSave;
  WhenModal("PTXTTemplateEditorForm", [&](QWidget* modal) {
    auto* form = static_cast<TPTXTTemplateEditorForm*>(modal);
    day::DrawDayTemplate(*form);
    savedBlock = form->Editor().TextBlock;
    WhenModal("QFileDialog", [](QWidget* dialog) {
      auto* edit = qobject_cast<QFileDialog*>(dialog)->findChild<QLineEdit*>("fileNameEdit");
      edit->setText("daily");
      QTest::keyClick(edit, Qt::Key_Return);
    });
    form->findChild<QToolButton*>("BtnSave")->click();
    captionAfterSave = form->windowTitle();
    form->findChild<QToolButton*>("BtnClose")->click();
  });
  window.findChild<QToolButton*>("TemplateEditorSpeedButton")->click();
  EXPECT_EQ(captionAfterSave, "Template Editor - daily.tpg");
  EXPECT_EQ(savedBlock, day::kDayTextBlock);
  ASSERT_TRUE(fs::exists(templatePath.toStdString()));
  EXPECT_EQ(window.geometry(), before);
  EXPECT_EQ(window.windowTitle(), title);
  EXPECT_TRUE(window.isEnabled());

  // What was drawn is in the file.
  TPrestPage drawn = TPrestPage::Blank();
  {
    const TPageFile file(templatePath.toStdString());
    file.ReadRows(drawn);
    EXPECT_EQ(file.GetBlockText(), day::kDayTextBlock);
  }
  EXPECT_EQ(drawn.Cell(1, 0), 0x14);   // graphics blue
  EXPECT_EQ(drawn.Cell(2, 20), 0x7F);  // the filled bar
  EXPECT_EQ(drawn.Cell(5, 29), 0x11);  // graphics red
  int emblem = 0, heading = 0;
  for (int row = 5; row <= 8; ++row) {
    for (int column = 30; column < 40; ++column) emblem += drawn.Cell(row, column) != 0x20;
    for (int column = 2; column < 29; ++column) heading += drawn.Cell(row, column) != 0x20;
  }
  EXPECT_GT(emblem, 12);
  EXPECT_GT(heading, 12);

  // Categories: News, index 100, pages from 101, both templates the new one.
  WhenModal("RIPageListOptionsDlg", [&](QWidget* categories) {
    WhenModal("RIPageListEditDlg", [&](QWidget* edit) {
      auto text = [edit](const char* name, const QString& value) {
        edit->findChild<QLineEdit*>(name)->setText(value);
      };
      text("CategoryLabeledEdit", "News");
      text("IndexPageNumberLabeledEdit", "100");
      text("FirstNumberLabeledEdit", "101");
      for (const char* frame : {"IndexTemplateFileFrame", "MessageTemplateFileFrame"}) {
        edit->findChild<QWidget*>(frame)
            ->findChild<QLineEdit*>("FileNameEdit")
            ->setText("Templates/daily.tpg");
      }
      edit->findChild<QPushButton*>("OKButton")->click();
    });
    categories->findChild<QPushButton*>("NewButton")->click();
    categories->findChild<QPushButton*>("OKButton")->click();
  });
  window.findChild<QToolButton*>("PageListSpeedButton")->click();
  ASSERT_EQ(globals->Categories.size(), 1u);

  // Preview: the message page 101 is laid into the template, its text inside the block.
  auto run = [&window](const char* item) {
    QSignalSpy finished(&window, &TRIMainForm::RunFinished);
    window.findChild<QAction*>(item)->trigger();
    EXPECT_TRUE(WaitFor([&finished] { return finished.count() > 0; }));
    return finished.count() > 0 ? finished.at(0).at(0).value<TWorkflowOutcome>()
                                : TWorkflowOutcome::Failed;
  };
  ASSERT_EQ(run("PreviewMenuItem"), TWorkflowOutcome::Generated);
  ASSERT_TRUE(window.ShowPreviewPage("101.0000"));
  const TPrestPage& shown = window.PageView()->Page();
  for (int row = 1; row <= 8; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(RowText(shown, row), RowText(drawn, row));
  }
  std::string body;
  for (int row = savedBlock.Top; row <= savedBlock.Bottom; ++row) body += RowText(shown, row);
  EXPECT_NE(body.find("The harbour bridge opened"), std::string::npos) << body;
  EXPECT_EQ(RowText(shown, 22), RowText(drawn, 22));

  // Upload publishes the update on the simulator.
  ASSERT_EQ(run("UploadMenuItem"), TWorkflowOutcome::Uploaded);
  ASSERT_TRUE(simulator.WaitForReportLines(1));
  EXPECT_NE(simulator.ReportLines().at(0).find("\tpublished\t"), std::string::npos)
      << simulator.ReportLines().at(0);
  window.close();
  globals.reset();  // the window's settings reach the disk

  // The command-line program reads the same template.
  QProcess generate;
  generate.start(TAVREL_BINARY_DIR "/tavrel",
                 QStringList{"--home", QString::fromStdString(home.Dir()), "generate"});
  ASSERT_TRUE(generate.waitForFinished(60000));
  EXPECT_EQ(generate.exitCode(), 0) << generate.readAllStandardError().toStdString();
  QProcess render;
  const QString png = QString::fromStdString(home / "daily.png");
  render.start(TAVREL_BINARY_DIR "/tavrel", QStringList{"render", templatePath, "-o", png});
  ASSERT_TRUE(render.waitForFinished(60000));
  EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
  EXPECT_GT(fs::file_size(png.toStdString()), 1000u);
}

}  // namespace
}  // namespace tavrel::gui

