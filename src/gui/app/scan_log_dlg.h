#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace tavrel::gui {

// The scan's log of this session: one line per status, "<time stamp> <status>", newest first,
// as `tavrel scan` prints them. The operator can select and copy any part, or copy it all.
// It stays open beside the main window and takes new lines as they come.
class TScanLogDlg : public QDialog {
 public:
  explicit TScanLogDlg(QWidget* parent = nullptr);

  // Replaces the lines (Windows-1252, newest first).
  void SetLines(const std::vector<std::string>& lines);
  // Puts a new line on top.
  void AddNewestLine(const std::string& line);
  // The text as shown, lines joined by "\n".
  QString Text() const;

 private:
  QPlainTextEdit* text_;
};

}  // namespace tavrel::gui
