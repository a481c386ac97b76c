#include "support/lang_message_dlg.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <utility>
#include <vector>

#include "dialog_answer.h"
#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

using testing::AnswerNextModal;

class LangMessageDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLanguage(UiLanguage::English, UiLanguage::English); }
  void TearDown() override { SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch); }
};

TEST_F(LangMessageDlgTest, EscapeAndTheCloseButtonAnswerAsTheButtonsSay) {
  const TMsgDlgButtons yesNo = ButtonBit(TMsgDlgBtn::Yes) | ButtonBit(TMsgDlgBtn::No);
  const TMsgDlgButtons abortRetry = ButtonBit(TMsgDlgBtn::Abort) | ButtonBit(TMsgDlgBtn::Retry);
  enum class Action { Escape, CloseButton, EscapeThenCloseButton };
  struct Case {
    const char* Name;
    TMsgDlgButtons Buttons;
    Action Do;
    TModalResult Expected;
  };
  const Case cases[] = {
      {"OK alone, Escape", kButtonsOk, Action::Escape, TModalResult::OK},
      {"Yes No Cancel, Escape", kButtonsYesNoCancel, Action::Escape, TModalResult::Cancel},
      {"Yes No, Escape", yesNo, Action::Escape, TModalResult::No},
      {"Yes No Cancel, close button", kButtonsYesNoCancel, Action::CloseButton,
       TModalResult::Cancel},
      {"OK alone, close button", kButtonsOk, Action::CloseButton, TModalResult::Cancel},
      // Escape does nothing here, so the box is still open for the close button.
      {"Abort Retry, Escape then close button", abortRetry, Action::EscapeThenCloseButton,
       TModalResult::Cancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    bool openAfterEscape = false;
    AnswerNextModal([&](QWidget* box) {
      if (c.Do != Action::CloseButton) QTest::keyClick(box, Qt::Key_Escape);
      openAfterEscape = box->isVisible();
      if (c.Do != Action::Escape) box->close();
    });
    EXPECT_EQ(LangMessageDlg("File x was modified.", TMsgDlgType::Warning, c.Buttons), c.Expected);
    EXPECT_EQ(openAfterEscape, c.Do != Action::Escape);
  }
}

TEST_F(LangMessageDlgTest, SavePromptShowsEnglishCaptionsAndTheCoreLayout) {
  const QString text = "File C:/a.tpg was modified. Do you want to save it first?";
  TLangMessageDialog box(text, TMsgDlgType::Warning, kButtonsYesNoCancel, 7, -1, -1);
  EXPECT_EQ(box.windowTitle(), "Warning");
  EXPECT_EQ(box.HelpContext(), 7);
  const QStringList names = {"Yes", "No", "Cancel"};
  QList<QPushButton*> buttons;
  for (const QString& name : names) {
    auto* button = box.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name.toStdString();
    EXPECT_EQ(button->text(), name);
    buttons << button;
  }
  EXPECT_TRUE(buttons[0]->isDefault());
  EXPECT_EQ(box.findChild<QPushButton*>("OK"), nullptr);

  // The widgets sit where the core's layout puts them for the measured text and icon.
  auto* message = box.findChild<QLabel*>("Message");
  auto* image = box.findChild<QLabel*>("Image");
  ASSERT_NE(message, nullptr);
  ASSERT_NE(image, nullptr);
  const QRect textBounds = QFontMetrics(DialogFont())
                               .boundingRect(QRect(0, 0, box.screen()->geometry().width() / 2, 0),
                                             Qt::AlignLeft | Qt::TextWordWrap, text);
  const TMessageBoxLayout layout =
      LayoutMessageBox({textBounds.width(), textBounds.height()},
                       {image->pixmap().width(), image->pixmap().height()}, 3);
  EXPECT_EQ(box.size(), QSize(layout.Client.Width, layout.Client.Height));
  EXPECT_EQ(message->geometry(),
            QRect(layout.Text.Left, layout.Text.Top, layout.Text.Width, layout.Text.Height));
  EXPECT_EQ(image->geometry().topLeft(), QPoint(10, layout.Icon.Top));
  for (int i = 0; i < 3; ++i) {
    const TRect& r = layout.Buttons[static_cast<std::size_t>(i)];
    EXPECT_EQ(buttons[i]->geometry(), QRect(r.Left, r.Top, 73, 25)) << i;
  }
}

// A bare CR (the FTP user ID message writes one) and a CR LF start new lines; they are not
// drawn as one long line.
TEST_F(LangMessageDlgTest, CarriageReturnsBreakLines) {
  const QFontMetrics metrics(DialogFont());
  struct Case {
    QString Text;
    QString LastLines;  // the label's text ends with them
    int LineCount;      // at least
  };
  const std::vector<Case> cases = {
      {"The FTP UserID may not contain any of the following characters or spaces:\r\\/:*?\"<>|",
       "spaces:\n\\/:*?\"<>|", 2},
      {"first\r\nsecond\nthird", "first\nsecond\nthird", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text.toStdString());
    TLangMessageDialog box(c.Text, TMsgDlgType::Warning, kButtonsOk, 0, -1, -1);
    auto* message = box.findChild<QLabel*>("Message");
    EXPECT_TRUE(message->text().endsWith(c.LastLines)) << message->text().toStdString();
    EXPECT_FALSE(message->text().contains('\r'));
    // Screen readers get the message as written, not the lines it was broken into.
    EXPECT_EQ(message->accessibleName(), c.Text);
    EXPECT_GE(message->height(), c.LineCount * metrics.height());
    EXPECT_LT(message->width(), metrics.horizontalAdvance(c.Text));
  }
}

TEST_F(LangMessageDlgTest, CustomKindTakesTheProgramNameAndHasNoIcon) {
  TLangMessageDialog box("File not found.", TMsgDlgType::Custom, kButtonsOk, 0, 20, 30);
  EXPECT_EQ(box.windowTitle(), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
  EXPECT_EQ(box.findChild<QLabel*>("Image"), nullptr);
  EXPECT_EQ(box.pos(), QPoint(30, 20));
  EXPECT_EQ(box.findChild<QLabel*>("Message")->x(), 10);
}

}  // namespace
}  // namespace tavrel::gui
