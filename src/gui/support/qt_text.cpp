#include "support/qt_text.h"

#include <QFile>

#include "support/text_encoding.h"
#include "support/windows1252.h"

namespace tavrel::gui {

QString FromWindows1252(std::string_view text) {
  return QString::fromStdU32String(Windows1252ToUtf32(text));
}

std::string ToWindows1252(const QString& text) { return Utf32ToWindows1252(text.toStdU32String()); }

QString FromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromMessageText(std::string_view text) {
  return FindInvalidUtf8(text) == std::string_view::npos ? FromUtf8(text) : FromWindows1252(text);
}

std::u32string Utf32Of(const QString& text) { return text.toStdU32String(); }

QFont DialogFont() {
  QFont font(kDialogFontFamily);
  font.setPixelSize(kDialogFontPixels);
  return font;
}

}  // namespace tavrel::gui
