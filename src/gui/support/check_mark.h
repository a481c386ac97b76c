#pragma once

class QColor;
class QPainter;
class QRect;

namespace tavrel::gui {

// Fills the rectangle with the painter's brush and draws a check mark three pixels thick,
// centred in it, in the given colour (the pixels of CheckMarkPixels).
void DrawCheckMark(QPainter& painter, const QRect& rectangle, const QColor& colour);

}  // namespace tavrel::gui
