#include "support/qt_text.h"

#include <QList>

#include "support/text_encoding.h"

namespace tavrel::gui {

QString FromWindows1252(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    char32_t character = byte;
    if (byte >= 0x80 && byte < 0xA0) {
      character = kWindows1252HighControls[byte - 0x80];
      if (character == 0) character = 0xFFFD;
    }
    out += QChar(static_cast<char16_t>(character));
  }
  return out;
}

std::string ToWindows1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const uint character : text.toUcs4()) {
    const int byte = Windows1252ByteOf(character);
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

QFont DialogFont() {
  QFont font(kDialogFontFamily);
  font.setPixelSize(kDialogFontPixels);
  return font;
}

}  // namespace tavrel::gui
