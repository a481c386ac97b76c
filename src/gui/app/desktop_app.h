#pragma once

namespace tavrel::gui {

// Runs the desktop window until it closes and answers the exit code. Only this path creates a
// QApplication, so the headless commands never need a display.
int RunDesktopApp(int argc, char** argv);

}  // namespace tavrel::gui
