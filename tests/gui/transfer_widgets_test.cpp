// The "File Transfer" dialog and the FTP settings frame without a server.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "dialog_answer.h"
#include "support/language_texts.h"
#include "transfer/file_progress_dlg.h"
#include "transfer/ftp_edit_frame.h"

namespace tavrel::gui {
namespace {

using testing::AnswerNextModal;

QString LabelText(const QWidget& parent, const char* name) {
  const auto* label = parent.findChild<QLabel*>(name);
  return label != nullptr ? label->text() : QString("<missing %1>").arg(name);
}

TEST(FileProgressDlgTest, RunningAndFinishedStates) {
  TPFileProgressDlg dialog;
  int cancels = 0;
  dialog.SetCancelHandler([&cancels] { ++cancels; });
  dialog.SetHost("127.0.0.1");
  dialog.SetFileName("update.zip");
  dialog.SetTotal(3000);
  dialog.SetProgress(1501);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "File Transfer");
  EXPECT_EQ(dialog.findChild<QGroupBox*>("HostGroup")->title(), "FTP Host: 127.0.0.1");
  EXPECT_EQ(LabelText(dialog, "DirectionLabel"), "Upload File");
  EXPECT_EQ(LabelText(dialog, "ProcessedCaption"), "Bytes Transmitted:");
  EXPECT_EQ(LabelText(dialog, "TotalLabel"), "3000");
  EXPECT_EQ(LabelText(dialog, "ProcessedLabel"), "1501");
  EXPECT_TRUE(dialog.findChild<QLabel*>("ProcessedLabel")->alignment() & Qt::AlignRight);
  const auto* bar = dialog.findChild<QProgressBar*>("ProgressBar");
  EXPECT_EQ(bar->maximum(), 1000);
  EXPECT_EQ(bar->value(), 500);
  EXPECT_EQ(LabelText(dialog, "StatusLabel"), "File transfer in progress");
  EXPECT_EQ(dialog.Button()->text(), "Cancel");

  dialog.Button()->click();
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  // Finished: the button only closes, with OK.
  TPFileProgressDlg finished;
  finished.SetCancelHandler([&cancels] { ++cancels; });
  finished.SetTotal(0);
  finished.SetProgress(700);
  finished.show();
  EXPECT_EQ(finished.findChild<QProgressBar*>("ProgressBar")->value(), 0);
  EXPECT_EQ(LabelText(finished, "ProcessedLabel"), "700");
  finished.SetFinished();
  EXPECT_EQ(finished.Button()->text(), "OK");
  EXPECT_EQ(LabelText(finished, "StatusLabel"), "File transfer completed");
  finished.Button()->click();
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(finished.result(), QDialog::Accepted);
}

TEST(FtpEditFrameTest, ControlsInTabOrderWithTheirTexts) {
  struct Language {
    UiLanguage language;
    const char* name;
    const char* test;
  };
  for (const Language& l : {Language{UiLanguage::Dutch, "Naam", "Test verbinding"},
                            Language{UiLanguage::English, "Name", "Test connection"}}) {
    SCOPED_TRACE(l.name);
    SetLanguage(l.language, l.language);
    const TPFtpEditFrame frame;
    EXPECT_EQ(LabelText(frame, "NameLabel").toStdString(), l.name);
    EXPECT_EQ(frame.findChild<QPushButton*>("TestButton")->text().toStdString(), l.test);
  }
  TPFtpEditFrame frame;
  EXPECT_EQ(frame.findChild<QGroupBox*>("FtpGroup")->title(), "Varnex (FTP)");
  EXPECT_EQ(frame.findChild<QLineEdit*>("PortEdit")->text(), "21");
  EXPECT_EQ(frame.findChild<QLineEdit*>("ProxiEdit")->maxLength(), 32);
  const char* order[] = {"NameEdit",    "HostEdit",     "UserIdEdit",    "PasswordEdit",
                         "PortEdit",    "PassiveCheck", "UseProxiCheck", "ProxiEdit",
                         "UseTlsCheck", "FileNameEdit", "TestButton"};
  QWidget* widget = frame.findChild<QWidget*>(order[0]);
  for (std::size_t i = 1; i < std::size(order); ++i) {
    SCOPED_TRACE(order[i]);
    // Labels sit in the chain too but never take the focus.
    do {
      widget = widget->nextInFocusChain();
    } while (widget != nullptr && !(widget->focusPolicy() & Qt::TabFocus));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName().toStdString(), order[i]);
  }
  frame.SetCaption("Varnex");
  EXPECT_EQ(frame.findChild<QGroupBox*>("FtpGroup")->title(), "Varnex");
}

TEST(FtpEditFrameTest, LoadReadAndValidate) {
  TMediaServer server;
  server.ServerName = "Varnex";
  server.FTPHost = "ftp.example.org";
  server.FTPUser = "tavrel";
  server.FTPPassword = "secret";
  server.FTPPort = 2121;
  server.FTPPassive = true;
  server.FTPProxi = " proxy ";
  server.Reserved3 = "kept";
  server.FTPUseTLS = true;
  server.FTPCAFile = TAVREL_TEST_DATA_DIR "/pipeline/default_settings.ini";  // any existing file
  TPFtpEditFrame frame;
  frame.Load(server);
  auto* port = frame.findChild<QLineEdit*>("PortEdit");
  EXPECT_EQ(port->text(), "2121");
  EXPECT_TRUE(frame.findChild<QCheckBox*>("PassiveCheck")->isChecked());
  // TLS: the check box and the CA file selector show the record and go back into it.
  EXPECT_TRUE(frame.findChild<QCheckBox*>("UseTlsCheck")->isChecked());
  EXPECT_EQ(frame.findChild<QLineEdit*>("FileNameEdit")->text().toStdString(), server.FTPCAFile);
  EXPECT_TRUE(frame.findChild<QWidget*>("CaFileFrame")->isEnabled());
  frame.findChild<QCheckBox*>("UseTlsCheck")->setChecked(false);
  EXPECT_FALSE(frame.findChild<QWidget*>("CaFileFrame")->isEnabled());
  EXPECT_FALSE(frame.Read().FTPUseTLS);
  frame.findChild<QCheckBox*>("UseTlsCheck")->setChecked(true);
  EXPECT_EQ(frame.Read().FTPCAFile, server.FTPCAFile);

  // Read takes the port untrimmed: a trailing blank reads as 21. Validate trims it first.
  port->setText("2121 ");
  EXPECT_EQ(frame.Read().FTPPort, 21);
  EXPECT_TRUE(frame.Validate());
  EXPECT_EQ(port->text(), "2121");
  TMediaServer saved;
  frame.Save(saved);
  EXPECT_EQ(saved.FTPPort, 2121);
  EXPECT_EQ(saved.FTPProxi, " proxy ");
  EXPECT_EQ(saved.Reserved3, "kept");

  struct Case {
    const char* edit;
    const char* text;
    const char* message;
  };
  const Case failures[] = {
      {"HostEdit", "  ", "FTP Host niet ingevuld."},
      {"UserIdEdit", "   ", "FTP User ID niet ingevuld."},
      {"PortEdit", "70000", "Wrong FTP Port number, must be between 1 and 65535"},
      {"UserIdEdit", "tav/rel",
       "The FTP UserID may not contain any of the following characters or spaces:"},
      {"FileNameEdit", "/no/such/ca.pem", "File not found."},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.edit);
    frame.Load(server);
    auto* edit = frame.findChild<QLineEdit*>(c.edit);
    edit->setText(c.text);
    QString shown;
    AnswerNextModal([&shown](QWidget* box) {
      for (const QLabel* label : box->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) shown += label->text();
      }
      box->findChild<QPushButton*>()->click();
    });
    EXPECT_FALSE(frame.Validate());
    // The box wraps long lines, and the user ID message's carriage return starts a new line.
    EXPECT_TRUE(QString(shown).replace('\n', ' ').startsWith(c.message)) << shown.toStdString();
    EXPECT_FALSE(shown.contains('\r')) << shown.toStdString();
    EXPECT_EQ(frame.focusWidget(), edit);
  }
}

}  // namespace
}  // namespace tavrel::gui
