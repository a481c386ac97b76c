#include "app/main_form.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>
#include <utility>

#include "support/about_dlg.h"
#include "support/language_texts.h"
#include "support/view_text_dlg.h"

namespace tavrel::gui {

TRIMainForm::TRIMainForm(QString programFolder, QWidget* parent)
    : QMainWindow(parent), programFolder_(std::move(programFolder)) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  setObjectName("RIMainForm");
  setWindowTitle("Tavrel");

  QMenu* fileMenu = menuBar()->addMenu("&File");
  QAction* exit = fileMenu->addAction("Exit", this, &QWidget::close);
  exit->setObjectName("ExitMenuItem");
  QMenu* helpMenu = menuBar()->addMenu("&Help");
  QAction* help = helpMenu->addAction("Help subjects", this, [this] { HelpSubjectsMenuItemClick(); });
  help->setObjectName("HelpSubjectsMenuItem");
  QAction* about = helpMenu->addAction("About", this, [this] { AboutMenuItemClick(); });
  about->setObjectName("AboutMenuItem");

  auto* panel = new QWidget;
  panel->setObjectName("TestPanel");
  panel->setAutoFillBackground(true);
  QPalette black = panel->palette();
  black.setColor(QPalette::Window, Qt::black);
  panel->setPalette(black);
  // The size the preview of a teletext page with its frame will take.
  panel->setFixedSize(508, 420);
  setCentralWidget(panel);
}

void TRIMainForm::HelpSubjectsMenuItemClick() { ShowHelpSubjects(programFolder_, this); }

void TRIMainForm::AboutMenuItemClick() {
  TPAboutDlg dialog(this);
  dialog.SetProductTitle("Tavrel");
  dialog.exec();
}

}  // namespace tavrel::gui
