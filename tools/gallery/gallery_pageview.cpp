// The gallery entries of the page views and the transfer windows: the main window's three
// preview views with a sample page, the progress dialog part way through an upload and the FTP
// settings frame in a dialog.
#include <QDialog>
#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <string_view>

#include "gallery.h"
#include "render/prest_view.h"
#include "transfer/file_progress_dlg.h"
#include "transfer/ftp_edit_frame.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;

void Put(TPrestPage& page, int row, int column, std::string_view text) {
  for (char c : text) {
    if (column >= kPageColumns) break;
    page.Cell(row, column++) = static_cast<std::uint8_t>(c);
  }
}

// A news index as the generator makes it: a double-height title, headlines with the page
// numbers the pointer follows, and a coloured band.
TPrestPage SamplePage() {
  TPrestPage page = TPrestPage::Blank();
  Put(page, 1, 0,
      "\x04\x1D\x03\x0D"
      "NEWS INDEX");
  Put(page, 4, 1,
      "\x06"
      "Storm closes coastal roads  \x03"
      "104");
  Put(page, 6, 1,
      "\x06"
      "Council agrees new budget   \x03"
      "105");
  Put(page, 8, 1,
      "\x06"
      "Rail strike called off      \x03"
      "106");
  Put(page, 10, 1,
      "\x06"
      "Harbour reopens after works \x03"
      "107");
  Put(page, 12, 1,
      "\x06"
      "Local team wins the cup     \x03"
      "301");
  Put(page, 15, 0,
      "\x0D\x07"
      "Weather: dry, 14 degrees   \x03"
      "401");
  Put(page, 20, 0,
      "\x01\x1D\x07"
      "Updated every fifteen minutes");
  return page;
}

// The three views stacked as the main window's preview panel shows them.
std::unique_ptr<QWidget> PreviewPanel() {
  auto panel = std::make_unique<QWidget>();
  panel->setWindowTitle("Page preview");
  panel->setAutoFillBackground(true);
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, Qt::darkGray);
  panel->setPalette(palette);
  auto* layout = new QVBoxLayout(panel.get());
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(4);

  auto* header = new TPrestView;
  header->SetRows(1);
  header->SetHeaderText(
      "\x03"
      "103");
  auto* page = new TPrestView;
  page->SetLinksEnabled(true);
  page->SetPage(SamplePage());
  auto* fastext = new TPrestView;
  fastext->SetRows(1);
  fastext->SetFastextMode(true);
  fastext->SetLinksEnabled(true);
  fastext->SetFastextFromControl("\"Index\" \"Sport\" \"Weather\" \"TV_guide\"", "100 300 400 600");
  for (TPrestView* view : {header, page, fastext}) layout->addWidget(view);
  return panel;
}

std::unique_ptr<QWidget> ProgressMidTransfer() {
  auto dialog = std::make_unique<TPFileProgressDlg>();
  dialog->SetHost("ftp.varnex.example");
  dialog->SetFileName("update.zip");
  dialog->SetTotal(1843200);
  dialog->SetProgress(774144);
  return dialog;
}

std::unique_ptr<QWidget> FtpFrameDialog() {
  auto dialog = std::make_unique<QDialog>();
  dialog->setWindowTitle("Options");
  auto* layout = new QVBoxLayout(dialog.get());
  auto* frame = new TPFtpEditFrame;
  frame->SetCaption("Varnex");
  TMediaServer server;
  server.ServerName = "Varnex";
  server.FTPHost = "ftp.varnex.example";
  server.FTPUser = "newsdesk";
  server.FTPPassword = "secret";
  server.FTPPassive = true;
  server.FTPUseTLS = true;
  server.FTPCAFile = "/etc/tavrel/station-ca.pem";
  frame->Load(server);
  layout->addWidget(frame);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  dialog->resize(340, dialog->sizeHint().height());
  return dialog;
}

const TGalleryRegistration kPageViewEntries({
    {"page_view_preview_panel", PreviewPanel},
    {"file_progress_mid_transfer", ProgressMidTransfer},
    {"ftp_edit_frame_in_dialog", FtpFrameDialog},
});

}  // namespace
}  // namespace tavrel::gallery
