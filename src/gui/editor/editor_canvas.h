#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "editor/editor_page_image.h"
#include "editor/page_editor.h"

namespace tavrel::gui {

// The editor window's client area: the page picture at its fixed place, the caret, and the
// keyboard. It draws what the editor model holds and hands every key to `OnKey`.
class TEditorCanvas : public QWidget {
 public:
  TEditorCanvas(const TPageEditor& editor, const TFontSet& fonts, QWidget* parent);

  // Called with every key press that no menu shortcut took.
  std::function<void(QKeyEvent*)> OnKey;
  // Mouse presses, moves and releases over the client area (the text block frame, drawing).
  std::function<void(QMouseEvent*)> OnMouse;
  // The window rectangles the drawing tools' rubber band shows inverted.
  std::function<std::vector<TPixelRect>()> PreviewRects;

  // Draws the whole page picture again and repaints the page area with its frame.
  void RedrawAll();
  // Draws the rows of a changed rectangle again and repaints only that rectangle (and the
  // caret's old and new places).
  void RedrawChanged(const TPixelRect& changed);
  // Repaints the caret where it was and where it is now.
  void MoveCaret();

  const TEditorPageImage& PageImage() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override { MouseEvent(event); }
  void mouseMoveEvent(QMouseEvent* event) override { MouseEvent(event); }
  void mouseReleaseEvent(QMouseEvent* event) override { MouseEvent(event); }
  bool focusNextPrevChild(bool) override { return false; }  // Tab is a key of the page

 private:
  void MouseEvent(QMouseEvent* event);
  // The page's text as the accessible description, renewed with every change of the page.
  void UpdateAccessibleText();

  const TPageEditor& editor_;
  const TFontSet& fonts_;
  TEditorPageImage image_;
  QRect caretShown_;
};

}  // namespace tavrel::gui
