#pragma once

#include <memory>
#include <string>

namespace tavrel {
class TRIGlobals;
}

namespace tavrel::gui {

// Opens the settings store of a home for the window, with the shared texts in English: when
// the settings cannot be read, an error box in English says why and the answer is empty.
std::unique_ptr<TRIGlobals> OpenSettingsForWindow(const std::string& programDir);

// Runs the desktop window until it closes and answers the exit code. Only this path creates a
// QApplication, so the headless commands never need a display. homeOption is --home (may be
// empty); argv may hold Qt's own options besides --home DIR, and anything else ends this
// start with code 2 before a window opens. When a window of this user runs already, it is
// raised and restored and this start ends: with 0, or with 1 and a line on stderr naming the
// home of that window when this start was given another.
int RunDesktopApp(int argc, char** argv, const std::string& homeOption);

}  // namespace tavrel::gui
