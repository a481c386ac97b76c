#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "app/main_form.h"
#include "pipeline/settings_store.h"
#include "dialog_answer.h"
#include "support/about_dlg.h"
#include "support/language_texts.h"
#include "support/qor_button_dlg.h"
#include "support/select_file_frame.h"
#include "support/view_text_dlg.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

using testing::AnswerNextModal;

class CommonDialogs : public ::testing::Test {
 protected:
  void SetUp() override { SetLanguage(UiLanguage::English, UiLanguage::English); }
  void TearDown() override { SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch); }
};

QPushButton* Button(QWidget& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(name);
}

TEST_F(CommonDialogs, ButtonDialogBaseLayoutAndTheCloseOnlyViewer) {
  TQorButtonDlg base;
  base.show();
  EXPECT_EQ(base.size(), QSize(388, 246));
  EXPECT_EQ(Button(base, "OKButton")->text(), "OK");
  EXPECT_EQ(Button(base, "OKButton")->geometry(), QRect(388 - 241, 8, 72, 25));
  EXPECT_EQ(Button(base, "CancelButton")->text(), "Cancel");
  EXPECT_EQ(Button(base, "CancelButton")->x(), 388 - 161);
  EXPECT_EQ(Button(base, "HelpButton")->x(), 388 - 81);
  EXPECT_TRUE(Button(base, "HelpButton")->isVisible());
  QTest::mouseClick(Button(base, "CancelButton"), Qt::LeftButton);
  EXPECT_EQ(base.result(), QDialog::Rejected);

  TPViewTextDlg viewer;
  viewer.show();
  EXPECT_EQ(Button(viewer, "OKButton")->text(), "Close");
  EXPECT_EQ(Button(viewer, "OKButton")->x(), viewer.width() - 81);
  EXPECT_FALSE(Button(viewer, "CancelButton")->isVisible());
  EXPECT_FALSE(Button(viewer, "HelpButton")->isVisible());
  QTest::mouseClick(Button(viewer, "OKButton"), Qt::LeftButton);
  EXPECT_EQ(viewer.result(), QDialog::Accepted);
}

TEST_F(CommonDialogs, HelpViewerShowsTheHelpFileFormatted) {
  TRIHelpDlg help;
  help.LoadTextFile(TAVREL_SOURCE_DIR "/data/Help.rtf");
  EXPECT_EQ(help.size(), QSize(578, 500));
  const QTextDocument* document = help.Editor()->document();
  const QTextBlock title = document->firstBlock();
  EXPECT_EQ(title.text(), "Tavrel Help");
  EXPECT_TRUE(title.begin().fragment().charFormat().fontWeight() >= QFont::Bold);
  EXPECT_TRUE(document->toPlainText().contains("Server Busy"));
}

// The window's help command end to end: the menu item by its name, the help file the build put
// beside the program, and the error box when the file is missing.
TEST_F(CommonDialogs, HelpSubjectsMenuItemShowsTheHelpOrAnErrorNamingTheFile) {
  tavrel::testing::TempFolder empty;
  struct Case {
    const char* Name;
    QString Folder;
    const char* ExpectedObject;
    const char* ExpectedCaption;
  };
  const Case cases[] = {
      {"installed help", TAVREL_BINARY_DIR, "RIHelpDlg", "Tavrel Help"},
      {"missing help", QString::fromStdString(empty.Path()), "LangMessageDlg", "Error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const tavrel::testing::TempFolder home;
    TRIGlobals globals(home.Dir());
    TRIMainForm window(globals, c.Folder);
    auto* item = window.findChild<QAction*>("HelpSubjectsMenuItem");
    ASSERT_NE(item, nullptr);
    QString object;
    QString caption;
    QString message;
    AnswerNextModal([&](QWidget* dialog) {
      object = dialog->objectName();
      caption = dialog->windowTitle();
      if (auto* label = dialog->findChild<QLabel*>("Message")) message = label->text();
      if (auto* editor = dialog->findChild<QTextEdit*>("RichEdit")) {
        message = editor->document()->firstBlock().text();
      }
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    item->trigger();
    EXPECT_EQ(object, c.ExpectedObject);
    EXPECT_EQ(caption, c.ExpectedCaption);
    if (object == "LangMessageDlg") {
      EXPECT_TRUE(message.contains(c.Folder + "/Help.rtf")) << message.toStdString();
    } else {
      EXPECT_EQ(message, "Tavrel Help");
    }
  }
}

TEST_F(CommonDialogs, ValidateFileReportsAMissingFileAndFocusesTheEdit) {
  tavrel::testing::TempFolder folder;
  const QString existing = QString::fromStdString(folder.Path()) + "/feed.xml";
  QFile file(existing);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  QWidget host;
  auto* frame = new TPSelectFileFrame(&host);
  host.show();
  for (const QString& name : {QString(), existing + ".gone"}) {
    SCOPED_TRACE(name.toStdString());
    frame->Edit()->setText(name);
    frame->FileName();
    QString shown;
    AnswerNextModal([&](QWidget* box) {
      shown = box->findChild<QLabel*>("Message")->text();
      QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_FALSE(frame->ValidateFile());
    EXPECT_EQ(shown, "File not found.");
    EXPECT_TRUE(frame->Edit()->hasFocus() || QApplication::focusWidget() == nullptr);
  }
  frame->SetFileName(existing);
  EXPECT_EQ(frame->FileName(), existing);
  EXPECT_TRUE(frame->ValidateFile());
  EXPECT_EQ(QtFileFilter("xml|*.xml|All files|*.*"), "xml (*.xml);;All files (*.*)");
}

TEST_F(CommonDialogs, AboutBoxShowsTheVersionLineAndClosesOnAnyKey) {
  TPAboutDlg about;
  about.SetProductTitle("Tavrel");
  EXPECT_TRUE(about.VersionLine().startsWith("Version ")) << about.VersionLine().toStdString();
  EXPECT_TRUE(about.VersionLine().contains(" build ")) << about.VersionLine().toStdString();
  EXPECT_EQ(about.findChild<QLabel*>("ProductTitleLabel")->text(), "Tavrel");
  const QPoint offset = about.findChild<QLabel*>("ProductShadowLabel")->pos() -
                        about.findChild<QLabel*>("ProductTitleLabel")->pos();
  EXPECT_EQ(offset, QPoint(3, 3));
  about.show();
  EXPECT_EQ(about.findChild<QPushButton*>("CloseButton")->text(), "Close");
  QTest::keyClick(&about, Qt::Key_Q);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace tavrel::gui
