#include "transfer/ftp_edit_frame.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <exception>
#include <vector>

#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"
#include "support/select_file_frame.h"
#include "support/windows1252_check.h"
#include "transfer/ftp_client.h"

namespace tavrel::gui {

namespace {

constexpr const char* kDefaultCaption = "Varnex (FTP)";
constexpr int kProxiMaxLength = 32;

QString Text(const QLineEdit* edit) { return edit->text(); }

std::string Replace(std::string_view pattern, const std::string& value) {
  std::string text(pattern);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

void ShowError(const std::string& message) {
  LangMessageDlg(FromWindows1252(message), TMsgDlgType::Error, kButtonsOk);
}

QLineEdit* MakeEdit(const char* name) {
  auto* edit = new QLineEdit;
  edit->setObjectName(name);
  return edit;
}

TFtpTestResult RunTest(const TMediaServer& server, const std::string& folder,
                       const std::stop_token& stop) {
  TFtpTestResult result;
  try {
    const TErrorSink sink = [&result](const std::string& message) {
      result.Errors.push_back(message);
    };
    result.Connected = FtpTestConnection(server, true, sink, stop);
    if (result.Connected) {
      // A connection of its own, as the transfers use.
      result.FolderFound = FtpDirExists(server, folder, true, sink, stop);
    }
  } catch (const std::exception& error) {
    result.Exception = error.what();
  } catch (...) {
    result.Exception = "unknown error";
  }
  return result;
}

}  // namespace

TPFtpEditFrame::TPFtpEditFrame(QWidget* parent) : QWidget(parent), caption_(kDefaultCaption) {
  setObjectName("FtpEditFrame");
  setFont(DialogFont());
  group_ = new QGroupBox(caption_, this);
  group_->setObjectName("FtpGroup");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(group_);

  nameEdit_ = MakeEdit("NameEdit");
  hostEdit_ = MakeEdit("HostEdit");
  userIdEdit_ = MakeEdit("UserIdEdit");
  passwordEdit_ = MakeEdit("PasswordEdit");
  passwordEdit_->setEchoMode(QLineEdit::Password);
  passwordEdit_->setStyleSheet("lineedit-password-character: 42");  // "*"
  portEdit_ = MakeEdit("PortEdit");
  passiveCheck_ = new QCheckBox("Passive mode");
  passiveCheck_->setObjectName("PassiveCheck");
  useProxiCheck_ = new QCheckBox("Use Proxi");
  useProxiCheck_->setObjectName("UseProxiCheck");
  proxiEdit_ = MakeEdit("ProxiEdit");
  proxiEdit_->setMaxLength(kProxiMaxLength);
  useTlsCheck_ = new QCheckBox("Use TLS");
  useTlsCheck_->setObjectName("UseTlsCheck");
  caFileFrame_ = new TPSelectFileFrame;
  caFileFrame_->setObjectName("CaFileFrame");
  caFileFrame_->Filter = "PEM|*.pem *.crt|All|*";
  testButton_ = new QPushButton(FromWindows1252(DialogText(kDialogTestConnection)));
  testButton_->setObjectName("TestButton");
  // Room round the caption in every language ("Prova Anslutning" is the longest).
  testButton_->setMinimumSize(QFontMetrics(DialogFont()).horizontalAdvance("Prova Anslutning") + 24,
                              25);

  auto* grid = new QGridLayout(group_);
  grid->setContentsMargins(10, 8, 10, 10);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(5);
  auto label = [](std::string_view text) { return new QLabel(FromWindows1252(text)); };
  nameLabel_ = label(DialogText(kDialogName));
  nameLabel_->setObjectName("NameLabel");
  int row = 0;
  const std::pair<QLabel*, QLineEdit*> edits[] = {
      {nameLabel_, nameEdit_},
      {label(FtpFieldLabel(TFtpField::Host)), hostEdit_},
      {label(FtpFieldLabel(TFtpField::UserId)), userIdEdit_},
      {label(FtpFieldLabel(TFtpField::Password)), passwordEdit_},
      {label(FtpFieldLabel(TFtpField::Port)), portEdit_},
  };
  for (const auto& [caption, edit] : edits) {
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row++, 1);
  }
  portEdit_->setMaximumWidth(70);
  grid->addWidget(passiveCheck_, row++, 1);
  grid->addWidget(useProxiCheck_, row++, 1);
  QLabel* proxiLabel = label(FtpFieldLabel(TFtpField::Proxi));
  proxiLabel->setBuddy(proxiEdit_);
  grid->addWidget(proxiLabel, row, 0);
  grid->addWidget(proxiEdit_, row++, 1);
  grid->addWidget(useTlsCheck_, row++, 1);
  QLabel* caFileLabel = label(FtpFieldLabel(TFtpField::CAFile));
  caFileLabel->setBuddy(caFileFrame_->Edit());
  grid->addWidget(caFileLabel, row, 0);
  grid->addWidget(caFileFrame_, row++, 1);
  grid->addWidget(testButton_, row++, 1, Qt::AlignRight);
  grid->setColumnStretch(1, 1);

  // The layout parents the controls in its own order; the tab order is the frame's.
  QWidget* const tabOrder[] = {
      nameEdit_,      hostEdit_,  userIdEdit_,  passwordEdit_,        portEdit_,  passiveCheck_,
      useProxiCheck_, proxiEdit_, useTlsCheck_, caFileFrame_->Edit(), testButton_};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
    QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
  }

  // The CA file counts only with TLS: the selector follows the check box.
  connect(useTlsCheck_, &QCheckBox::toggled, caFileFrame_, &TPSelectFileFrame::SetEnabled);
  connect(testButton_, &QPushButton::clicked, this, &TPFtpEditFrame::TestConnection);
  Load(TMediaServer{});
}

TPFtpEditFrame::~TPFtpEditFrame() {
  if (testRunning_) QApplication::restoreOverrideCursor();
}

void TPFtpEditFrame::ShowTexts(const TFtpFrameTexts& texts) {
  nameEdit_->setText(FromWindows1252(texts.Name));
  hostEdit_->setText(FromWindows1252(texts.Host));
  userIdEdit_->setText(FromWindows1252(texts.UserId));
  passwordEdit_->setText(FromWindows1252(texts.Password));
  portEdit_->setText(FromWindows1252(texts.Port));
  passiveCheck_->setChecked(texts.Passive);
  useProxiCheck_->setChecked(texts.UseProxi);
  proxiEdit_->setText(FromWindows1252(texts.Proxi));
  useTlsCheck_->setChecked(texts.UseTLS);
  caFileFrame_->SetEnabled(texts.UseTLS);
  caFileFrame_->SetFileName(QString::fromUtf8(texts.CAFile));
}

TFtpFrameTexts TPFtpEditFrame::Texts() const {
  TFtpFrameTexts texts;
  texts.Name = ToWindows1252(Text(nameEdit_));
  texts.Host = ToWindows1252(Text(hostEdit_));
  texts.UserId = ToWindows1252(Text(userIdEdit_));
  texts.Password = ToWindows1252(Text(passwordEdit_));
  texts.Port = ToWindows1252(Text(portEdit_));
  texts.Passive = passiveCheck_->isChecked();
  texts.UseProxi = useProxiCheck_->isChecked();
  texts.Proxi = ToWindows1252(Text(proxiEdit_));
  texts.UseTLS = useTlsCheck_->isChecked();
  // A path keeps the file system's bytes.
  texts.CAFile = caFileFrame_->Edit()->text().toUtf8().toStdString();
  return texts;
}

void TPFtpEditFrame::Load(const TMediaServer& server) {
  server_ = server;
  ShowTexts(FtpFrameTexts(server));
}

const TMediaServer& TPFtpEditFrame::Read() {
  server_ = FtpFrameRecord(Texts(), server_);
  return server_;
}

void TPFtpEditFrame::Save(TMediaServer& server) { server = Read(); }

void TPFtpEditFrame::SetCaption(const QString& caption) {
  caption_ = caption;
  group_->setTitle(caption);
}

QString TPFtpEditFrame::Caption() const { return caption_; }

void TPFtpEditFrame::SetFrameEnabled(bool enabled) {
  setEnabled(enabled);
  group_->setEnabled(enabled);
}

QLineEdit* TPFtpEditFrame::FieldEdit(TFtpField field) const {
  switch (field) {
    case TFtpField::Name:
      return nameEdit_;
    case TFtpField::Host:
      return hostEdit_;
    case TFtpField::UserId:
      return userIdEdit_;
    case TFtpField::Password:
      return passwordEdit_;
    case TFtpField::Port:
      return portEdit_;
    case TFtpField::Proxi:
      return proxiEdit_;
    case TFtpField::CAFile:
      return caFileFrame_->Edit();
    case TFtpField::None:
      break;
  }
  return nullptr;
}

bool TPFtpEditFrame::Validate() {
  // The fields are kept as the program's Windows-1252 text; a character the code page lacks is
  // refused rather than stored as "?".
  constexpr std::array kTextFields = {TFtpField::Name, TFtpField::Host, TFtpField::UserId,
                                      TFtpField::Password, TFtpField::Proxi};
  std::vector<TTextField> fields;
  for (const TFtpField field : kTextFields) {
    fields.push_back({FtpFieldLabel(field), Utf32Of(FieldEdit(field)->text())});
  }
  if (const TTextFieldsCheck check = CheckWindows1252Fields(fields); !check.Ok) {
    LangMessageDlg(FromUtf8(check.Message), TMsgDlgType::Error, kButtonsOk);
    FieldEdit(kTextFields[check.Field])->setFocus();
    return false;
  }
  TFtpFrameTexts texts = Texts();
  const TFtpCheck check = ValidateFtpFrame(texts);
  // The required-field checks trim the edits they pass, as the operator then sees them.
  ShowTexts(texts);
  if (!check.Ok) {
    ShowError(check.Message);
    if (QLineEdit* edit = FieldEdit(check.Field)) edit->setFocus();
    return false;
  }
  Read();
  return true;
}

void TPFtpEditFrame::TestConnection() {
  if (testRunning_) return;
  const TFtpCheck userId = CheckFtpUserId(ToWindows1252(Text(userIdEdit_)));
  if (!userId.Ok) {
    ShowError(userId.Message);
    return;
  }
  testRunning_ = true;
  testButton_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Read();

  // The worker owns copies of what it uses. A frame that closes while a silent server holds the
  // test stops it and waits the moment the client takes to drop the connection, so no thread
  // outlives the window.
  testCall_.Start(
      this,
      [server = server_, folder = testFolder_](std::stop_token stop) {
        return RunTest(server, folder, stop);
      },
      [this](const TFtpTestResult& result) { FinishTest(result); });
}

void TPFtpEditFrame::FinishTest(const TFtpTestResult& result) {
  testRunning_ = false;
  QApplication::restoreOverrideCursor();
  testButton_->setEnabled(true);
  for (const std::string& message : result.Errors) ShowError(message);
  if (!result.Exception.empty()) {
    ShowError(result.Exception);
  } else if (result.Connected) {
    if (result.FolderFound) {
      // Said when it holds: the test ran with TLS required, so it cannot have fallen back.
      const std::string ok =
          std::string(DialogText(kDialogConnectionOk)) + (server_.FTPUseTLS ? " (TLS)" : "");
      LangMessageDlg(FromWindows1252(ok), TMsgDlgType::Information, kButtonsOk);
    } else {
      ShowError(Replace(DialogText(kDialogConnectionFailedDirectory), testFolder_));
    }
  }
  emit TestFinished(result);
}

}  // namespace tavrel::gui
