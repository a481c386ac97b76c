#include "editor/block_text_field.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include "editor/block_text.h"
#include "page/national_charset.h"
#include "render/teletext_fonts.h"
#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

// The field holds page bytes one per character (Latin-1 code points), so the teletext face
// shows each byte's own glyph.
std::string Bytes(const QString& text) { return text.toLatin1().toStdString(); }
QString FromBytes(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

TBlockTextKey KeyOf(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_PageDown:
      return TBlockTextKey::PageDown;
    case Qt::Key_Down:
      return TBlockTextKey::Down;
    case Qt::Key_Right:
      return TBlockTextKey::Right;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return TBlockTextKey::Enter;
    case Qt::Key_Backspace:
      return TBlockTextKey::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return TBlockTextKey::Tab;
    default:
      break;
  }
  if (event->text() == "\n") return TBlockTextKey::LineFeed;
  return event->text().isEmpty() ? TBlockTextKey::Other : TBlockTextKey::Character;
}

}  // namespace

bool RegisterTeletextFaces(const QString& programFolder) {
  static bool registered = false;
  if (!registered) {
    registered = QFontDatabase::addApplicationFont(programFolder + "/p1216all.fon") >= 0;
  }
  return registered;
}

TBlockTextField::TBlockTextField(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("Memo1");
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  document()->setDocumentMargin(0);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, QColor(0, 0, 207));
  colours.setColor(QPalette::Text, Qt::yellow);
  setPalette(colours);
  connect(this, &QPlainTextEdit::undoAvailable, this, [this](bool can) { canUndo_ = can; });
  SetCharSet(charSet_);
  hide();
}

void TBlockTextField::SetCharSet(int charSet) {
  charSet_ = charSet;
  QFont face(QString::fromLatin1(BlockTextFaceName(charSet)));
  face.setPixelSize(16);
  face.setStyleStrategy(QFont::NoFontMerging);
  setFont(face);
}

void TBlockTextField::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  if (!text.empty()) text.pop_back();
  setPlainText(FromBytes(text));
  moveCursor(QTextCursor::Start);
}

std::vector<std::string> TBlockTextField::Lines() const {
  std::vector<std::string> lines;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    const QString text = block.text();
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) {
      lines.push_back(Bytes(text));
      continue;
    }
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      QString part = text.mid(line.textStart(), line.textLength());
      // A wrapped line ends in the space it broke at; the cell after the text stays blank.
      lines.push_back(Bytes(part));
    }
  }
  return lines;
}

void TBlockTextField::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy) ||
      (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier)) {
    CopyText();
    return;
  }
  if (event->matches(QKeySequence::Paste) ||
      (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier)) {
    PasteText();
    return;
  }
  if (event->matches(QKeySequence::Cut)) {
    CutText();
    return;
  }
  // Where the caret is, in wrapped lines.
  const QTextCursor cursor = textCursor();
  int line = 0;
  for (QTextBlock block = document()->begin(); block.isValid() && block != cursor.block();
       block = block.next()) {
    line += block.layout() ? std::max(1, block.layout()->lineCount()) : 1;
  }
  int column = cursor.positionInBlock();
  if (const QTextLayout* layout = cursor.block().layout(); layout && layout->lineCount() > 0) {
    const QTextLine textLine = layout->lineForTextPosition(cursor.positionInBlock());
    if (textLine.isValid()) {
      line += textLine.lineNumber();
      column -= textLine.textStart();
    }
  }
  const std::string typed = ToWindows1252(event->text());
  const auto first = typed.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(typed[0]);
  if (!BlockTextKeyAccepted(KeyOf(event), first, {line, column}, block_)) {
    event->accept();
    return;
  }
  // Keyboard characters of the national sets become the page's teletext codes.
  if (first >= 129 && (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0) {
    insertPlainText(FromBytes(std::string(1, static_cast<char>(TypedCharCode(first, charSet_)))));
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TBlockTextField::paintEvent(QPaintEvent* event) {
  const TTeletextFace* face = TeletextFonts().CharSetFace(charSet_);
  if (face == nullptr) {
    QPlainTextEdit::paintEvent(event);
    return;
  }
  const QColor paper(0, 0, 207);
  const QRgb ink = qRgb(255, 255, 0), back = paper.rgb();
  QImage picture(viewport()->size(), QImage::Format_RGB32);
  picture.fill(paper);
  const QTextCursor cursor = textCursor();
  const int selectionStart = cursor.selectionStart(), selectionEnd = cursor.selectionEnd();
  auto drawGlyph = [&](std::uint8_t code, int left, int top, bool selected) {
    for (int y = 0; y < face->Height(); ++y) {
      for (int x = 0; x < face->Width(); ++x) {
        const int px = left + x, py = top + y;
        if (px < 0 || py < 0 || px >= picture.width() || py >= picture.height()) continue;
        // A selection shows inverted: blue on yellow.
        const bool on = face->Pixel(code, x, y) != selected;
        picture.setPixel(px, py, on ? ink : back);
      }
    }
  };
  const QPointF offset = contentOffset();
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    const QRectF box = blockBoundingGeometry(block).translated(offset);
    if (box.top() > picture.height()) break;
    const QTextLayout* layout = block.layout();
    const QString text = block.text();
    for (int i = 0; layout && i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      const int top = qRound(box.top() + line.y());
      for (int j = line.textStart(); j < line.textStart() + line.textLength(); ++j) {
        const int at = block.position() + j;
        const auto code = static_cast<std::uint8_t>(text.at(j).unicode() & 0xFF);
        drawGlyph(code, qRound(box.left() + line.cursorToX(j)), top,
                  at >= selectionStart && at < selectionEnd);
      }
    }
  }
  QPainter painter(viewport());
  painter.drawImage(0, 0, picture);
  if (hasFocus()) {
    const QRect caret = cursorRect();
    painter.fillRect(QRect(caret.left(), caret.top(), 2, caret.height()), QColor(ink));
  }
}

void TBlockTextField::CopyText() {
  const std::string selected = Bytes(textCursor().selectedText().replace(QChar(0x2029), '\n'));
  if (selected.empty()) return;
  QGuiApplication::clipboard()->setText(FromWindows1252(BlockTextForClipboard(selected, charSet_)));
}

void TBlockTextField::CutText() {
  CopyText();
  textCursor().removeSelectedText();
}

void TBlockTextField::PasteText() { InsertOutsideText(QGuiApplication::clipboard()->text()); }

void TBlockTextField::InsertOutsideText(const QString& text) {
  if (text.isEmpty()) return;
  insertPlainText(FromBytes(BlockTextFromClipboard(ToWindows1252(text), charSet_)));
}

void TBlockTextField::insertFromMimeData(const QMimeData* source) {
  // The context menu's Paste and a drop take the same road as the Edit menu's Paste.
  if (source && source->hasText()) InsertOutsideText(source->text());
}

void TBlockTextField::DeleteText() { textCursor().removeSelectedText(); }

}  // namespace tavrel::gui
