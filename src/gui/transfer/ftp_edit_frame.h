#pragma once

#include <QMetaType>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "support/background_call.h"
#include "transfer/ftp_validation.h"
#include "transfer/media_server.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavrel::gui {

class TPSelectFileFrame;

// What a Test connection run found, handed from the worker to the window's thread.
struct TFtpTestResult {
  bool Connected = false;
  bool FolderFound = false;
  // Messages the FTP client reported on the way, in order.
  std::vector<std::string> Errors;
  // The text of an exception that ended the test, or empty.
  std::string Exception;
  bool Ok() const { return Connected && FolderFound && Exception.empty(); }
};

// The embeddable frame that edits one transmission server's FTP account: name, host, user ID,
// password, port, passive mode, proxy, TLS with its CA file, and a "Test connection" button. Every
// check is the core's; the frame gathers the edits and shows the answers. The test connects on a
// worker thread, so the window keeps working even when the server never answers.
class TPFtpEditFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TPFtpEditFrame(QWidget* parent = nullptr);
  ~TPFtpEditFrame() override;

  // Copies the record in and fills the controls: texts as stored, the port in decimal.
  void Load(const TMediaServer& server);
  // Copies the controls into the frame's record (see FtpFrameRecord) and answers it.
  const TMediaServer& Read();
  // Read, then copy the frame's record into server.
  void Save(TMediaServer& server);
  const TMediaServer& Server() const { return server_; }

  void SetCaption(const QString& caption);
  QString Caption() const;
  // Enables or disables the frame together with its group box.
  void SetFrameEnabled(bool enabled);
  // The remote folder the Test button looks for (the options dialog sets TransferDir).
  void SetTestFolder(const std::string& folder) { testFolder_ = folder; }
  const std::string& TestFolder() const { return testFolder_; }

  // The checks of the dialog's OK button: required fields, port range, user ID. A failure shows
  // its message in an error box, focuses the edit concerned and answers false; success reads
  // the controls into the record.
  bool Validate();

  // The Test connection button: checks the user ID, then connects and looks for the test folder
  // on a worker; the button stays disabled and the cursor busy until the answer is shown.
  void TestConnection();
  bool TestRunning() const { return testRunning_; }

  // The controls as typed.
  TFtpFrameTexts Texts() const;

 signals:
  // A test has ended and its messages have been shown.
  void TestFinished(const tavrel::gui::TFtpTestResult& result);

 private:
  void ShowTexts(const TFtpFrameTexts& texts);
  void FinishTest(const TFtpTestResult& result);
  QLineEdit* FieldEdit(TFtpField field) const;

  TMediaServer server_;
  std::string testFolder_;
  QString caption_;
  bool testRunning_ = false;
  // The running test; when the frame goes, the test is stopped and waited for, its answer dropped.
  TBackgroundCall testCall_;

  QGroupBox* group_;
  QLabel* nameLabel_;
  QLineEdit* nameEdit_;
  QLineEdit* hostEdit_;
  QLineEdit* userIdEdit_;
  QLineEdit* passwordEdit_;
  QLineEdit* portEdit_;
  QCheckBox* passiveCheck_;
  QCheckBox* useProxiCheck_;
  QLineEdit* proxiEdit_;
  QCheckBox* useTlsCheck_;
  // The PEM file of the authority that signed the server's certificate; empty: the system's.
  TPSelectFileFrame* caFileFrame_;
  QPushButton* testButton_;
};

}  // namespace tavrel::gui

Q_DECLARE_METATYPE(tavrel::gui::TFtpTestResult)
