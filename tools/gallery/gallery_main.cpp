// Opens every window and dialog of the program with sample data and saves a picture of each as
// <folder>/<name>.png, so that the windows can be looked at without clicking through them.
//   tavrel_gallery <folder>
// Run it under a display (make gallery uses Xvfb). A new window adds one entry to kEntries.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/main_form.h"
#include "render/teletext_fonts.h"
#include "support/about_dlg.h"
#include "support/check_mark.h"
#include "support/lang_message_dlg.h"
#include "support/qor_button_dlg.h"
#include "support/qt_text.h"
#include "support/select_file_frame.h"
#include "support/view_text_dlg.h"

namespace {

using namespace tavrel;
using namespace tavrel::gui;

// The program's own files (fonts, Help.rtf) lie beside this program in the build folder.
QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

std::unique_ptr<QWidget> MessageBox(const char* text, TMsgDlgType kind, TMsgDlgButtons buttons) {
  return std::make_unique<TLangMessageDialog>(text, kind, buttons, 0, -1, -1);
}

// A widget that shows check marks in a few cell sizes and colours, as the category list draws
// them in its grid.
class TCheckMarkSample : public QWidget {
 public:
  TCheckMarkSample() { setFixedSize(220, 60); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QSize sizes[] = {{13, 13}, {17, 17}, {24, 18}, {40, 20}};
    int left = 10;
    for (const QSize& size : sizes) {
      painter.setBrush(QColor(230, 230, 230));
      DrawCheckMark(painter, QRect(QPoint(left, 10), size), Qt::black);
      painter.setBrush(QColor(0, 0, 128));
      DrawCheckMark(painter, QRect(QPoint(left, 34), size), Qt::white);
      left += size.width() + 12;
    }
  }
};

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

struct TGalleryEntry {
  const char* Name;
  std::function<std::unique_ptr<QWidget>()> Create;
};

const std::vector<TGalleryEntry> kEntries = {
    {"main_window", [] { return std::make_unique<TRIMainForm>(ProgramFolder()); }},
    {"message_warning_save_prompt",
     [] {
       return MessageBox(
           "File C:/Templates/business_index.tpg was modified. Do you want to save "
           "it first?",
           TMsgDlgType::Warning, kButtonsYesNoCancel);
     }},
    {"message_error",
     [] { return MessageBox("XML File not found", TMsgDlgType::Error, kButtonsOk); }},
    {"message_information",
     [] { return MessageBox("Varnex is busy.", TMsgDlgType::Information, kButtonsOk); }},
    {"message_confirmation_long",
     [] {
       return MessageBox(
           "There are attributes within the textblock!\nThese will be deleted if blocktext mode "
           "is active.\nResume ?",
           TMsgDlgType::Confirmation, ButtonBit(TMsgDlgBtn::Yes) | ButtonBit(TMsgDlgBtn::No));
     }},
    {"message_custom",
     [] { return MessageBox("File not found.", TMsgDlgType::Custom, kButtonsOk); }},
    {"message_many_buttons",
     [] { return MessageBox("Every button the message box knows.", TMsgDlgType::Warning, 0x1FF); }},
    {"button_dialog_base",
     [] {
       auto dialog = std::make_unique<TQorButtonDlg>();
       dialog->setWindowTitle("Base dialog");
       return dialog;
     }},
    {"button_dialog_close_only_help",
     [] {
       auto dialog = std::make_unique<TQorButtonDlg>();
       dialog->setWindowTitle("Close only, with help");
       dialog->SetCloseOnly(true);
       return dialog;
     }},
    {"button_dialog_no_help",
     [] {
       auto dialog = std::make_unique<TQorButtonDlg>();
       dialog->setWindowTitle("Without help");
       dialog->SetShowHelp(false);
       return dialog;
     }},
    {"view_text_dialog",
     [] {
       auto dialog = std::make_unique<TPViewTextDlg>();
       dialog->setWindowTitle("tavrel.ini");
       dialog->LoadTextFile(ProgramFolder() + "/../../data/sample/tavrel.ini");
       return dialog;
     }},
    {"help_dialog",
     [] {
       auto dialog = std::make_unique<TRIHelpDlg>();
       dialog->setWindowTitle("Tavrel Help");
       dialog->LoadTextFile(ProgramFolder() + "/Help.rtf");
       return dialog;
     }},
    {"select_file_frame",
     [] {
       auto host = std::make_unique<QWidget>();
       host->setWindowTitle("A file frame as the options dialog holds it");
       host->setFixedSize(360, 37);
       auto* frame = new TPSelectFileFrame(host.get());
       frame->setGeometry(0, 0, 360, TPSelectFileFrame::kHeight);
       frame->SetFileName("/var/lib/tavrel/Import/news.xml");
       return host;
     }},
    {"about_dialog",
     [] {
       auto dialog = std::make_unique<TPAboutDlg>();
       dialog->SetProductTitle("Tavrel");
       return dialog;
     }},
    {"check_marks",
     [] {
       auto sample = std::make_unique<TCheckMarkSample>();
       sample->setWindowTitle("Check marks");
       return sample;
     }},
};

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
  for (const TGalleryEntry& entry : kEntries) {
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
