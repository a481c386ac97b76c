// The editor window's mouse over the page (text block frame, drawing tools) and block-text
// mode: the parts of TTxtEd that route these to the editor core and the block-text field.
#include <QApplication>
#include <QMouseEvent>

#include "editor/block_text.h"
#include "editor/block_text_field.h"
#include "editor/edit_engine.h"
#include "editor/editor_texts.h"
#include "editor/txt_ed.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

// "There are attributes within the textblock! ... Resume ?"
constexpr int kBlockTextQuestionRow = 100;

// The text block's own window rectangle for the field.
QRect FieldRect(const tSizer& sizer) {
  const TFrameRect& p = sizer.Pixels();
  return QRect(p.Left, p.Top, p.Width, p.Height);
}

Qt::CursorShape CursorShape(TSizerCursor cursor) {
  switch (cursor) {
    case TSizerCursor::HorizontalResize:
      return Qt::SizeHorCursor;
    case TSizerCursor::VerticalResize:
      return Qt::SizeVerCursor;
    default:
      return Qt::ArrowCursor;
  }
}

// The text block the frame shows, as the editor reads it back.
TTextBlock FrameBlock(const tSizer& sizer) { return ClampTextBlock(sizer.Block()); }

}  // namespace

void TTxtEd::BuildMouseAndBlockText(const QString& programFolder) {
  mouse_ = std::make_unique<TEditorMouse>(*editor_);
  RegisterTeletextFaces(programFolder);
  blockTextField_ = new TBlockTextField(canvas_);
  connect(blockTextField_, &QPlainTextEdit::undoAvailable, this, [this] { RefreshMenus(); });
  canvas_->setMouseTracking(true);
  canvas_->OnMouse = [this](QMouseEvent* event) { HandleMouse(event); };
  canvas_->PreviewRects = [this] { return mouse_->PreviewRects(); };
}

bool TTxtEd::BlockTextActive() const { return blockTextField_ && blockTextField_->isVisible(); }

void TTxtEd::HandleMouse(QMouseEvent* event) {
  const int x = qRound(event->position().x());
  const int y = qRound(event->position().y());
  TMouseOutcome outcome;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
      // A fill of a large region takes a moment: the busy cursor shows while it runs.
      const bool fill = DrawGestureOf(editor_->Mode()) == TDrawGesture::Fill;
      if (fill) QApplication::setOverrideCursor(Qt::WaitCursor);
      outcome = mouse_->Press(
          x, y, event->button() == Qt::LeftButton ? TMouseButton::Left : TMouseButton::Right);
      if (fill) QApplication::restoreOverrideCursor();
      break;
    }
    case QEvent::MouseMove:
      outcome =
          mouse_->Move(x, y, event->buttons() & Qt::LeftButton, event->buttons() & Qt::RightButton);
      break;
    case QEvent::MouseButtonRelease:
      outcome = mouse_->Release(x, y);
      break;
    default:
      return;
  }
  canvas_->setCursor(CursorShape(outcome.Cursor));
  if (!outcome.PreviewChanged.Empty()) {
    const TPixelRect& r = outcome.PreviewChanged;
    canvas_->update(QRect(r.Left, r.Top, r.Width(), r.Height()));
  }
  if (outcome.FrameChanged) {
    if (BlockTextActive()) {
      blockTextField_->setGeometry(FieldRect(mouse_->Sizer()));
      blockTextField_->SetBlock(FrameBlock(mouse_->Sizer()));
    }
    canvas_->RedrawAll();
  } else if (event->type() != QEvent::MouseMove || !outcome.Changed.Empty()) {
    canvas_->RedrawChanged(outcome.Changed);
  }
  if (event->type() == QEvent::MouseButtonPress) {
    // The press gave the page the focus; in block-text mode the keys belong to the field.
    if (BlockTextActive()) blockTextField_->setFocus(Qt::MouseFocusReason);
    RefreshMenus();
    RefreshStatus();
  }
}

bool TTxtEd::PrepareModeChange(int mode) {
  if (mode <= 0) return true;
  if (mode == EditMode::BlockText && !BlockTextActive()) {
    if (!BlockHasAttributes(editor_->State.Grid, FrameBlock(mouse_->Sizer()))) return true;
    const TMsgDlgButtons yesNo = ButtonBit(TMsgDlgBtn::Yes) | ButtonBit(TMsgDlgBtn::No);
    return LangMessageDlg(this, FromWindows1252(EditorText(kBlockTextQuestionRow)),
                          TMsgDlgType::Warning, yesNo) == TModalResult::Yes;
  }
  if (mode != EditMode::BlockText) CloseBlockTextField();
  return true;
}

void TTxtEd::AfterModeChange() {
  if (editor_->Mode() == EditMode::BlockText && !BlockTextActive()) OpenBlockTextField();
}

void TTxtEd::AfterReloadBlockText() {
  blockTextField_->hide();
  mouse_->PlaceFrame();
  blockTextField_->SetCharSet(editor_->Page.CharSet);
  AfterModeChange();
}

void TTxtEd::OpenBlockTextField() {
  const TTextBlock block = FrameBlock(mouse_->Sizer());
  blockTextField_->SetBlock(block);
  blockTextField_->SetCharSet(editor_->Page.CharSet);
  blockTextField_->setGeometry(FieldRect(mouse_->Sizer()));
  blockTextField_->SetLines(BlockTextLines(editor_->State.Grid, block));
  blockTextField_->document()->clearUndoRedoStacks();
  blockTextField_->show();
  blockTextField_->raise();
  blockTextField_->setFocus();
  RefreshMenus();
}

bool TTxtEd::WriteBackBlockTextField() {
  if (!BlockTextActive()) return false;
  const TTextBlock block = FrameBlock(mouse_->Sizer());
  const std::vector<std::string> lines = blockTextField_->Lines();
  // One Undo takes back what the field wrote; a write-back that changes nothing (a file
  // command with nothing typed) leaves the undo copy as it was.
  editor_->ChangeGrid([&](TEditGrid& grid, int) { WriteBackBlockText(grid, block, lines); },
                      TPageEditor::TUndoStep::IfChanged);
  return true;
}

bool TTxtEd::CloseBlockTextField() {
  if (!WriteBackBlockTextField()) return false;
  blockTextField_->hide();
  canvas_->setFocus();
  RedrawAll();
  return true;
}

bool TTxtEd::RouteToBlockText(void (TBlockTextField::*command)()) {
  if (!BlockTextActive()) return false;
  (blockTextField_->*command)();
  RefreshMenus();
  return true;
}

bool TTxtEd::InsertBlockTextColour(int tag) {
  if (!BlockTextActive()) return false;
  if (tag >= EditCommand::AlphaRed && tag <= EditCommand::AlphaWhite) {
    blockTextField_->insertPlainText(QString(QChar(tag - EditCommand::AlphaRed + 1)));
    blockTextField_->setFocus();
  }
  return true;
}

}  // namespace tavrel::gui
