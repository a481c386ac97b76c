#include "app/window_position.h"

#include <algorithm>

namespace tavrel::gui {

namespace {

// Enough of the title bar to take hold of the window with the pointer.
constexpr int kGripWidth = 40;
constexpr int kGripHeight = 20;

bool Contains(const TScreenArea& area, int x, int y) {
  return x >= area.Left && y >= area.Top && x < area.Left + area.Width &&
         y < area.Top + area.Height;
}

}  // namespace

TScreenPoint VisibleWindowPosition(TScreenPoint saved, TScreenSize size,
                                   const std::vector<TScreenArea>& screens) {
  if (screens.empty()) return saved;
  const int gripRight = saved.X + std::min(kGripWidth, std::max(size.Width, 1)) - 1;
  const int gripBottom = saved.Y + kGripHeight - 1;
  for (const TScreenArea& area : screens) {
    if (Contains(area, saved.X, saved.Y) && Contains(area, gripRight, gripBottom)) return saved;
  }
  const TScreenArea& first = screens.front();
  return {first.Left, first.Top};
}

}  // namespace tavrel::gui
