// The page editor window driven through key events, menus and its status bar.
#include "editor/txt_ed.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <map>

#include "dialog_answer.h"
#include "editor/edit_engine.h"
#include "editor/edit_modes.h"
#include "editor/editor_texts.h"
#include "render/teletext_fonts.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

class TxtEdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLanguage(UiLanguage::English, UiLanguage::English);
    LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR "/");
  }

  // A shown, active editor holding `page`.
  std::unique_ptr<TTxtEd> Open(const TPrestPage& page = TPrestPage::Blank(),
                               const QString& folder = TAVREL_BINARY_DIR) {
    auto editor = std::make_unique<TTxtEd>(folder);
    editor->SetPage(page, TTextBlock{4, 6, 39, 22});
    editor->show();
    QApplication::setActiveWindow(editor.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    editor->Canvas()->setFocus();
    return editor;
  }
  static void Key(TTxtEd& editor, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(editor.Canvas(), key, modifiers);
  }
  static std::string Row(const TTxtEd& editor, int row, int length = 10) {
    std::string text;
    for (int c = 0; c < length; ++c)
      text += static_cast<char>(editor.Editor().State.Grid.At(row, c));
    return text;
  }
  static QString Status(const TTxtEd& editor, int panel) {
    return testing::Find<QLabel>(&editor, QString("StatusPanel%1").arg(panel))->text();
  }
  static QAction* Action(const TTxtEd& editor, const char* name) {
    return testing::Find<QAction>(&editor, name);
  }
};

// Inside a modal answer (run from the event loop, where nothing may throw): the box's message,
// and a click on one of its buttons. A missing control fails the test and closes the box.
QString MessageIn(QWidget* box) {
  auto* label = box->findChild<QLabel*>("Message");
  if (label == nullptr) ADD_FAILURE() << "the box has no Message";
  return label != nullptr ? label->text() : QString();
}
template <typename T = QPushButton>
void ClickIn(QWidget* box, const QString& name) {
  if (auto* button = box->findChild<T*>(name)) {
    button->click();
  } else {
    ADD_FAILURE() << "the box has no " << name.toStdString();
    box->close();
  }
}

// A page whose body rows name themselves ("row 5" from column 3).
TPrestPage NumberedPage() {
  TPrestPage page = TPrestPage::Blank();
  for (int row = 1; row < kPageRows; ++row) {
    const std::string text = "row " + std::to_string(row);
    for (std::size_t i = 0; i < text.size(); ++i) {
      page.Cell(row, 3 + static_cast<int>(i)) = static_cast<std::uint8_t>(text[i]);
    }
  }
  return page;
}

TEST_F(TxtEdTest, TypingEntersTextAndMovesTheCaret) {
  auto editor = Open();
  QTest::keyClicks(editor->Canvas(), "Hi!");
  Key(*editor, Qt::Key_Return);
  QTest::keyClicks(editor->Canvas(), "x");
  Key(*editor, Qt::Key_Escape);  // typed like any key: no change, and the window stays open
  EXPECT_EQ(Row(*editor, 1, 4), "Hi! ");
  EXPECT_EQ(Row(*editor, 2, 2), "x ");
  EXPECT_EQ(Status(*editor, 0), "x1  y2");
  EXPECT_EQ(Status(*editor, 2), "OVR");
  EXPECT_TRUE(editor->isVisible());
  Key(*editor, Qt::Key_Insert);
  EXPECT_EQ(Status(*editor, 2), "INS");
  EXPECT_EQ(Action(*editor, "MnuInsert")->text(), "Insert Off");
}

TEST_F(TxtEdTest, ColourShortcutsInsertEachCodeOnce) {
  auto editor = Open();
  for (int i = 0; i < 8; ++i) Key(*editor, Qt::Key(Qt::Key_F1 + i));
  for (int i = 0; i < 8; ++i) Key(*editor, Qt::Key(Qt::Key_F1 + i), Qt::ControlModifier);
  const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 0, 17, 18, 19, 20, 21, 22, 23, 16};
  for (int c = 0; c < 16; ++c) EXPECT_EQ(editor->Editor().State.Grid.At(1, c), expected[c]) << c;
  // Sixteen presses, sixteen cells: no shortcut reached the engine a second time.
  EXPECT_EQ(editor->Editor().State.CursorColumn, 16);
  EXPECT_EQ(editor->Editor().State.Grid.At(1, 16), ' ');
}

TEST_F(TxtEdTest, SelectAllThenCutClearsThePageAndPrefix) {
  auto editor = Open(NumberedPage());
  editor->PageFormatRunner = [](QWidget*, bool, const std::string&) {
    return std::optional<TPageFormatChoice>({"\x01\x02", false});
  };
  Action(*editor, "MnuFormatColors")->trigger();
  ASSERT_EQ(editor->Editor().Page.RowPrefixLength, 2);
  EXPECT_FALSE(Action(*editor, "MnuCut")->isEnabled());
  Key(*editor, Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(Action(*editor, "MnuCut")->isEnabled());
  Key(*editor, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(editor->Editor().Page.RowPrefixLength, 0);
  EXPECT_EQ(editor->Editor().FormatPrefix(), "");
  for (int row = 1; row < kPageRows; ++row) EXPECT_EQ(Row(*editor, row), std::string(10, ' '));
  EXPECT_TRUE(Action(*editor, "MnuPaste")->isEnabled());
}

TEST_F(TxtEdTest, PastingThreeRowsAtRow22LosesRowsPast47) {
  auto editor = Open(NumberedPage());
  editor->Editor().State.Grid.At(45, 0) = 'L';
  editor->Editor().Selection.Start = 5;
  editor->Editor().Selection.End = 8;
  Key(*editor, Qt::Key_Right);  // any command refreshes the menus
  Key(*editor, Qt::Key_C, Qt::ControlModifier);
  Key(*editor, Qt::Key_Up);  // row 1 to row 23
  Key(*editor, Qt::Key_Up);
  ASSERT_EQ(editor->Editor().State.CursorRow, 22);
  Key(*editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Row(*editor, 22), "   row 5  ");
  EXPECT_EQ(Row(*editor, 23), "   row 6  ");
  EXPECT_EQ(Row(*editor, 24), "   row 7  ");
  EXPECT_EQ(Row(*editor, 25), "   row 22 ");
  EXPECT_EQ(editor->Editor().State.Grid.At(48 - 1, 0), ' ');  // row 45 went past 47
  EXPECT_EQ(editor->Editor().State.Grid.At(21, 3), 'r');
}

TEST_F(TxtEdTest, APrefixWithDoubleHeightOnlyInEvenRows) {
  auto editor = Open();
  editor->PageFormatRunner = [](QWidget*, bool, const std::string&) {
    return std::optional<TPageFormatChoice>({"\x02\x0d\x07", true});
  };
  Action(*editor, "MnuFormatColors")->trigger();
  for (int row = 1; row < kPageRows; ++row) {
    EXPECT_EQ(editor->Editor().State.Grid.At(row, 1), row % 2 == 0 ? 13 : ' ') << row;
  }
  EXPECT_EQ(Status(*editor, 0), "x3  y1");
  // The dialog's show-codes switch comes back with the prefix.
  EXPECT_EQ(Action(*editor, "MnuAttribute")->text(), "Attributes Off");
}

TEST_F(TxtEdTest, PageFormatMessages) {
  auto editor = Open(NumberedPage());
  editor->PageFormatRunner = [](QWidget*, bool, const std::string&) {
    return std::optional<TPageFormatChoice>({"\x01\x02\x03\x04\x05", false});
  };
  QString shown;
  {
    testing::TScopedModalAnswer answer([&](QWidget* box) {
      shown = MessageIn(box);
      ClickIn(box, MessageButtonObjectName(TMsgDlgBtn::OK));
    });
    testing::Trigger(editor.get(), "MnuFormatColors");  // the text block starts at column 4
  }
  EXPECT_EQ(shown, "Te weinig ruimte voor attributen, verplaats eerst het tekstblok.");
  EXPECT_TRUE(editor->Editor().FrameDisplay);
  EXPECT_EQ(editor->Editor().Page.RowPrefixLength, 0);
  editor->PageFormatRunner = [](QWidget*, bool, const std::string&) {
    return std::optional<TPageFormatChoice>({"\x01\x02\x03\x04", false});
  };
  {
    testing::TScopedModalAnswer answer([&](QWidget* box) {
      shown = MessageIn(box);
      ClickIn(box, MessageButtonObjectName(TMsgDlgBtn::No));
    });
    testing::Trigger(editor.get(), "MnuFormatColors");  // "row" stands in column 3
  }
  EXPECT_TRUE(
      shown.startsWith("Er bevinden zich tekens en/of attributen in de 4 kolom(en).\n"
                       "Tekens en/of attributen overschrijven?"))
      << shown.toStdString();
  EXPECT_EQ(editor->Editor().Page.RowPrefixLength, 0);
  EXPECT_EQ(Row(*editor, 5), "   row 5  ");
}

TEST_F(TxtEdTest, ThePageFormatDialogSetsThePrefix) {
  auto editor = Open();
  editor->TemplateHost = true;
  bool helpShown = true;
  {
    testing::TScopedModalAnswer answer([&](QWidget* dialog) {
      auto* help = dialog->findChild<QPushButton*>("HelpButton");
      helpShown = help == nullptr || help->isVisible();
      ClickIn<QRadioButton>(dialog, "Foreground3");  // yellow text on black
      ClickIn(dialog, "OKButton");
    });
    testing::Trigger(editor.get(), "MnuFormatColors");
  }
  EXPECT_FALSE(helpShown);
  EXPECT_EQ(editor->Editor().FormatPrefix(), "\x03");
  for (int row = 1; row < kPageRows; ++row) EXPECT_EQ(editor->Editor().State.Grid.At(row, 0), 3);
  EXPECT_EQ(Status(*editor, 0), "x1  y1");
}

TEST_F(TxtEdTest, UndoTwiceRestoresTheSameCopy) {
  auto editor = Open();
  QTest::keyClicks(editor->Canvas(), "AB");
  Key(*editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Row(*editor, 1, 3), "A  ");
  Key(*editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Row(*editor, 1, 3), "A  ");
}

TEST_F(TxtEdTest, StatusNamesTheControlCodeUnderTheCursor) {
  auto editor = Open();
  Key(*editor, Qt::Key_D, Qt::ControlModifier);
  Key(*editor, Qt::Key_Left);
  EXPECT_EQ(editor->Editor().State.Grid.At(1, 0), 13);
  EXPECT_EQ(Status(*editor, 3), "Double Height");
  QTest::keyClicks(editor->Canvas(), "a");
  Key(*editor, Qt::Key_Left);
  EXPECT_EQ(Status(*editor, 3), "");
  EXPECT_EQ(testing::Find<QToolButton>(editor.get(), "BtnDoubleHeight")->toolTip(),
            "Double Height");
  EXPECT_EQ(testing::Find<QToolButton>(editor.get(), "BtnAlfaRed")->property("tag").toInt(), 187);
  EXPECT_EQ(testing::Find<QToolButton>(editor.get(), "BtnGraphicBlack")->property("tag").toInt(),
            239);
}

// Large-font typing after a click on row 1 or 2: the click places the cursor on row 3, so the
// letter fills rows 1..3 and the caret stays on the page, below the tool bar.
TEST_F(TxtEdTest, LargeFontTypingAfterAClickOnTheTopRowsStaysOnThePage) {
  for (int clickedRow : {1, 2}) {
    SCOPED_TRACE(clickedRow);
    auto editor = Open();
    Key(*editor, Qt::Key_1, Qt::AltModifier);
    const QPoint cell(kEditorPageLeft + 2 + 10 * kEditorCellWidth + 6,
                      kEditorPageTop + (clickedRow - 1) * kEditorCellHeight + 8);
    QTest::mouseClick(editor->Canvas(), Qt::LeftButton, Qt::NoModifier, cell);
    EXPECT_EQ(Status(*editor, 0), "x10  y3");
    QTest::keyClicks(editor->Canvas(), "HI");
    EXPECT_EQ(Row(*editor, 0, kPageColumns), std::string(kPageColumns, ' '));
    for (int row = 1; row <= 3; ++row) {
      EXPECT_GT(editor->Editor().State.Grid.At(row, 10), ' ') << "the H's bar in row " << row;
    }
    EXPECT_GE(editor->Editor().Caret().Rect.Top,
              testing::Find<QWidget>(editor.get(), "ToolBar")->height());
  }
}

// Block-text mode: the keys belong to the text field. A click on the page beside it leaves
// them there, and Tab stores nothing (byte 9 would be a hidden Steady code in the template).
TEST_F(TxtEdTest, BlockTextKeysStayInTheFieldAndTabStoresNothing) {
  auto editor = Open();
  Action(*editor, "MnuModeBlockText")->trigger();
  auto* field = testing::Find<QWidget>(editor.get(), "Memo1");
  ASSERT_TRUE(field->isVisible());
  const TEditGrid before = editor->Editor().State.Grid;
  // Row 2, column 1: on the page, left of and above the field.
  QTest::mouseClick(editor->Canvas(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(kEditorPageLeft + 2 + kEditorCellWidth + 6, kEditorPageTop + 24));
  EXPECT_EQ(QApplication::focusWidget(), field);
  QTest::keyClicks(QApplication::focusWidget(), "Ab");
  editor->Canvas()->setFocus();  // should the page get the focus anyway, its keys go on
  QTest::keyClick(editor->Canvas(), Qt::Key_C);
  EXPECT_EQ(QApplication::focusWidget(), field);
  QTest::keyClick(field, Qt::Key_F9);  // a key the field does not use stops there
  QTest::keyClick(field, Qt::Key_Tab);
  QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
  QTest::keyClicks(field, "d");
  // The context menu's Paste: a tab from outside becomes a space, as on the Edit menu's road.
  QGuiApplication::clipboard()->setText("\te");
  qobject_cast<QPlainTextEdit*>(field)->paste();
  EXPECT_EQ(editor->Editor().State.Grid, before);
  EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(field)->toPlainText().startsWith("Abcd e\n"));
  EXPECT_EQ(QApplication::focusWidget(), field);

  Action(*editor, "MnuModePrestelText")->trigger();  // writes the field back
  EXPECT_EQ(Row(*editor, 6, 11), "    Abcd e ");
  for (int row = 1; row < kPageRows; ++row) {
    for (int column = 0; column < kPageColumns; ++column) {
      EXPECT_NE(editor->Editor().State.Grid.At(row, column), 9) << row << "," << column;
    }
  }
}

TEST_F(TxtEdTest, SwitchesLargeFontsAndClose) {
  {
    SCOPED_TRACE("grid and attributes captions");
    auto editor = Open();
    EXPECT_EQ(Action(*editor, "MnuGrid")->text(), "Grid On");
    Key(*editor, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Action(*editor, "MnuGrid")->text(), "Grid Off");
    EXPECT_TRUE(testing::Find<QToolButton>(editor.get(), "BtnGrid")->isChecked());
    Key(*editor, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(Action(*editor, "MnuAttribute")->text(), "Attributes Off");
    Key(*editor, Qt::Key_G, Qt::ControlModifier);
    Key(*editor, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(editor->Editor().Mode(), EditMode::PrestelText);
    // Nothing changed: closing answers Cancel.
    testing::Find<QToolButton>(editor.get(), "BtnClose")->click();
    EXPECT_EQ(editor->result(), QDialog::Rejected);
  }
  {
    SCOPED_TRACE("large font typing, then a change closes with OK");
    auto editor = Open();
    Key(*editor, Qt::Key_1, Qt::AltModifier);
    EXPECT_TRUE(editor->Editor().State.LargeFont);
    EXPECT_EQ(Status(*editor, 1), "Large Font 1");
    QTest::keyClicks(editor->Canvas(), "Hi");
    EXPECT_EQ(editor->Editor().State.Grid.At(3, 0), 0x17);
    EXPECT_GT(editor->Editor().State.CursorColumn, 3);
    Action(*editor, "MnuClose")->trigger();
    EXPECT_EQ(editor->result(), QDialog::Accepted);
  }
  {
    SCOPED_TRACE("a missing large font");
    ::tavrel::testing::TempFolder folder;
    auto editor = Open(TPrestPage::Blank(), QString::fromStdString(folder.Path()));
    QString message;
    {
      testing::TScopedModalAnswer answer([&](QWidget* box) {
        message = MessageIn(box);
        ClickIn(box, MessageButtonObjectName(TMsgDlgBtn::OK));
      });
      Key(*editor, Qt::Key_3, Qt::AltModifier);
    }
    EXPECT_EQ(message,
              QString::fromStdString("Can not open file: \"" + folder.Path() + "txtfont3.fnt"));
    EXPECT_TRUE(testing::Find<QToolButton>(editor.get(), "BtnModeLargeFont3")->isChecked());
    QTest::keyClicks(editor->Canvas(), "a");
    EXPECT_EQ(editor->Editor().State.Grid.At(1, 0), 'a');
  }
}

// A command is one action: its tool button shows the menu item's action, so the two can never
// disagree, and the button keeps its own name, face and hint.
TEST_F(TxtEdTest, EachButtonShowsItsMenuItemsAction) {
  auto editor = Open();
  using testing::Find;
  std::vector<std::pair<std::string, std::string>> pairs = {{"BtnClose", "MnuClose"},
                                                            {"BtnDrawInverse", "MnuDrawInverse"},
                                                            {"BtnAttribute", "MnuAttribute"},
                                                            {"BtnGrid", "MnuGrid"},
                                                            {"BtnAlfaRed", "MnuAlphaRed"},
                                                            {"BtnAlfaBlack", "MnuAlphaBlack"},
                                                            {"BtnGraphicBlue", "MnuGraphicBlue"},
                                                            {"BtnDoubleHeight", "MnuDoubleHeight"},
                                                            {"BtnHoldGraphic", "MnuHoldGraphic"},
                                                            {"BtnConceal", "MnuConceal"}};
  for (const TEditModeRow& row : EditModes()) {
    if (*row.ButtonLabel == '\0') continue;
    pairs.emplace_back(std::string("BtnMode") + row.Name, std::string("MnuMode") + row.Name);
    auto* button = Find<QToolButton>(editor.get(), pairs.back().first.c_str());
    EXPECT_EQ(button->text(), QString::fromUtf8(row.ButtonLabel)) << row.Name;
    EXPECT_EQ(button->toolTip(), QString::fromStdString(ModeHint(row.Mode))) << row.Name;
  }
  for (const auto& [buttonName, actionName] : pairs) {
    SCOPED_TRACE(buttonName);
    EXPECT_EQ(Find<QToolButton>(editor.get(), buttonName.c_str())->defaultAction(),
              Find<QAction>(editor.get(), actionName.c_str()));
  }
  EXPECT_EQ(Find<QToolButton>(editor.get(), "BtnGrid")->text(), "#");
  EXPECT_EQ(Find<QToolButton>(editor.get(), "BtnGrid")->toolTip(), "Grid");

  // The state rule reaches button and item alike: a drawing tool leaves only the alpha
  // colours red to white of the attributes.
  QTest::mouseClick(Find<QToolButton>(editor.get(), "BtnModeDrawLine"), Qt::LeftButton);
  EXPECT_EQ(editor->Editor().Mode(), EditMode::DrawLine);
  EXPECT_TRUE(Find<QAction>(editor.get(), "MnuModeDrawLine")->isChecked());
  EXPECT_FALSE(Find<QToolButton>(editor.get(), "BtnModePrestelText")->isChecked());
  EXPECT_FALSE(Find<QToolButton>(editor.get(), "BtnAlfaBlack")->isEnabled());
  EXPECT_TRUE(Find<QToolButton>(editor.get(), "BtnAlfaWhite")->isEnabled());
  EXPECT_FALSE(Find<QAction>(editor.get(), "MnuInsert")->isEnabled());
  // The button works there, its key does not: the key belongs to the menu, which is off.
  const TEditGrid drawn = editor->Editor().State.Grid;
  Key(*editor, Qt::Key_F1);
  EXPECT_EQ(editor->Editor().State.Grid, drawn);
  QTest::mouseClick(Find<QToolButton>(editor.get(), "BtnAlfaRed"), Qt::LeftButton);
  EXPECT_EQ(editor->Editor().State.Grid.At(1, 0), 0x01);  // alpha red at the cursor
  testing::Trigger(editor.get(), "MnuModePrestelText");
  EXPECT_TRUE(Find<QToolButton>(editor.get(), "BtnAlfaBlack")->isEnabled());
  QTest::mouseClick(Find<QToolButton>(editor.get(), "BtnGrid"), Qt::LeftButton);
  EXPECT_TRUE(editor->Editor().GridDisplay);
  EXPECT_TRUE(Find<QAction>(editor.get(), "MnuGrid")->isChecked());
  EXPECT_EQ(Find<QAction>(editor.get(), "MnuGrid")->text(), "Grid Off");
  QTest::mouseClick(Find<QToolButton>(editor.get(), "BtnGraphicBlue"), Qt::LeftButton);
  EXPECT_EQ(editor->Editor().State.Grid.At(1, 1), 0x14);  // graphics blue after it
}

// Qt runs neither of two actions that share a shortcut: every key of the editor is taken once.
TEST_F(TxtEdTest, NoTwoCommandsShareAShortcut) {
  auto editor = Open();
  std::map<QString, QString> taken;
  for (QAction* action : editor->findChildren<QAction*>()) {
    if (action->shortcut().isEmpty()) continue;
    const QString key = action->shortcut().toString();
    const auto [at, fresh] = taken.emplace(key, action->objectName());
    EXPECT_TRUE(fresh) << key.toStdString() << ": " << at->second.toStdString() << " and "
                       << action->objectName().toStdString();
  }
  EXPECT_GE(taken.size(), 40u);
}

}  // namespace
}  // namespace tavrel::gui
