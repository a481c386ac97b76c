#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

class QLabel;
class QPushButton;

#include "page/page_record.h"

namespace tavrel::gui {

// The about box: a teletext logo, the product title with its shadow, the family's title line
// and the version line, in a white body inside a blue frame. Any key closes it.
class TPAboutDlg : public QDialog {
 public:
  explicit TPAboutDlg(QWidget* parent = nullptr);

  void SetProductTitle(const QString& title);
  QString VersionLine() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* logo_;
  QLabel* title_;
  QLabel* shadow_;
  QLabel* titleLine_;
  QLabel* versionLabel_;
  QPushButton* closeButton_;
};

// Writes the logo's cells (four rows of 13) into a page from the given row and column on.
void PutTeletextLogo(TPrestPage& page, int firstRow, int firstColumn);

// The logo, drawn by our own teletext renderer with the program's teletext fonts (plain cell
// colours when they are not loaded).
QImage TeletextLogo();

// The date of the program file in the user's short date format (the C library's %x).
QString ProgramFileDateText();

}  // namespace tavrel::gui
