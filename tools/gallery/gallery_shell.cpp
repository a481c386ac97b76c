// The gallery entries of the desktop shell: message boxes, the
// common dialogs and the check marks.
#include <QPainter>
#include <string>

#include "gallery.h"
#include "support/about_dlg.h"
#include "support/check_mark.h"
#include "support/lang_message_dlg.h"
#include "support/qor_button_dlg.h"
#include "support/select_file_frame.h"
#include "support/view_text_dlg.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;

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

const TGalleryRegistration kShellEntries({
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
    // The delete question for a category whose name is one 1,000-character word: wrapped
    // within half the screen, buttons in view.
    {"message_long_category_name",
     [] {
       const std::string question = "Delete category \"" + std::string(1000, 'W') + "\" ?";
       return MessageBox(question.c_str(), TMsgDlgType::Confirmation,
                         ButtonBit(TMsgDlgBtn::Yes) | ButtonBit(TMsgDlgBtn::No));
     }},
    // The user ID check's message, whose list of characters follows a bare carriage return.
    {"message_bare_carriage_return",
     [] {
       return MessageBox(
           "The FTP UserID may not contain any of the following characters or spaces:\r"
           "\\ / : * ? \" < > |",
           TMsgDlgType::Warning, kButtonsOk);
     }},
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
});

}  // namespace
}  // namespace tavrel::gallery
