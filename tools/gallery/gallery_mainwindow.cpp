// The gallery entries of the main window: after a Preview of the sample workspace, during an
// automatic scan, and with each of its dialogs open over it.
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <filesystem>

#include "app/main_form.h"
#include "app/scan_log_dlg.h"
#include "gallery.h"
#include "pipeline/error_list_dlg.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/general_options_dlg.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/page_list_options_dlg.h"
#include "pipeline/settings_store.h"
#include "pipeline/xml_schema_dlg.h"
#include "render/text_layout.h"
#include "support/about_dlg.h"
#include "support/qor_button_dlg.h"
#include "support/view_text_dlg.h"
#include "transfer/feed_fetch.h"
#include "transfer/file_progress_dlg.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;
namespace fs = std::filesystem;

// A copy of the sample workspace that lives as long as the gallery, with its settings store.
struct TSampleHome {
  TSampleHome() {
    const fs::path sample = (ProgramFolder() + "/../../data/sample").toStdString();
    fs::copy(sample, Folder.path().toStdString(), fs::copy_options::recursive);
    Globals = std::make_unique<TRIGlobals>(Folder.path().toStdString() + "/");
  }
  QTemporaryDir Folder;
  std::unique_ptr<TRIGlobals> Globals;
};

TSampleHome& SampleHome() {
  static TSampleHome home;
  return home;
}

// The window after a Preview of the sample feed, showing its first page.
std::unique_ptr<TRIMainForm> PreviewedWindow() {
  TRIGlobals& globals = *SampleHome().Globals;
  // The pages are generated as an Upload would, so the picture does not depend on the check.
  std::string failure;
  if (!GetXmlFile(FeedLocationOf(globals), &failure)) {
    throw std::runtime_error("sample feed: " + failure);
  }
  TPTextToPrestelPageForm formatter;
  RegenerateExport(globals, formatter);
  auto window = std::make_unique<TRIMainForm>(globals, ProgramFolder());
  window->ReloadControlFile();
  return window;
}

void LetItSettle() {
  for (int i = 0; i < 5; ++i) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(20);
    while (timer.isActive()) QCoreApplication::processEvents();
  }
}

// A picture of the window with a dialog open over it, centred as the dialogs open on it.
std::unique_ptr<QWidget> WithDialog(std::unique_ptr<TRIMainForm> window,
                                    std::unique_ptr<QWidget> dialog) {
  window->show();
  dialog->show();
  LetItSettle();
  const QPixmap back = window->grab();
  const QPixmap front = dialog->grab();
  constexpr int kCaption = 22;
  QPixmap picture(std::max(back.width(), front.width()),
                  std::max(back.height(), front.height() + kCaption));
  picture.fill(QColor(96, 96, 96));
  QPainter painter(&picture);
  painter.drawPixmap(0, 0, back);
  const QPoint corner((picture.width() - front.width()) / 2,
                      std::max(0, (back.height() - front.height() - kCaption) / 2));
  painter.fillRect(QRect(corner, QSize(front.width(), kCaption)), QColor(0, 0, 128));
  painter.setPen(Qt::white);
  painter.drawText(QRect(corner + QPoint(6, 0), QSize(front.width() - 12, kCaption)),
                   Qt::AlignVCenter | Qt::AlignLeft, dialog->windowTitle());
  painter.drawPixmap(corner + QPoint(0, kCaption), front);
  painter.setPen(QColor(0, 0, 128));
  painter.drawRect(QRect(corner, QSize(front.width() - 1, front.height() + kCaption - 1)));
  painter.end();
  dialog->hide();
  window->hide();
  auto label = std::make_unique<QLabel>();
  label->setWindowTitle(window->windowTitle());
  label->setPixmap(picture);
  label->setFixedSize(picture.size());
  return label;
}

const TGalleryRegistration kMainWindowEntries({
    {"main_window_after_preview", [] { return PreviewedWindow(); }},
    {"main_window_auto_scan",
     [] {
       auto window = PreviewedWindow();
       window->StartStopAutoScanMenuItemClick();
       window->ShowScanStatus("Processing");
       return std::unique_ptr<QWidget>(std::move(window));
     }},
    // A failed step: the label shows the failure cut to the room beside the buttons, and its
    // tooltip the whole text (both taken from the screen, where the tooltip is a window).
    {"main_window_scan_failure_tooltip",
     [] {
       auto window = PreviewedWindow();
       window->StartStopAutoScanMenuItemClick();
       window->ShowScanStatus(QString::fromStdString(
           "Upload failed: update.zip not stored on 127.0.0.1: the server closed the connection "
           "during the upload (response reading failed (errno: 115))"));
       window->show();
       LetItSettle();
       QLabel* label = window->ScanLabel();
       QToolTip::showText(label->mapToGlobal(QPoint(8, label->height() + 4)), label->toolTip(),
                          label);
       LetItSettle();
       const QRect area = window->frameGeometry().adjusted(0, 0, 260, 0);
       const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                         std::min(area.height(), 170));
       QToolTip::hideText();
       window->StartStopAutoScanMenuItemClick();
       window->hide();
       auto picture = std::make_unique<QLabel>();
       picture->setWindowTitle(window->windowTitle());
       picture->setPixmap(shot);
       picture->setFixedSize(shot.size());
       return std::unique_ptr<QWidget>(std::move(picture));
     }},
    {"main_window_with_scan_log",
     [] {
       auto window = PreviewedWindow();
       for (const char* status :
            {"Checking", "No changes", "Idle", "Checking", "Connection failed", "Idle", "Checking",
             "Processing",
             "Upload failed: update.zip not stored on 127.0.0.1: the server closed "
             "the connection during the upload (response reading failed (errno: 115))",
             "Idle"}) {
         window->ShowScanStatus(status);
       }
       auto dialog = std::make_unique<TScanLogDlg>();
       dialog->SetLines(window->ScanLogLines());
       return WithDialog(std::move(window), std::move(dialog));
     }},
    {"main_window_with_progress",
     [] {
       auto window = PreviewedWindow();
       auto dialog = std::make_unique<TPFileProgressDlg>();
       dialog->SetFileName("update.zip");
       dialog->SetHost("127.0.0.1");
       dialog->SetTotal(48213);
       dialog->SetProgress(20480);
       return WithDialog(std::move(window), std::move(dialog));
     }},
    {"main_window_with_help",
     [] {
       auto dialog = std::make_unique<TRIHelpDlg>();
       dialog->setWindowTitle("Tavrel Help");
       dialog->LoadTextFile(ProgramFolder() + "/Help.rtf");
       return WithDialog(PreviewedWindow(), std::move(dialog));
     }},
    {"main_window_with_about",
     [] {
       auto dialog = std::make_unique<TPAboutDlg>();
       dialog->SetProductTitle("Tavrel");
       return WithDialog(PreviewedWindow(), std::move(dialog));
     }},
    {"main_window_with_options",
     [] {
       TRIGlobals& globals = *SampleHome().Globals;
       return WithDialog(PreviewedWindow(), std::make_unique<TRIGeneralOptionsDlg>(
                                                globals.GeneralOptions(), globals.ProgramDir));
     }},
    {"main_window_with_categories",
     [] {
       TRIGlobals& globals = *SampleHome().Globals;
       return WithDialog(
           PreviewedWindow(),
           std::make_unique<TRIPageListOptionsDlg>(
               globals.Categories, TCategoryDialogContext{globals.ProgramDir, globals.TemplatesDir,
                                                          globals.UseFastext}));
     }},
    {"main_window_with_xml_schema",
     [] {
       return WithDialog(PreviewedWindow(),
                         std::make_unique<TRIXmlSchemaDlg>(SampleHome().Globals->XmlSchema));
     }},
    {"main_window_with_errors",
     [] {
       // What the check finds when the feed brings a category the table does not have yet: the
       // sample's table without its last category, put back after the check.
       auto window = PreviewedWindow();
       TRIGlobals& globals = *SampleHome().Globals;
       const TRssTxtPageProperties table = globals.Categories;
       globals.Categories.pop_back();
       const std::vector<std::string> lines = CheckFeed(globals).Lines();
       globals.Categories = table;
       return WithDialog(std::move(window), std::make_unique<TPErrorListDlg>(lines));
     }},
});

}  // namespace
}  // namespace tavrel::gallery
