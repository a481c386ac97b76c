#pragma once

#include <QImage>
#include <QMainWindow>
#include <QString>

class QAction;

namespace tavrel::gui {

// The main window as far as it goes today: the caption, the menus with help and about, and an
// empty preview panel. Creating it selects English for the shared texts, before any other
// window exists.
class TRIMainForm : public QMainWindow {
 public:
  // programFolder holds the program's own files (Help.rtf).
  explicit TRIMainForm(QString programFolder, QWidget* parent = nullptr);

  void HelpSubjectsMenuItemClick();
  void AboutMenuItemClick();

 private:
  QString programFolder_;
};

// The page the preview shows before any page is generated: the logo and a pointer to the help.
QImage WelcomePage();

}  // namespace tavrel::gui
