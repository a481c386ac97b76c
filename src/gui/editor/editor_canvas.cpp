#include "editor/editor_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "render/page_renderer.h"
#include "render/page_text.h"
#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

QRect ToQRect(const TPixelRect& rect) {
  return QRect(rect.Left, rect.Top, rect.Width(), rect.Height());
}

// The page picture and its frame in window coordinates.
const QRect kImageRect(kEditorImageLeft, kEditorImageTop, kEditorImageWidth, kEditorImageHeight);

}  // namespace

TEditorCanvas::TEditorCanvas(const TPageEditor& editor, const TFontSet& fonts, QWidget* parent)
    : QWidget(parent), editor_(editor), fonts_(fonts) {
  setObjectName("PageArea");
  setAccessibleName("Teletext page");
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  UpdateAccessibleText();
  image_.DrawAll(editor_, fonts_);
}

void TEditorCanvas::UpdateAccessibleText() {
  // Screen readers read the page's text as the editor holds it now (its grid, rows 1..23); the
  // name has no number, a template has none.
  TPrestPage page = editor_.Page;
  for (int row = kFirstEditRow; row <= kLastEditRow; ++row) {
    for (int column = 0; column < kPageColumns; ++column) {
      page.Cell(row, column) = editor_.State.Grid.At(row, column);
    }
  }
  setAccessibleDescription(FromWindows1252(PageText(page, kFirstEditRow)));
}

void TEditorCanvas::RedrawAll() {
  UpdateAccessibleText();
  image_.DrawAll(editor_, fonts_);
  update(kImageRect);
  MoveCaret();
}

void TEditorCanvas::RedrawChanged(const TPixelRect& changed) {
  UpdateAccessibleText();
  image_.DrawChanged(editor_, fonts_, changed);
  if (!changed.Empty()) update(ToQRect(changed));
  MoveCaret();
}

void TEditorCanvas::MoveCaret() {
  update(caretShown_);
  const TCaret caret = editor_.Caret();
  caretShown_ = caret.Kind == TCaretKind::None ? QRect() : ToQRect(caret.Rect);
  update(caretShown_);
}

void TEditorCanvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  painter.fillRect(area, palette().window());
  const TRgbaImage& picture = image_.Image();
  const QImage wrapped(picture.Bytes(), picture.Width(), picture.Height(), picture.Width() * 4,
                       QImage::Format_RGBA8888);
  const QRect part = area.intersected(kImageRect);
  if (!part.isEmpty()) {
    painter.drawImage(part, wrapped, part.translated(-kImageRect.topLeft()));
  }
  // The rubber band of the drawing tools: screen rectangles inverted, the grid untouched.
  if (PreviewRects) {
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const TPixelRect& r : PreviewRects()) painter.fillRect(ToQRect(r), Qt::white);
    painter.restore();
  }
  if (editor_.FrameDisplay || editor_.Mode() == EditMode::BlockText) {
    // The text block's frame over the cells: a white outline on the block, a black one around.
    const TTextBlock& block = editor_.TextBlock;
    const TPixelRect first = EditorCellRect(block.Left, block.Top);
    const QRect inner(first.Left, first.Top, block.Width() * kEditorCellWidth,
                      block.Height() * kEditorCellHeight);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::white);
    painter.drawRect(inner.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.drawRect(inner.adjusted(-1, -1, 0, 0));
  }
  // The caret inverts what lies under it: an outline for text (one or two cells high), a solid
  // bar for large-font lettering.
  const TCaret caret = editor_.Caret();
  if (caret.Kind == TCaretKind::None) return;
  const QRect rect(caret.Rect.Left, caret.Rect.Top, caret.Rect.Width(), caret.Rect.Height());
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  if (caret.Kind == TCaretKind::LargeFont) {
    painter.fillRect(rect, Qt::white);
  } else {
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
  }
}

void TEditorCanvas::MouseEvent(QMouseEvent* event) {
  if (OnMouse) OnMouse(event);
  event->accept();
}

void TEditorCanvas::keyPressEvent(QKeyEvent* event) {
  if (OnKey) OnKey(event);
  event->accept();
}

}  // namespace tavrel::gui
