#pragma once

// The operator's drawing of the day's template, through the template editor's widgets: the text
// block's top and bottom edges dragged with the mouse to rows 10 and 21, a blue mosaic bar over
// rows 1 to 3, a red mosaic emblem drawn with rectangle, line and fill, and the heading "NEWS"
// in large font 1. Shared by the end-to-end test and the gallery.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>

#include "editor/page_editor.h"
#include "editor/template_editor_form.h"

namespace tavrel::gui::day {

// The text block the drawing leaves.
inline constexpr TTextBlock kDayTextBlock{2, 10, 39, 21};

inline void SendMouse(QWidget* canvas, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  const QPointF point(at);
  QMouseEvent event(type, point, canvas->mapToGlobal(point), Qt::LeftButton, buttons, {});
  QApplication::sendEvent(canvas, &event);
}

// A left-button drag from one window point to another, with one step between.
inline void Drag(TTxtEd& form, QPoint from, QPoint to) {
  QWidget* canvas = form.Canvas();
  SendMouse(canvas, QEvent::MouseMove, from, Qt::NoButton);
  SendMouse(canvas, QEvent::MouseButtonPress, from, Qt::LeftButton);
  SendMouse(canvas, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
  SendMouse(canvas, QEvent::MouseMove, to, Qt::LeftButton);
  SendMouse(canvas, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

// The window point in the middle of cell (column, row) and of mosaic pixel (px, py).
inline QPoint CellPoint(int column, int row) {
  return {kEditorPageLeft + 2 + column * kEditorCellWidth + 6,
          kEditorPageTop + (row - 1) * kEditorCellHeight + 8};
}
inline QPoint PixelPoint(int px, int py) {
  return {kEditorPageLeft + 2 + px * 6 + 3, kEditorPageTop + (py / 3) * 16 + (py % 3) * 5 + 2};
}

inline void Click(TTxtEd& form, QPoint at) {
  SendMouse(form.Canvas(), QEvent::MouseButtonPress, at, Qt::LeftButton);
  SendMouse(form.Canvas(), QEvent::MouseButtonRelease, at, Qt::NoButton);
}

inline void Button(TTxtEd& form, const char* name) { form.findChild<QToolButton*>(name)->click(); }

// Puts a control code (an attribute button) at the start of each row in rows first..last.
inline void CodeInRows(TTxtEd& form, const char* button, int column, int first, int last) {
  for (int row = first; row <= last; ++row) {
    Click(form, CellPoint(column, row));
    Button(form, button);
  }
}

inline void DrawDayTemplate(TPTXTTemplateEditorForm& form) {
  // The text block first, so that its frame's edges keep out of the way of the drawing: the top
  // edge from row 6 down to row 10, the bottom edge from row 22 up to row 21.
  const int middle = kEditorPageLeft + 2 + 20 * kEditorCellWidth;
  Drag(form, {middle, kEditorPageTop + 5 * kEditorCellHeight},
       {middle, kEditorPageTop + 9 * kEditorCellHeight + 8});
  Drag(form, {middle, kEditorPageTop + 22 * kEditorCellHeight},
       {middle, kEditorPageTop + 21 * kEditorCellHeight + 4});

  // The bar: graphics blue in column 0 of rows 1..3, a rectangle round them, filled.
  Button(form, "BtnModePrestelText");
  CodeInRows(form, "BtnGraphicBlue", 0, 1, 3);
  Button(form, "BtnModeDrawRectangle");
  Drag(form, PixelPoint(2, 0), PixelPoint(79, 8));
  Button(form, "BtnModeDrawFill");
  Click(form, PixelPoint(10, 4));

  // The emblem: graphics red from column 29 in rows 5..8, a rectangle with a diagonal line,
  // and one of its two halves filled.
  Button(form, "BtnModePrestelText");
  CodeInRows(form, "BtnGraphicRed", 29, 5, 8);
  Button(form, "BtnModeDrawRectangle");
  Drag(form, PixelPoint(62, 12), PixelPoint(78, 23));
  Button(form, "BtnModeDrawLine");
  Drag(form, PixelPoint(62, 12), PixelPoint(78, 23));
  Button(form, "BtnModeDrawFill");
  Click(form, PixelPoint(74, 15));

  // The heading: yellow "NEWS" in large font 1 over rows 6..8 (large letters grow upward from
  // the cursor row).
  Button(form, "BtnModePrestelText");
  CodeInRows(form, "BtnAlfaYellow", 1, 6, 8);
  Click(form, CellPoint(2, 8));
  Button(form, "BtnModeLargeFont1");
  for (QChar c : QString("NEWS")) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(form.Canvas(), &press);
  }
  Button(form, "BtnModePrestelText");
}

}  // namespace tavrel::gui::day
