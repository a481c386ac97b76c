#include "app/window_position.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
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

namespace {

// Waits on a window's native window for its first exposure, then calls once and goes.
class TMappedWatcher : public QObject {
 public:
  TMappedWatcher(QWindow* window, std::function<void()> placed)
      : QObject(window), placed_(std::move(placed)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      // After the exposure is handled, so the window's own first paint comes first.
      QMetaObject::invokeMethod(
          watched, [placed = std::move(placed_)] { placed(); }, Qt::QueuedConnection);
      deleteLater();
    }
    return false;
  }

 private:
  std::function<void()> placed_;
};

}  // namespace

void RestoreWhenMapped(QWidget* window, std::function<void()> placed) {
  QWindow* handle = window->windowHandle();
  if (handle == nullptr || handle->isExposed()) {
    placed();
    return;
  }
  new TMappedWatcher(handle, std::move(placed));
}

}  // namespace tavrel::gui
