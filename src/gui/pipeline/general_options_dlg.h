#pragma once

#include <string>

#include "pipeline/general_options.h"
#include "support/qor_button_dlg.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

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
// changes only the feed source, the server record, the scan interval, the start switch and
// UseFastext; every other field comes back as it went in.
class TRIGeneralOptionsDlg : public TQorButtonDlg {
 public:
  TRIGeneralOptionsDlg(TGeneralOptions options, std::string programDir, QWidget* parent = nullptr);

  // The options as handed in until OK passes the checks, then as confirmed.
  const TGeneralOptions& Options() const { return options_; }

 protected:
  // Reads the controls, then closes only when the feed file check of ValidateGeneralOptions
  // passes ("File not found.", the focus on the file selector) and after it the FTP settings
  // frame validates (showing its own messages and focusing its edit).
  void accept() override;

 private:
  void ShowOptions();
  TGeneralOptions ReadOptions() const;
  // "File" enables the file selector, "Web" the address edit.
  void UpdateSource();

  TGeneralOptions options_;
  std::string programDir_;

  TRadioGroup* sourceGroup_;
  TPSelectFileFrame* fileFrame_;
  QLineEdit* urlEdit_;
  QSpinBox* scanInterval_;
  QCheckBox* startScan_;
  TPFtpEditFrame* ftpFrame_;
  QCheckBox* useFastext_;
};

}  // namespace tavrel::gui
