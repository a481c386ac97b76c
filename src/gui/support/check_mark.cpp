#include "support/check_mark.h"

#include <QPainter>
#include <QRect>

#include "support/dialog_layout.h"

namespace tavrel::gui {

void DrawCheckMark(QPainter& painter, const QRect& rectangle, const QColor& colour) {
  painter.fillRect(rectangle, painter.brush());
  for (const TPoint pixel :
       CheckMarkPixels({rectangle.x(), rectangle.y(), rectangle.width(), rectangle.height()})) {
    painter.fillRect(pixel.X, pixel.Y, 1, 1, colour);
  }
}

}  // namespace tavrel::gui
