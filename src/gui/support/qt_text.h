#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

namespace tavrel::gui {

// The one crossing between the core's Windows-1252 texts and the window's QString.
QString FromWindows1252(std::string_view text);
// Characters the code page lacks become "?": a text a setting keeps must first pass
// CheckWindows1252Fields, so that the operator is told instead.
std::string ToWindows1252(const QString& text);

// Paths cross as the file system's bytes (UTF-8 here), never through Windows-1252: every
// character of a chosen file's name must reach open() as it is.
QString FromPath(std::string_view path);
std::string ToPath(const QString& path);

// The core's UTF-8 texts: messages that name characters Windows-1252 lacks, or name a file.
QString FromUtf8(std::string_view text);
// A text of the core that may be either: well-formed UTF-8 is taken as UTF-8 (a message naming
// a file), anything else as Windows-1252 (the program's own text).
QString FromMessageText(std::string_view text);

// The edit's text as UTF-32, for the core's checks of what an edit holds.
std::u32string Utf32Of(const QString& text);

// The font of the shared dialogs' texts: DejaVu Sans (Debian's fonts-dejavu-core) at 11 pixels,
// the height of the classic 8-point dialog font these dialogs were laid out for.
QFont DialogFont();
inline constexpr const char* kDialogFontFamily = "DejaVu Sans";
inline constexpr int kDialogFontPixels = 11;

}  // namespace tavrel::gui
