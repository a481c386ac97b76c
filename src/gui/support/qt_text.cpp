#include "support/qt_text.h"

#include "support/windows1252.h"

namespace tavrel::gui {

QString FromWindows1252(std::string_view text) {
  return QString::fromStdU32String(Windows1252ToUtf32(text));
}

std::string ToWindows1252(const QString& text) {
  return Utf32ToWindows1252(text.toStdU32String());
}

QFont DialogFont() {
  QFont font(kDialogFontFamily);
  font.setPixelSize(kDialogFontPixels);
  return font;
}

}  // namespace tavrel::gui
