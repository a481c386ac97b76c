#pragma once

#include <string>

#include "pipeline/general_options.h"
#include "support/qor_button_dlg.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace tavrel::gui {

class TPFtpEditFrame;
class TPSelectFileFrame;
class TRadioGroup;

// "General Options": the feed source, the transmission server, the scan and fastext. It edits
// its own copy of the options and hands it back through Options() once OK has passed the
// checks:
//
//   TRIGeneralOptionsDlg dialog(globals.GeneralOptions(), globals.ProgramDir, this);
//   if (dialog.exec() == QDialog::Accepted) {
//     globals.SetGeneralOptions(dialog.Options());
//     globals.SaveSettings();
//   }
//
// programDir is where a relative feed path is looked up, as the scan looks it up. The dialog
// changes only the feed source, the target (Target, TargetFolder), the server record (only
// while the server is the target), the scan interval, the start switch and UseFastext; every
// other field comes back as it went in.
class TRIGeneralOptionsDlg : public TQorButtonDlg {
 public:
  TRIGeneralOptionsDlg(TGeneralOptions options, std::string programDir, QWidget* parent = nullptr);

  // The options as handed in until OK passes the checks, then as confirmed.
  const TGeneralOptions& Options() const { return options_; }

 protected:
  // Reads the controls, then closes only when the checks of ValidateGeneralOptions pass (the
  // message shown, the focus on the control it names) and after them, with the server chosen,
  // the FTP settings frame validates (showing its own messages and focusing its edit).
  void accept() override;

 private:
  void ShowOptions();
  TGeneralOptions ReadOptions() const;
  // "File" enables the file selector, "Web" the address edit.
  void UpdateSource();
  // The server enables the FTP frame, the page folder its folder selector; the frame keeps
  // its values while it is disabled.
  void UpdateTarget();
  void BrowseTargetFolder();

  TGeneralOptions options_;
  std::string programDir_;

  TRadioGroup* sourceGroup_;
  TPSelectFileFrame* fileFrame_;
  QLineEdit* urlEdit_;
  QSpinBox* scanInterval_;
  QCheckBox* startScan_;
  TRadioGroup* targetGroup_;
  QLineEdit* targetFolderEdit_;
  QToolButton* targetFolderBrowse_;
  TPFtpEditFrame* ftpFrame_;
  QCheckBox* useFastext_;
};

}  // namespace tavrel::gui
