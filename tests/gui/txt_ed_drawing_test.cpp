// The editor window's mouse: resizing the text block frame, drawing mosaics, block-text mode.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "dialog_answer.h"
#include "editor/mosaic_tools.h"
#include "editor/txt_ed.h"
#include "render/teletext_fonts.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"

namespace tavrel::gui {
namespace {

class TxtEdDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLanguage(UiLanguage::English, UiLanguage::English);
    LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR "/");
  }
  std::unique_ptr<TTxtEd> Open(const TPrestPage& page, const TTextBlock& block) {
    auto editor = std::make_unique<TTxtEd>(TAVREL_BINARY_DIR);
    editor->Editor().FrameDisplay = true;
    editor->SetPage(page, block);
    editor->show();
    QApplication::setActiveWindow(editor.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    return editor;
  }
  // Mouse events as the window system sends them, with the buttons held during moves.
  static void Send(TTxtEd& editor, QEvent::Type type, QPoint at, Qt::MouseButton button,
                   Qt::MouseButtons held) {
    QMouseEvent event(type, at, editor.Canvas()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(editor.Canvas(), &event);
  }
  static void Drag(TTxtEd& editor, QPoint from, QPoint to) {
    Send(editor, QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
    Send(editor, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    for (int i = 1; i <= steps; ++i) {
      Send(editor, QEvent::MouseMove, from + (to - from) * i / steps, Qt::NoButton, Qt::LeftButton);
    }
    Send(editor, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  }
};

QPoint CellCorner(int column, int row) {
  return {kEditorPageLeft + column * kEditorCellWidth,
          kEditorPageTop + (row - 1) * kEditorCellHeight};
}

TEST_F(TxtEdDrawingTest, ResizesTheFrameEdgeByEdge) {
  auto editor = Open(TPrestPage::Blank(), {4, 6, 20, 15});
  struct {
    const char* Name;
    QPoint From, To;
    TTextBlock Expected;
  } const cases[] = {
      {"right edge out",
       CellCorner(21, 10) + QPoint(1, 0),
       CellCorner(25, 10) + QPoint(1, 0),
       {4, 6, 24, 15}},
      {"left edge in",
       CellCorner(4, 10) + QPoint(1, 0),
       CellCorner(7, 10) + QPoint(1, 0),
       {7, 6, 24, 15}},
      {"top edge up",
       CellCorner(12, 6) + QPoint(0, 1),
       CellCorner(12, 3) + QPoint(0, 1),
       {7, 3, 24, 15}},
      {"bottom edge down past row 23 stops there",
       CellCorner(12, 16) + QPoint(0, 1),
       CellCorner(12, 30),
       {7, 3, 24, 23}},
      {"right edge in to two cells stays three",
       CellCorner(25, 10) + QPoint(1, 0),
       CellCorner(8, 10),
       {7, 3, 9, 23}},
      {"a corner drags nothing", CellCorner(10, 24), CellCorner(14, 20), {7, 3, 9, 23}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Drag(*editor, c.From, c.To);
    EXPECT_EQ(editor->Editor().TextBlock, c.Expected);
  }
  EXPECT_EQ(editor->Canvas()->cursor().shape(), Qt::ArrowCursor);
  Send(*editor, QEvent::MouseMove, CellCorner(10, 12), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(editor->Canvas()->cursor().shape(), Qt::SizeHorCursor);
  editor->findChild<QAction*>("MnuClose")->trigger();
  EXPECT_EQ(editor->result(), QDialog::Accepted);  // the text block changed
}

TEST_F(TxtEdDrawingTest, DrawsARectangleAndUndoesIt) {
  TPrestPage page = TPrestPage::Blank();
  for (int row = 1; row < kPageRows; ++row) page.Cell(row, 2) = 0x16;  // graphics cyan
  auto editor = Open(page, {4, 6, 39, 22});
  editor->Editor().FrameDisplay = false;
  editor->findChild<QToolButton*>("BtnModeDrawRectangle")->click();
  EXPECT_EQ(editor->Editor().Mode(), EditMode::DrawRectangle);
  const TEditGrid before = editor->Editor().State.Grid;
  // From pixel (10, 6) to pixel (30, 20).
  const QPoint from(kEditorPageLeft + 2 + 10 * 6 + 3, kEditorPageTop + 2 * 16 + 2);
  const QPoint to(kEditorPageLeft + 2 + 30 * 6 + 3, kEditorPageTop + 6 * 16 + 2 * 5 + 2);
  Drag(*editor, from, to);
  TEditGrid expected = before;
  DrawRectangle(10, 6, 30, 20, [&](int px, int py) { Plot(expected, 0, px, py, TPlotMode::Set); });
  EXPECT_NE(expected, before);
  EXPECT_EQ(editor->Editor().State.Grid, expected);
  editor->findChild<QAction*>("MnuUndo")->trigger();
  EXPECT_EQ(editor->Editor().State.Grid, before);
}

TEST_F(TxtEdDrawingTest, BlockTextModeAsksEditsAndWritesBack) {
  TPrestPage page = TPrestPage::Blank();
  page.CharSet = 8;
  const std::string text =
      "Gr\x7D\x7E"
      "e";  // "Grüße" in the German set
  for (std::size_t i = 0; i < text.size(); ++i) page.Cell(6, 4 + static_cast<int>(i)) = text[i];
  page.Cell(7, 4) = 0x03;   // alpha yellow: allowed
  page.Cell(8, 10) = 0x08;  // flash: asks
  auto editor = Open(page, {4, 6, 15, 9});
  QString question;
  testing::AnswerNextModal([&](QWidget* box) {
    question = box->findChild<QLabel*>("Message")->text();
    box->findChild<QPushButton*>(MessageButtonObjectName(TMsgDlgBtn::No))->click();
  });
  editor->findChild<QAction*>("MnuModeBlockText")->trigger();
  EXPECT_TRUE(question.startsWith("There are attributes within the textblock!"));
  EXPECT_EQ(editor->Editor().Mode(), EditMode::PrestelText);

  testing::AnswerNextModal([](QWidget* box) {
    box->findChild<QPushButton*>(MessageButtonObjectName(TMsgDlgBtn::Yes))->click();
  });
  editor->findChild<QAction*>("MnuModeBlockText")->trigger();
  ASSERT_EQ(editor->Editor().Mode(), EditMode::BlockText);
  TBlockTextField* field = editor->BlockTextField();
  ASSERT_TRUE(field->isVisible());
  EXPECT_EQ(field->geometry(), QRect(CellCorner(4, 6), QSize(12 * 12, 4 * 16)));
  // A row with nothing but a colour code comes in empty; the flash code reads as a space.
  EXPECT_EQ(field->toPlainText().toLatin1().toStdString(), text + "\n\n\n");
  EXPECT_FALSE(editor->findChild<QAction*>("MnuUndo")->isEnabled());
  EXPECT_EQ(editor->Editor().Caret().Kind, TCaretKind::None);  // the field has the caret
  // Type on the first line, then a colour button inserts its code at the caret.
  QTest::keyClicks(field, "Hi ");
  editor->findChild<QToolButton*>("BtnAlfaGreen")->click();
  EXPECT_TRUE(editor->findChild<QAction*>("MnuUndo")->isEnabled());
  editor->findChild<QAction*>("MnuModePrestelText")->trigger();
  EXPECT_FALSE(field->isVisible());
  std::string row6;
  for (int c = 4; c < 13; ++c) row6 += static_cast<char>(editor->Editor().State.Grid.At(6, c));
  EXPECT_EQ(row6, "Hi \x02" + text);
  EXPECT_EQ(editor->Editor().State.Grid.At(7, 4), 0x03);
  // Spaces never overwrite the colour, flash and steady codes.
  EXPECT_EQ(editor->Editor().State.Grid.At(8, 10), 0x08);

  // Closed in block-text mode, the page remembers it.
  testing::AnswerNextModal([](QWidget* box) {
    box->findChild<QPushButton*>(MessageButtonObjectName(TMsgDlgBtn::Yes))->click();
  });
  editor->findChild<QAction*>("MnuModeBlockText")->trigger();
  EXPECT_TRUE(field->isVisible());
  editor->findChild<QAction*>("MnuClose")->trigger();
  EXPECT_TRUE(editor->Editor().BlockTextFlag);
}

}  // namespace
}  // namespace tavrel::gui
