#pragma once

#include <string>

namespace tavrel::gui {

// Runs the desktop window until it closes and answers the exit code. Only this path creates a
// QApplication, so the headless commands never need a display. homeOption is --home (may be
// empty); programPath is argv[0]. When a window of this user runs already, it is raised and
// restored and this start ends with 0.
int RunDesktopApp(int argc, char** argv, const std::string& homeOption);

}  // namespace tavrel::gui
