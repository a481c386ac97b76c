#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

namespace tavrel::gui {

// The one crossing between the core's Windows-1252 texts and the window's QString.
QString FromWindows1252(std::string_view text);
// Characters the code page lacks become "?".
std::string ToWindows1252(const QString& text);

// The font of the shared dialogs' texts: DejaVu Sans (Debian's fonts-dejavu-core) at 11 pixels,
// the height of the classic 8-point dialog font these dialogs were laid out for.
QFont DialogFont();
inline constexpr const char* kDialogFontFamily = "DejaVu Sans";
inline constexpr int kDialogFontPixels = 11;

}  // namespace tavrel::gui
