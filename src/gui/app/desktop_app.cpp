#include "app/desktop_app.h"

#include <QApplication>

#include "app/main_form.h"
#include "render/teletext_fonts.h"
#include "support/lang_message_dlg.h"
#include "support/qt_text.h"

namespace tavrel::gui {

int RunDesktopApp(int argc, char** argv) {
  QApplication application(argc, argv);
  application.setApplicationName("Tavrel");
  application.setOrganizationName("Dravik");
  application.setFont(DialogFont());
  const QString programFolder = QCoreApplication::applicationDirPath();
  const TFontLoadResult fonts = LoadTeletextFonts(kFontFileAll1216);
  TRIMainForm window(programFolder);
  window.show();
  if (!fonts.Success()) {
    LangMessageDlg(QString::fromLocal8Bit(fonts.Message().c_str()), TMsgDlgType::Error, kButtonsOk,
                   0, -1, -1, &window);
  }
  return application.exec();
}

}  // namespace tavrel::gui
