#pragma once

#include <string>
#include <vector>

#include "support/qor_button_dlg.h"

class QPlainTextEdit;

namespace tavrel::gui {

// "Errors": the problems found before a preview or an upload, one per line, with one "Close"
// button. The lines are the core's Windows-1252 texts.
//
//   TPErrorListDlg dialog(result.Check.Lines, this);
//   dialog.exec();
class TPErrorListDlg : public TQorButtonDlg {
 public:
  explicit TPErrorListDlg(const std::vector<std::string>& lines, QWidget* parent = nullptr);

  QPlainTextEdit* Memo() const { return memo_; }

 private:
  QPlainTextEdit* memo_;
};

}  // namespace tavrel::gui
