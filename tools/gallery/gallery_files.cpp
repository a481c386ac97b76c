// The gallery entries of the file workflow: the page format dialog in three formats and a File
// menu with its recent-files list.
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

#include "editor/page_format_dlg.h"
#include "gallery.h"
#include "support/recent_files_menu.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;

std::unique_ptr<QWidget> PageFormat(const TPageFormat& format, bool showCodes) {
  auto dialog = std::make_unique<TDlgPageFormat>();
  dialog->SetFormat(format);
  dialog->SetShowCodes(showCodes);
  return dialog;
}

// A File menu as the template editor builds it, opened on its "Recent Files" submenu. Menus are
// popups, so the picture paints them side by side below a menu bar. The list has no settings
// key, so nothing is read from or written to the user's settings.
class TFileMenuSample : public QWidget {
 public:
  TFileMenuSample() : bar_(new QMenuBar(this)), file_(new QMenu("&File", this)) {
    file_->addAction("&New");
    file_->addAction("&Open...");
    recent_ = file_->addMenu("Recent Files");
    file_->addAction("&Save");
    file_->addAction("Save &As...");
    file_->addSeparator();
    file_->addAction("&Close");
    bar_->addMenu(file_);
    mru_.SetMenuItem(recent_);
    for (const char* path :
         {"/srv/tavrel/Templates/weather.tpg", "/srv/tavrel/Templates/sport_results.tpg",
          "/srv/tavrel/Templates/index.tpg", "/home/op/Desktop/election night.tpg",
          "/srv/tavrel/Templates/business_index.tpg"}) {
      mru_.AddFile(path);
    }
    // The open document is the most recent one and is not offered again.
    mru_.SetCurrentFile("/srv/tavrel/Templates/business_index.tpg");
    bar_->adjustSize();
    const QSize fileSize = file_->sizeHint();
    const QSize recentSize = recent_->sizeHint();
    fileOrigin_ = QPoint(4, bar_->height());
    const int recentRow = file_->actionGeometry(recent_->menuAction()).top();
    recentOrigin_ = QPoint(fileOrigin_.x() + fileSize.width() - 4, fileOrigin_.y() + recentRow);
    setFixedSize(
        recentOrigin_.x() + recentSize.width() + 16,
        std::max(fileOrigin_.y() + fileSize.height(), recentOrigin_.y() + recentSize.height()) +
            16);
    bar_->setFixedWidth(width());
    setWindowTitle("Template editor - File menu");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    file_->setActiveAction(recent_->menuAction());
    painter.drawPixmap(fileOrigin_, file_->grab());
    painter.drawPixmap(recentOrigin_, recent_->grab());
  }

 private:
  QMenuBar* bar_;
  QMenu* file_;
  QMenu* recent_ = nullptr;
  TPMru mru_;
  QPoint fileOrigin_;
  QPoint recentOrigin_;
};

const TGalleryRegistration kFilesEntries({
    {"page_format_white_on_black", [] { return PageFormat({}, false); }},
    {"page_format_yellow_double_height_on_blue",
     [] {
       return PageFormat({3, 4, TPageStyle::DoubleHeight}, true);
     }},
    {"page_format_separated_graphics",
     [] {
       return PageFormat({2, 8, TPageStyle::SeparatedGraphics}, false);
     }},
    {"file_menu_recent_files", [] { return std::make_unique<TFileMenuSample>(); }},
});

}  // namespace
}  // namespace tavrel::gallery
