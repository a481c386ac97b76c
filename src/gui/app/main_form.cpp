#include "app/main_form.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>
#include <string_view>
#include <utility>

#include "page/page_record.h"
#include "render/page_preview.h"
#include "render/teletext_fonts.h"
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
  QAction* help =
      helpMenu->addAction("Help subjects", this, [this] { HelpSubjectsMenuItemClick(); });
  help->setObjectName("HelpSubjectsMenuItem");
  QAction* about = helpMenu->addAction("About", this, [this] { AboutMenuItemClick(); });
  about->setObjectName("AboutMenuItem");

  // The preview panel shows a welcome page, drawn as every teletext page is, until there are
  // generated pages to show.
  auto* panel = new QLabel;
  panel->setObjectName("TestPanel");
  panel->setAutoFillBackground(true);
  QPalette black = panel->palette();
  black.setColor(QPalette::Window, Qt::black);
  panel->setPalette(black);
  panel->setAlignment(Qt::AlignCenter);
  panel->setContentsMargins(8, 8, 8, 8);
  panel->setPixmap(QPixmap::fromImage(WelcomePage()));
  setCentralWidget(panel);
}

QImage WelcomePage() {
  TPrestPage page = TPrestPage::Blank(kCharSetEnglish);
  page.FrameColor = 4;
  PutTeletextLogo(page, 2, 13);
  const auto put = [&page](int row, int column, std::string_view text) {
    for (std::size_t i = 0; i < text.size() && column + static_cast<int>(i) < kPageColumns; ++i) {
      page.Cell(row, column + static_cast<int>(i)) = static_cast<std::uint8_t>(text[i]);
    }
  };
  // Cell bytes below 0x20 are colour attributes: 0x03 yellow, 0x06 cyan, 0x07 white.
  put(9, 2,
      "\x06"
      "Teletext pages from your news feed");
  put(12, 2,
      "\x07"
      "Help \x03"
      ">\x07"
      "Help subjects\x06"
      "explains");
  put(13, 2,
      "\x06"
      "the commands, the scan states and");
  put(14, 2,
      "\x06"
      "the settings.");
  const TRgbaImage image = RenderPagePreview(page, FontSet(kFontSize1216));
  return QImage(image.Bytes(), image.Width(), image.Height(), image.Width() * 4,
                QImage::Format_RGBA8888)
      .copy();
}

void TRIMainForm::HelpSubjectsMenuItemClick() { ShowHelpSubjects(programFolder_, this); }

void TRIMainForm::AboutMenuItemClick() {
  TPAboutDlg dialog(this);
  dialog.SetProductTitle("Tavrel");
  dialog.exec();
}

}  // namespace tavrel::gui
