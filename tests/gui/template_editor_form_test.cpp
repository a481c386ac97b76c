// The template editor through its widgets, offscreen, with the recent list in a temporary
// settings folder: the recent template at start, the text block kept through Save As, New and
// Open, the editor's mode after Save, and what the form adds to the page editor.
#include "editor/template_editor_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "dialog_answer.h"
#include "editor/block_text_field.h"
#include "render/teletext_fonts.h"
#include "support/file_manager.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

using testing::AnswerNextModal;

class TemplateEditorFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLanguage(UiLanguage::English, UiLanguage::English);
    ASSERT_TRUE(settingsDir_.isValid() && templatesDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR "/");
  }
  void TearDown() override { SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch); }

  std::unique_ptr<TPTXTTemplateEditorForm> Open() {
    auto form =
        std::make_unique<TPTXTTemplateEditorForm>(TAVREL_BINARY_DIR, templatesDir_.path(), 8);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
  }
  QString Path(const char* name) const { return templatesDir_.filePath(name); }

  // Save As through the real save dialog, typing the file name.
  static void SaveAs(TPTXTTemplateEditorForm& form, const QString& name) {
    AnswerNextModal([name](QWidget* dialog) {
      auto* edit = qobject_cast<QFileDialog*>(dialog)->findChild<QLineEdit*>("fileNameEdit");
      edit->setText(name);
      QTest::keyClick(edit, Qt::Key_Return);
    });
    form.findChild<QAction*>("MnuSaveAs")->trigger();
  }

  // Drags the text block frame's bottom edge from row `fromRow` to row `toRow` with the mouse.
  static void DragBottomEdge(TPTXTTemplateEditorForm& form, int fromRow, int toRow) {
    QWidget* canvas = form.Canvas();
    auto send = [canvas](QEvent::Type type, int y, Qt::MouseButtons buttons) {
      const QPointF at(68 + 20 * 12, y);
      QMouseEvent event(type, at, canvas->mapToGlobal(at), Qt::LeftButton, buttons, {});
      QApplication::sendEvent(canvas, &event);
    };
    const int edge = 36 + fromRow * 16;  // the bottom of row fromRow
    send(QEvent::MouseMove, edge, Qt::NoButton);
    send(QEvent::MouseButtonPress, edge, Qt::LeftButton);
    send(QEvent::MouseMove, 36 + toRow * 16 - 8, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 36 + toRow * 16 - 8, Qt::NoButton);
  }

  QTemporaryDir settingsDir_;
  QTemporaryDir templatesDir_;
};

TEST_F(TemplateEditorFormTest, FileCommandsHintsAndPageFormatWithoutHelp) {
  auto form = Open();
  EXPECT_EQ(form->windowTitle(), "Template Editor - <no name>");
  EXPECT_TRUE(form->Editor().FrameDisplay);
  QStringList items;
  for (QAction* action : form->FileMenu()->actions()) {
    if (!action->isSeparator()) items << action->text();
  }
  EXPECT_EQ(items.mid(0, 5), (QStringList{"New", "Open", "Recent Files", "Save", "Save As ..."}));
  const std::pair<const char*, const char*> buttons[] = {{"BtnOpen", "Teletekstbestand openen"},
                                                         {"BtnSave", "Teletekstbestand opslaan"},
                                                         {"BtnNew", "Nieuwe pagina"}};
  int x = -1;
  for (const auto& [name, hint] : buttons) {
    SCOPED_TRACE(name);
    auto* button = form->findChild<QToolButton*>(name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), hint);
    EXPECT_GT(button->x(), x);
    x = button->x();
  }
  // The editor's own buttons sit after the file buttons, none on top of another.
  EXPECT_GT(form->findChild<QToolButton*>("BtnClose")->x(), x + 23);

  bool helpShown = true;
  AnswerNextModal([&helpShown](QWidget* dialog) {
    helpShown = dialog->findChild<QPushButton*>("HelpButton")->isVisible();
    dialog->findChild<QPushButton*>("CancelButton")->click();
  });
  form->findChild<QAction*>("MnuFormatColors")->trigger();
  EXPECT_FALSE(helpShown);
}

TEST_F(TemplateEditorFormTest, ADeletedRecentTemplateGivesABlankUnnamedPage) {
  {
    auto form = Open();
    form->Editor().State.Grid.At(3, 5) = 'Q';
    SaveAs(*form, "gone");
    EXPECT_EQ(form->windowTitle(), "Template Editor - gone.tpg");
  }
  ASSERT_TRUE(QFile::remove(Path("gone.tpg")));
  auto form = Open();
  EXPECT_EQ(form->RememberedFile(), Path("gone.tpg"));
  EXPECT_EQ(form->windowTitle(), "Template Editor - <no name>");
  EXPECT_EQ(form->Editor().State.Grid.At(3, 5), ' ');
  EXPECT_EQ(form->Editor().TextBlock, (TTextBlock{2, 6, 39, 22}));
}

TEST_F(TemplateEditorFormTest, SaveAsNewOpenRestoresTheResizedBlockAndTheRecentOneReopens) {
  auto form = Open();
  SaveAs(*form, "plain");
  EXPECT_NE(
      tavrel::testing::ReadBytes(Path("plain.tpg").toStdString()).find("blocktext1=02063922\r\n"),
      std::string::npos);

  DragBottomEdge(*form, 22, 19);
  const TTextBlock resized = form->Editor().TextBlock;
  ASSERT_EQ(resized, (TTextBlock{2, 6, 39, 18}));
  SaveAs(*form, "first");
  form->findChild<QAction*>("MnuNew")->trigger();
  EXPECT_EQ(form->Editor().TextBlock, (TTextBlock{2, 6, 39, 22}));
  EXPECT_EQ(form->windowTitle(), "Template Editor - <no name>");
  form->FileManager().OpenFile(Path("first.tpg"));
  EXPECT_EQ(form->Editor().TextBlock, resized);
  EXPECT_EQ(form->windowTitle(), "Template Editor - first.tpg");
  form.reset();

  // The next start reopens the most recent template.
  form = Open();
  EXPECT_EQ(form->Editor().TextBlock, resized);
  EXPECT_EQ(form->windowTitle(), "Template Editor - first.tpg");
}

TEST_F(TemplateEditorFormTest, AfterSaveTheEditorIsBackInPrestelTextOrBlockText) {
  struct Row {
    const char* Mode;
    int Expected;
  };
  const Row rows[] = {{"MnuModePrestelText", EditMode::PrestelText},
                      {"MnuModeLargeFont2", EditMode::PrestelText},
                      {"MnuModeDrawLine", EditMode::PrestelText},
                      {"MnuModeBlockText", EditMode::BlockText}};
  auto form = Open();
  SaveAs(*form, "modes");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Mode);
    form->findChild<QAction*>(row.Mode)->trigger();
    form->Editor().State.InsertMode = true;
    form->Editor().InverseDrawing = true;
    form->Editor().State.CursorRow = 9;
    form->findChild<QToolButton*>("BtnSave")->click();
    EXPECT_EQ(form->Editor().Mode(), row.Expected);
    EXPECT_EQ(form->BlockTextField()->isVisible(), row.Expected == EditMode::BlockText);
    EXPECT_FALSE(form->Editor().State.InsertMode);
    EXPECT_FALSE(form->Editor().InverseDrawing);
    if (row.Expected == EditMode::PrestelText) {
      EXPECT_EQ(form->Editor().State.CursorRow, 1);
      EXPECT_EQ(form->Editor().State.CursorColumn, form->Editor().State.LeftMargin);
    }
    EXPECT_FALSE(form->FileManager().Modified());
  }
}

TEST_F(TemplateEditorFormTest, ClosingAChangedTemplateAsksAndCancelKeepsTheWindow) {
  auto form = Open();
  form->Editor().State.Grid.At(2, 2) = 'X';
  QString question;
  AnswerNextModal([&question](QWidget* box) {
    question = box->findChild<QLabel*>("Message")->text();
    box->findChild<QPushButton*>("Cancel")->click();
  });
  form->findChild<QAction*>("MnuClose")->trigger();
  EXPECT_TRUE(question.contains("was modified. Do you want to save it first?"))
      << question.toStdString();
  EXPECT_TRUE(form->isVisible());
  AnswerNextModal([](QWidget* box) { box->findChild<QPushButton*>("No")->click(); });
  form->findChild<QAction*>("MnuClose")->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Accepted);
}

TEST_F(TemplateEditorFormTest, ARecentTemplateAsksToSaveEditsMadeSinceTheLastSave) {
  auto form = Open();
  SaveAs(*form, "a");
  SaveAs(*form, "b");
  QTest::keyClick(form->Canvas(), Qt::Key_X);  // an edit no file command has seen yet
  auto* recent = form->findChild<QMenu*>("MnuRecentFiles");
  ASSERT_EQ(recent->actions().size(), 1);
  bool asked = false;
  AnswerNextModal([&asked](QWidget* box) {
    asked = box->objectName() == "LangMessageDlg";
    box->findChild<QPushButton*>("Cancel")->click();
  });
  recent->actions()[0]->trigger();
  EXPECT_TRUE(asked);
  EXPECT_EQ(form->FileManager().FileName(), Path("b.tpg"));
  EXPECT_EQ(form->Editor().State.Grid.At(1, 0), 'x');
}

// Answers the modal that comes up: a message box with the named button, a file dialog with
// Cancel. Each answer queues the next before it answers, so a chain of modals is answered in
// order.
void AnswerModals(std::vector<const char*> answers) {
  if (answers.empty()) return;
  AnswerNextModal([answers](QWidget* modal) {
    const char* answer = answers.front();
    AnswerModals({answers.begin() + 1, answers.end()});
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      dialog->reject();
    } else if (auto* button = modal->findChild<QPushButton*>(answer)) {
      button->click();
    } else {
      ADD_FAILURE() << "no button " << answer << " on " << modal->objectName().toStdString();
      qobject_cast<QDialog*>(modal)->reject();
    }
  });
}

// A file command or closing that does not complete leaves block-text mode as it was: the field
// shown, with the focus, taking the keys; the grid untouched by them.
TEST_F(TemplateEditorFormTest, AFileCommandThatDoesNotCompleteKeepsTheBlockTextField) {
  struct Row {
    const char* Name;
    const char* Command;
    std::vector<const char*> Answers;
  };
  const Row rows[] = {
      {"Open: the save question cancelled", "MnuOpen", {"Cancel"}},
      {"Open: the open dialog cancelled", "MnuOpen", {"No", "dialog"}},
      {"New: the save question cancelled", "MnuNew", {"Cancel"}},
      {"Save As: the save dialog cancelled", "MnuSaveAs", {"dialog"}},
      {"Close: the save question cancelled", "MnuClose", {"Cancel"}},
      {"Close: Yes, then the save fails", "MnuClose", {"Yes", "OK"}},
      {"Save fails: the folder is gone", "MnuSave", {"OK"}},
  };
  auto form = Open();
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QDir(templatesDir_.path()).mkdir("sub");
  SaveAs(*form, "sub/kept");
  ASSERT_EQ(form->FileManager().FileName(), Path("sub/kept.tpg"));
  ASSERT_TRUE(QDir(Path("sub")).removeRecursively());  // every save from now on fails
  form->findChild<QAction*>("MnuModeBlockText")->trigger();
  auto* field = qobject_cast<QPlainTextEdit*>(form->BlockTextField());
  ASSERT_TRUE(field->isVisible());
  QTest::keyClicks(field, "News");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    AnswerModals(row.Answers);
    form->findChild<QAction*>(row.Command)->trigger();
    // The window manager gives the window back its activation once the modal is gone.
    QApplication::setActiveWindow(form.get());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Editor().Mode(), EditMode::BlockText);
    EXPECT_TRUE(field->isVisible());
    ASSERT_EQ(QApplication::focusWidget(), field);
    const TEditGrid grid = form->Editor().State.Grid;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
    EXPECT_EQ(form->Editor().State.Grid, grid) << "a key reached the grid";
    EXPECT_TRUE(field->toPlainText().startsWith("Newsx\n")) << field->toPlainText().toStdString();
    QTest::keyClick(field, Qt::Key_Backspace);
  }
  EXPECT_TRUE(field->toPlainText().startsWith("News\n"));
  EXPECT_EQ(form->FileManager().FileName(), Path("sub/kept.tpg"));
}

// A file without [PAGE] is refused with a message naming it, and the open template stays.
TEST_F(TemplateEditorFormTest, OpeningAFileWithoutThePageSectionSaysSoAndKeepsTheTemplate) {
  auto form = Open();
  form->Editor().State.Grid.At(4, 4) = 'K';
  SaveAs(*form, "kept");
  const QString foreign = Path("foreign.tpg");
  tavrel::testing::WriteBytes(foreign.toStdString(), "[TITLE]\r\nrow01=Hello\r\n");
  QString shown;
  AnswerNextModal([&](QWidget* dialog) {
    AnswerNextModal([&shown](QWidget* box) {
      if (auto* message = box->findChild<QLabel*>("Message")) shown = message->accessibleName();
      QTest::keyClick(box, Qt::Key_Return);
    });
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    edit->setText("foreign.tpg");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  form->findChild<QAction*>("MnuOpen")->trigger();
  EXPECT_EQ(shown, foreign + ": not a template: it has no [PAGE] section");
  EXPECT_EQ(form->windowTitle(), "Template Editor - kept.tpg");
  EXPECT_EQ(form->FileManager().FileName(), Path("kept.tpg"));
  EXPECT_EQ(form->Editor().State.Grid.At(4, 4), 'K');
  EXPECT_EQ(tavrel::testing::ReadBytes(foreign.toStdString()), "[TITLE]\r\nrow01=Hello\r\n");
}

// The operator types part of a name, the file dialog's completion pop-up offers the rest, and a
// click on Open opens the file: the pop-up closes with the dialog, and the next click on the
// editor is the editor's (a pop-up left open would take it to close itself).
TEST_F(TemplateEditorFormTest, TheFileDialogLeavesNoCompletionPopupBehind) {
  auto form = Open();
  SaveAs(*form, "weather");
  form->findChild<QAction*>("MnuNew")->trigger();
  bool popupShown = false;
  AnswerNextModal([&popupShown](QWidget* dialog) {
    QApplication::setActiveWindow(dialog);
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    edit->setFocus();
    // The folder is read in the background: the pop-up comes with the first key typed after.
    QTest::keyClicks(edit, "w");
    EXPECT_TRUE(QTest::qWaitFor([edit] { return edit->completer()->completionCount() > 0; }));
    QTest::keyClicks(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : edit,
                     "eather.tpg");
    popupShown = QApplication::activePopupWidget() != nullptr;
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->buttons().first(), Qt::LeftButton);
  });
  form->findChild<QAction*>("MnuOpen")->trigger();
  ASSERT_TRUE(popupShown) << "the test brought up no pop-up";
  EXPECT_EQ(form->windowTitle(), "Template Editor - weather.tpg");
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  auto* grid = form->findChild<QToolButton*>("BtnGrid");
  QTest::mouseClick(grid, Qt::LeftButton);
  EXPECT_TRUE(form->Editor().GridDisplay) << "the click after Open did not reach the editor";
}

// "News.tpg" and "news.tpg" are two files: saving the second keeps the first in the menu.
TEST_F(TemplateEditorFormTest, RecentTemplatesThatDifferInLetterCaseAreTwoEntries) {
  auto form = Open();
  SaveAs(*form, "News");
  SaveAs(*form, "news");
  auto* recent = form->findChild<QMenu*>("MnuRecentFiles");
  ASSERT_EQ(recent->actions().size(), 1);
  EXPECT_EQ(recent->actions()[0]->text(), "1  News.tpg");
}

}  // namespace
}  // namespace tavrel::gui

namespace tavrel::gui {
namespace {

// The text of a row, cells masked to 7 bits.
std::string RowText(const TPrestPage& page, int row, int columns) {
  std::string text;
  for (int column = 0; column < columns; ++column) {
    text += static_cast<char>(page.Cell(row, column) & 0x7F);
  }
  return text;
}

// File > Import: a TTI file becomes a new, unnamed, changed template with the default block;
// a broken file shows an error naming it and leaves the template as it was.
TEST_F(TemplateEditorFormTest, ImportMakesATtiPageANewUnnamedTemplate) {
  auto form = Open();
  EXPECT_EQ(form->findChild<QAction*>("MnuImport")->text(), "Import");
  const QString tti = Path("weather.tti");
  tavrel::testing::WriteBytes(tti.toStdString(),
                              "DE,Weather\r\nPN,10100\r\nPS,8000\r\nOL,3,HELLO WEATHER\r\n");
  form->ImportCommand(tti);
  EXPECT_TRUE(form->FileManager().FileName().isEmpty());
  EXPECT_TRUE(form->FileManager().Modified());
  EXPECT_EQ(RowText(form->Editor().Page, 3, 13), "HELLO WEATHER");

  form->FileManager().SetModified(false);  // no save question before the next import
  const QString broken = Path("broken.tti");
  tavrel::testing::WriteBytes(broken.toStdString(), "PN,1x0\r\n");
  QString shown;
  AnswerNextModal([&shown](QWidget* dialog) {
    for (QLabel* label : dialog->findChildren<QLabel*>()) shown += label->text();
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  form->ImportCommand(broken);
  EXPECT_TRUE(shown.contains("broken.tti")) << shown.toStdString();
  EXPECT_EQ(RowText(form->Editor().Page, 3, 13), "HELLO WEATHER");
}

}  // namespace
}  // namespace tavrel::gui
