// Opens every window and dialog of the program with sample data and saves a picture of each as
// <folder>/<name>.png, so that the windows can be looked at without clicking through them.
//   tavrel_gallery <folder>
// Run it under a display (make gallery uses Xvfb). A new window adds an entry to the gallery
// file of its subsystem (gallery_<subsystem>.cpp, see gallery.h).
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "gallery.h"
#include "render/teletext_fonts.h"
#include "support/language_texts.h"
#include "support/qt_text.h"

namespace tavrel::gallery {

std::vector<TGalleryEntry>& GalleryEntries() {
  static std::vector<TGalleryEntry> entries;
  return entries;
}

TGalleryRegistration::TGalleryRegistration(std::vector<TGalleryEntry> entries) {
  for (TGalleryEntry& entry : entries) GalleryEntries().push_back(std::move(entry));
}

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

}  // namespace tavrel::gallery

namespace {

using namespace tavrel;
using namespace tavrel::gui;
using namespace tavrel::gallery;

// The picture of a window with a plain caption bar above it: Xvfb runs no window manager, so
// the window's own caption would not show, and the caption is part of what is to be checked.
QImage WithCaption(QWidget& widget) {
  const QPixmap content = widget.grab();
  constexpr int kCaptionHeight = 22;
  QImage image(content.width(), content.height() + kCaptionHeight, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 128));
  QPainter painter(&image);
  painter.setPen(Qt::white);
  QFont font = DialogFont();
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(6, 0, content.width() - 12, kCaptionHeight),
                   Qt::AlignVCenter | Qt::AlignLeft, widget.windowTitle());
  painter.drawPixmap(0, kCaptionHeight, content);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  application.setFont(DialogFont());
  if (argc != 2) {
    std::fprintf(stderr, "usage: tavrel_gallery <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  SetLanguage(UiLanguage::English, UiLanguage::English);
  const TFontLoadResult fonts = LoadTeletextFonts(kFontFileAll1216);
  if (!fonts.Success()) std::fprintf(stderr, "tavrel_gallery: %s\n", fonts.Message().c_str());

  int failures = 0;
  for (const TGalleryEntry& entry : GalleryEntries()) {
    try {
      std::unique_ptr<QWidget> widget = entry.Create();
      widget->show();
      // Let the window manager-less X server map it and the widgets lay themselves out.
      for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTimer timer;
        timer.setSingleShot(true);
        timer.start(20);
        while (timer.isActive()) QApplication::processEvents();
      }
      const QString path = folder + "/" + entry.Name + ".png";
      // Frameless windows (the about box) have no caption to show.
      const bool framed = !(widget->windowFlags() & Qt::FramelessWindowHint);
      const QImage picture = framed ? WithCaption(*widget) : widget->grab().toImage();
      if (!picture.save(path)) {
        std::fprintf(stderr, "tavrel_gallery: cannot write %s\n", qPrintable(path));
        ++failures;
      } else {
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
      }
    } catch (const std::exception& error) {
      std::fprintf(stderr, "tavrel_gallery: %s: %s\n", entry.Name, error.what());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
