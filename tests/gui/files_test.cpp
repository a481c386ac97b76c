// The recent-files menu, the file manager and the page format dialog, driven as the template
// editor drives them. The settings go to a temporary folder, never the user's own.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "dialog_answer.h"
#include "editor/page_format_dlg.h"
#include "render/prest_view.h"
#include "render/teletext_fonts.h"
#include "support/file_manager.h"
#include "support/recent_files_menu.h"

namespace tavrel::gui {
namespace {

using testing::AnswerNextModal;

constexpr const char* kKey = "\\software\\dravik\\Tavrel\\mru\\";

class FilesGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLanguage(UiLanguage::English, UiLanguage::English);
    QStandardPaths::setTestModeEnabled(true);
    ASSERT_TRUE(settingsDir_.isValid() && filesDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
  }
  void TearDown() override { SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch); }

  QString MakeFile(const QString& name) {
    const QString path = filesDir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("page");
    return path;
  }
  static QStringList Captions(QMenu& menu) {
    QStringList captions;
    for (QAction* action : menu.actions()) captions << action->text();
    return captions;
  }

  QTemporaryDir settingsDir_;
  QTemporaryDir filesDir_;
};

TEST_F(FilesGuiTest, RecentListLivesInTheSettingsGroupAndItsMenuMovesAClickToTheFront) {
  {
    QMenu menu;
    TPMru mru;
    mru.SetMenuItem(&menu);
    mru.SetRegistryKey(kKey);
    EXPECT_FALSE(menu.menuAction()->isEnabled());
    for (int i = 1; i <= 10; ++i) mru.AddFile(QString("/t/page%1.tpg").arg(i));
  }
  QSettings settings("Dravik", "Tavrel");
  EXPECT_EQ(settings.fileName(), settingsDir_.filePath("Dravik/Tavrel.conf"));
  settings.beginGroup("mru");
  EXPECT_EQ(settings.childKeys().size(), 9);
  EXPECT_EQ(settings.value("Mru1").toString(), "/t/page10.tpg");
  settings.endGroup();

  QMenu menu;
  TPMru mru;
  QStringList selected;
  mru.OnSelect = [&](TPMru*, const QString& path) { selected << path; };
  mru.SetMenuItem(&menu);
  mru.SetRegistryKey(kKey);
  EXPECT_TRUE(menu.menuAction()->isEnabled());
  ASSERT_EQ(menu.actions().size(), 9);
  EXPECT_EQ(menu.actions()[0]->text(), "1  page10.tpg");
  menu.actions()[2]->trigger();
  EXPECT_EQ(selected, QStringList{"/t/page8.tpg"});
  EXPECT_EQ(mru.CurrentFile(), "/t/page8.tpg");
  EXPECT_EQ(Captions(menu).mid(0, 2), (QStringList{"1  page10.tpg", "2  page9.tpg"}));
  EXPECT_EQ(menu.actions().size(), 8);
}

TEST_F(FilesGuiTest, FileManagerRunsTheTemplateEditorsWorkflowThroughRealDialogs) {
  QWidget owner;
  QMenu recentMenu;
  auto* manager = new TPFileManager(&owner);
  QStringList opened, saved;
  int changes = 0;
  manager->SetInitialDir(filesDir_.path());
  manager->OnNewFile = [](TPFileManager*) { return false; };
  manager->OnOpenFile = [&](TPFileManager*, const QString& path) {
    opened << path;
    return true;
  };
  manager->OnSaveFile = [&](TPFileManager*, const QString& path) {
    saved << path;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("saved") == 5;
  };
  manager->SetFilter("Templates (*.tpg)|*.tpg");
  manager->SetDefaultExt(".tpg");
  manager->SetRecentMenuItem(&recentMenu);
  manager->SetRegistryKey(kKey);
  manager->OnFileChange = [&](TPFileManager*) { ++changes; };
  EXPECT_EQ(manager->SaveDialog()->nameFilters(), QStringList{"Templates (*.tpg)"});
  EXPECT_EQ(manager->SaveDialog()->defaultSuffix(), "tpg");
  EXPECT_TRUE(manager->SaveDialog()->isSizeGripEnabled());
  EXPECT_EQ(manager->LastRecentFile(), "");

  const QString a = MakeFile("a.tpg");
  const QString b = MakeFile("b.tpg");
  manager->OpenFile(b);
  manager->OpenFile(a);
  manager->SetModified(true);
  ASSERT_EQ(recentMenu.actions().size(), 1);

  // The recent entry b, then Cancel on the prompt: a stays open, yet b moves to the front.
  QString prompt, caption;
  AnswerNextModal([&](QWidget* box) {
    caption = box->windowTitle();
    prompt = box->findChild<QLabel*>("Message")->text();
    box->findChild<QPushButton*>("Cancel")->click();
  });
  recentMenu.actions()[0]->trigger();
  EXPECT_EQ(caption, "Warning");
  EXPECT_EQ(prompt, "File \"a.tpg\" was modified. Do you want to save it first?");
  EXPECT_EQ(manager->FileName(), a);
  EXPECT_TRUE(manager->Modified());
  EXPECT_EQ(manager->RecentList()->CurrentFile(), b);
  EXPECT_EQ(Captions(recentMenu), QStringList{"1  a.tpg"});

  // New, discarding the changes; then Save names the document through the save dialog.
  AnswerNextModal([](QWidget* box) { box->findChild<QPushButton*>("No")->click(); });
  manager->NewFile();
  EXPECT_EQ(manager->FileName(), "");
  manager->SetModified(true);
  AnswerNextModal([&](QWidget* dialog) {
    auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
    ASSERT_NE(fileDialog, nullptr);
    auto* name = fileDialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText("fresh");
    QTest::keyClick(name, Qt::Key_Return);
  });
  EXPECT_TRUE(manager->SaveFile());
  const QString fresh = filesDir_.filePath("fresh.tpg");
  EXPECT_EQ(manager->FileName(), fresh);
  EXPECT_EQ(saved, QStringList{fresh});
  EXPECT_FALSE(manager->Modified());
  EXPECT_EQ(manager->RecentList()->CurrentFile(), fresh);
  EXPECT_EQ(opened, (QStringList{b, a}));
  EXPECT_EQ(changes, 4);  // two opens, the new document, the save
}

TEST_F(FilesGuiTest, PageFormatDialogReadsAPrefixAndBuildsItFromTheClickedChoices) {
  ASSERT_TRUE(LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  TDlgPageFormat dialog;
  dialog.SetShowCodes(true);
  dialog.SetPrefix("\x04\x1D\x03\x0D");
  EXPECT_TRUE(dialog.findChild<QRadioButton*>("Foreground3")->isChecked());
  EXPECT_TRUE(dialog.findChild<QRadioButton*>("Background4")->isChecked());
  EXPECT_TRUE(dialog.findChild<QRadioButton*>("Style2")->isChecked());
  EXPECT_EQ(dialog.findChild<QRadioButton*>("Style2")->text(), "Text Double Height");
  EXPECT_EQ(dialog.findChild<QLabel*>("CountLabel")->text(), "4");
  EXPECT_TRUE(dialog.findChild<QCheckBox*>("ShowCheckBox")->isChecked());

  // The sample shows rows 1 to 4 of 26 cells; row 1 is on blue from the New Background code
  // on (the picture has the view's 6-pixel frame around the cells).
  const TPrestView* sample = dialog.Sample();
  EXPECT_EQ(sample->Columns(), 26);
  EXPECT_EQ(sample->Rows(), 4);
  EXPECT_EQ(sample->FontSize(), 3);
  EXPECT_TRUE(sample->ShowCodes());
  EXPECT_EQ(sample->Page().Cell(2, 3), 13);
  EXPECT_EQ(sample->Page().Cell(2, 5), 'E');
  const TRgbaImage& picture = sample->Picture();
  EXPECT_EQ(QSize(picture.Width(), picture.Height()), QSize(26 * 12 + 12, 4 * 16 + 12));
  EXPECT_EQ(picture.At(6 + 5 * 12 + 6, 6 + 8), (TRgb{0, 0, 255}));

  for (const char* name : {"Foreground7", "Background8", "Style1"}) {
    // On the indicator: a radio item answers clicks on its indicator and caption only.
    QTest::mouseClick(dialog.findChild<QRadioButton*>(name), Qt::LeftButton, {}, QPoint(6, 9));
  }
  EXPECT_EQ(dialog.Prefix(), "");
  EXPECT_EQ(dialog.findChild<QLabel*>("CountLabel")->text(), "0");
  QTest::mouseClick(dialog.findChild<QCheckBox*>("ShowCheckBox"), Qt::LeftButton, {}, QPoint(6, 9));
  EXPECT_FALSE(dialog.ShowCodes());

  const QWidget* edge = dialog.findChild<QWidget*>("SampleEdge");
  EXPECT_EQ(edge->geometry(), QRect(8 + 324 - 6, 184, 6, 76));
  dialog.SetShowHelp(false);
  AnswerNextModal([&](QWidget*) {
    EXPECT_EQ(dialog.windowTitle(), "Format Foreground/Background Color");
    EXPECT_FALSE(dialog.HelpButton()->isVisible());
    dialog.OkButton()->click();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

}  // namespace
}  // namespace tavrel::gui
