#pragma once

#include <functional>
#include <vector>

class QWidget;

namespace tavrel::gui {

struct TScreenPoint {
  int X = 0;
  int Y = 0;
};

struct TScreenSize {
  int Width = 0;
  int Height = 0;
};

// The part of a screen that windows may use.
struct TScreenArea {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// Where a window saved at `saved` goes now: where it was when its title bar (the top-left
// 40 x 20 pixels) still lies on one of the screens, else into the top-left corner of the first
// screen, so that a window saved on a screen that has since gone never opens out of sight.
// Without screens the saved position stands.
TScreenPoint VisibleWindowPosition(TScreenPoint saved, TScreenSize size,
                                   const std::vector<TScreenArea>& screens);

// Calls `placed` once, when the top-level `window` is first exposed on the screen: by then a
// window manager has mapped it inside its frame, so the frame's size and position are known.
void RestoreWhenMapped(QWidget* window, std::function<void()> placed);

}  // namespace tavrel::gui
