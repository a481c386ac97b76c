#pragma once

#include <QString>

#include "support/qor_button_dlg.h"

class QTextEdit;

namespace tavrel::gui {

// A read-only viewer for a rich-text or plain text file, with one Close button.
class TPViewTextDlg : public TQorButtonDlg {
 public:
  static constexpr int kClientWidth = 589;
  static constexpr int kClientHeight = 588;
  static constexpr int kTabStopPixels = 130;

  explicit TPViewTextDlg(QWidget* parent = nullptr);

  // Loads the file into the viewer: RTF shown formatted, anything else as plain text. Throws
  // tavrel::Error naming the file when it cannot be read.
  void LoadTextFile(const QString& path);
  const QString& FileName() const { return fileName_; }
  QTextEdit* Editor() const { return editor_; }

 private:
  QTextEdit* editor_;
  QString fileName_;
};

// The viewer of the program's help text: smaller, with a vertical scroll bar always there.
class TRIHelpDlg : public TPViewTextDlg {
 public:
  static constexpr int kClientWidth = 578;
  static constexpr int kClientHeight = 500;
  static constexpr const char* kHelpFileName = "Help.rtf";

  explicit TRIHelpDlg(QWidget* parent = nullptr);
};

// The help command: the help dialog, captioned "Tavrel Help", showing Help.rtf from the given
// folder. A missing or broken file gives an error box naming it instead.
void ShowHelpSubjects(const QString& programFolder, QWidget* parent);

}  // namespace tavrel::gui
