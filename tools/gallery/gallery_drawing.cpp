// The gallery entries of the editor's mouse tools: a template with a logo drawn with the line,
// rectangle, circle and fill tools beside its text block frame, and block-text mode with German
// text on a German page.
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTextCursor>

#include "editor/txt_ed.h"
#include "gallery.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;

std::unique_ptr<TTxtEd> EditorWithPage(const TPrestPage& page, const TTextBlock& block,
                                       const char* title) {
  auto editor = std::make_unique<TTxtEd>(ProgramFolder());
  editor->Editor().FrameDisplay = true;  // as the template editor shows its pages
  editor->SetPage(page, block);
  editor->setWindowTitle(title);
  return editor;
}

void Trigger(TTxtEd& editor, const char* action) { editor.findChild<QAction*>(action)->trigger(); }

// The window position in the middle of a raster pixel.
QPoint Pixel(int px, int py) {
  return {kEditorPageLeft + 2 + px * 6 + 3, kEditorPageTop + (py / 3) * 16 + (py % 3) * 5 + 2};
}

void Mouse(TTxtEd& editor, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, editor.Canvas()->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(editor.Canvas(), &event);
}

// A drag with the left button from one raster pixel to another, in a few moves.
void DragPixels(TTxtEd& editor, int x0, int y0, int x1, int y1, bool release = true) {
  Mouse(editor, QEvent::MouseButtonPress, Pixel(x0, y0), Qt::LeftButton);
  for (int i = 1; i <= 4; ++i) {
    Mouse(editor, QEvent::MouseMove, Pixel(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4),
          Qt::LeftButton);
  }
  if (release) Mouse(editor, QEvent::MouseButtonRelease, Pixel(x1, y1), Qt::NoButton);
}

void WriteText(TPrestPage& page, int row, int column, const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    page.Cell(row, column + static_cast<int>(i)) = static_cast<std::uint8_t>(text[i]);
  }
}

std::unique_ptr<QWidget> DrawnLogo() {
  TPrestPage page = TPrestPage::Blank();
  // Rows 2..10: graphics yellow from column 1; the headline beside the logo in white text.
  for (int row = 2; row <= 10; ++row) page.Cell(row, 0) = 0x13;
  WriteText(page, 4, 21,
            "\x07"
            "TAVREL NEWS");
  WriteText(page, 6, 21,
            "\x06"
            "Drawn with the");
  WriteText(page, 7, 21,
            "\x06"
            "mosaic tools");
  auto editor = EditorWithPage(page, {4, 12, 36, 22}, "Template Editor - drawn logo");
  Trigger(*editor, "MnuModeDrawRectangle");
  DragPixels(*editor, 4, 3, 38, 29);
  Trigger(*editor, "MnuModeDrawCircle");
  DragPixels(*editor, 21, 16, 21, 26);
  Trigger(*editor, "MnuModeDrawLine");
  DragPixels(*editor, 6, 27, 36, 5);
  Trigger(*editor, "MnuModeDrawFill");
  Mouse(*editor, QEvent::MouseButtonPress, Pixel(8, 25), Qt::LeftButton);
  Mouse(*editor, QEvent::MouseButtonRelease, Pixel(8, 25), Qt::NoButton);
  // A rubber band left showing: a second rectangle still being dragged.
  Trigger(*editor, "MnuModeDrawRectangle");
  DragPixels(*editor, 44, 26, 76, 32, false);
  return editor;
}

std::unique_ptr<QWidget> GermanBlockText() {
  TPrestPage page = TPrestPage::Blank();
  page.CharSet = 8;
  // German set: { | } ~ are the small umlauts and sharp s, [ the capital A umlaut.
  WriteText(page, 2, 1,
            "\x03"
            "Nachrichten aus M\x7D"
            "nchen");
  WriteText(page, 6, 4,
            "\x06"
            "Gr\x7D\x7E"
            "e aus dem S\x7D"
            "den:");
  WriteText(page, 7, 4,
            "Die B\x7D"
            "rger freuen sich");
  WriteText(page, 8, 4,
            "\x7D"
            "ber den ersten Schnee.");
  WriteText(page, 9, 4,
            "\x5B"
            "rger gibt es nur auf den");
  WriteText(page, 10, 4,
            "Stra\x7E"
            "en.");
  auto editor = EditorWithPage(page, {4, 6, 33, 12}, "Template Editor - block text");
  editor->findChild<QAction*>("MnuModeBlockText")->trigger();
  editor->BlockTextField()->moveCursor(QTextCursor::End);
  return editor;
}

const TGalleryRegistration kDrawingEntries({
    {"editor_drawn_logo", DrawnLogo},
    {"editor_block_text", GermanBlockText},
});

}  // namespace
}  // namespace tavrel::gallery
