#include "editor/txt_ed.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "editor/editor_keys.h"
#include "editor/editor_texts.h"
#include "render/teletext_fonts.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

TEditorKey EditorKeyOf(int key) {
  switch (key) {
    case Qt::Key_End:
      return TEditorKey::End;
    case Qt::Key_Home:
      return TEditorKey::Home;
    case Qt::Key_Left:
      return TEditorKey::Left;
    case Qt::Key_Up:
      return TEditorKey::Up;
    case Qt::Key_Right:
      return TEditorKey::Right;
    case Qt::Key_Down:
      return TEditorKey::Down;
    case Qt::Key_Delete:
      return TEditorKey::Delete;
    case Qt::Key_F9:
      return TEditorKey::F9;
    default:
      return TEditorKey::Other;
  }
}

std::string FolderWithSeparator(const QString& folder) {
  std::string path = folder.toStdString();
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

}  // namespace

TTxtEd::TTxtEd(const QString& programFolder, QWidget* parent)
    : QDialog(parent), editor_(std::make_unique<TPageEditor>(FolderWithSeparator(programFolder))) {
  setObjectName("TxtEd");
  setWindowTitle(FromWindows1252(EditorText(96)));  // "Teletext page"
  if (!FontSet(kFontSize1216).Loaded()) {
    LoadTeletextFonts(kFontFileAll1216, FolderWithSeparator(programFolder));
  }
  controlCodeNames_ = ControlCodeNames();
  PageFormatRunner = [this](QWidget* parent, bool showCodes, const std::string& prefix) {
    return RunPageFormatDialog(parent, showCodes, prefix, !TemplateHost);
  };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  canvas_ = new TEditorCanvas(*editor_, FontSet(kFontSize1216), this);
  canvas_->OnKey = [this](QKeyEvent* event) { HandleKey(event); };
  BuildMenus();
  BuildToolBar(canvas_);
  BuildAttributePanel(canvas_);
  layout->addWidget(canvas_, 1);
  BuildStatusBar();
  BuildMouseAndBlockText(programFolder);
  editor_->TextBlock = ClampTextBlock(editor_->TextBlock);
  Reload();
  canvas_->setFocus();
}

TTxtEd::~TTxtEd() = default;

void TTxtEd::BuildStatusBar() {
  auto* bar = new QFrame(this);
  bar->setObjectName("StatusBar");
  bar->setFixedHeight(19);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(1, 1, 1, 1);
  row->setSpacing(2);
  const int widths[] = {80, 140, 30, 0};
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setFont(DialogFont());
    if (widths[i] > 0) panel->setFixedWidth(widths[i]);
    row->addWidget(panel, widths[i] > 0 ? 0 : 1);
    statusPanels_[i] = panel;
  }
  layout()->addWidget(bar);
}

void TTxtEd::SetPage(const TPrestPage& page, const TTextBlock& textBlock) {
  editor_->Page = page;
  editor_->TextBlock = textBlock;
  Reload();
}

void TTxtEd::Reload() {
  const TEditOutcome outcome = editor_->Reload();
  AfterReloadBlockText();
  resize(kEditorWindowWidth, kEditorWindowHeight);
  RedrawAll();
  ShowOutcome(outcome);
}

void TTxtEd::StorePage() { editor_->StorePage(); }

void TTxtEd::reject() {
  editor_->Selection.Highlight = {};
  // A page closed in block-text mode opens in it again.
  editor_->BlockTextFlag = CloseBlockTextField();
  editor_->StorePage();
  done(editor_->IsUnchanged() ? QDialog::Rejected : QDialog::Accepted);
}

void TTxtEd::HandleKey(QKeyEvent* event) {
  if (BlockTextActive()) {
    // In block-text mode the keys belong to the field. When the page had the focus, the key
    // and the focus go to the field; a key the field itself passed on (one it does not use)
    // ends here.
    if (canvas_->hasFocus() && !forwardingKey_) {
      forwardingKey_ = true;
      blockTextField_->setFocus(Qt::OtherFocusReason);
      QCoreApplication::sendEvent(blockTextField_, event);
      forwardingKey_ = false;
    }
    return;
  }
  const Qt::KeyboardModifiers modifiers =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const TEditorKey key = EditorKeyOf(event->key());
  if (modifiers == Qt::NoModifier && key != TEditorKey::Other) {
    if (key == TEditorKey::Delete && deleteAction_->isEnabled()) {
      DeleteRows();
      return;
    }
    RunCommand(KeyDownCommand(key));
    return;
  }
  const std::string typed = ToWindows1252(event->text());
  if (!typed.empty()) {
    for (char c : typed) {
      const auto command =
          TypedCharacterCommand(static_cast<std::uint8_t>(c), editor_->Page.CharSet);
      if (command) RunCommand(*command);
    }
    return;
  }
  if (modifiers == Qt::NoModifier) RunCommand(EditCommand::None);
}

void TTxtEd::RunCommand(std::uint8_t command) {
  const bool wasHighlighted =
      std::find(editor_->Selection.Highlight.begin(), editor_->Selection.Highlight.end(), true) !=
      editor_->Selection.Highlight.end();
  const TPageEditor::TStep step = editor_->Step(command);
  if (wasHighlighted) {
    RedrawAll();
  } else {
    canvas_->RedrawChanged(step.Changed);
  }
  RefreshMenus();
  RefreshStatus();
  ShowOutcome(step.Outcome);
}

void TTxtEd::SendAttribute(int tag) {
  if (InsertBlockTextColour(tag)) return;
  RunCommand(static_cast<std::uint8_t>(tag));
}

void TTxtEd::ChooseMode(int mode) {
  if (!PrepareModeChange(mode)) {
    RefreshMenus();
    return;
  }
  const TEditOutcome outcome = editor_->SetMode(mode);
  AfterModeChange();
  RedrawAll();
  ShowOutcome(outcome);
}

void TTxtEd::ShowOutcome(const TEditOutcome& outcome) {
  if (outcome.Error.empty()) return;
  LangMessageDlg(this, FromWindows1252(outcome.Error), TMsgDlgType::Error);
}

void TTxtEd::Undo() {
  if (RouteToBlockText(&TBlockTextField::undo)) return;
  canvas_->RedrawChanged(editor_->Undo());
  RefreshMenus();
  RefreshStatus();
}

void TTxtEd::CutRows() {
  if (RouteToBlockText(&TBlockTextField::CutText)) return;
  editor_->CutRows();
  RedrawAll();
}

void TTxtEd::CopyRows() {
  if (RouteToBlockText(&TBlockTextField::CopyText)) return;
  editor_->CopyRows();
  RedrawAll();
}

void TTxtEd::DeleteRows() {
  if (RouteToBlockText(&TBlockTextField::DeleteText)) return;
  editor_->DeleteRows();
  RedrawAll();
}

void TTxtEd::PasteRows() {
  if (RouteToBlockText(&TBlockTextField::PasteText)) return;
  editor_->PasteRows();
  RedrawAll();
}

void TTxtEd::SelectAll() {
  if (RouteToBlockText(&TBlockTextField::selectAll)) return;
  editor_->SelectAll();
  RedrawAll();
}

void TTxtEd::FormatColors() {
  const std::optional<TPageFormatChoice> choice =
      PageFormatRunner(this, editor_->State.ShowCodes, editor_->FormatPrefix());
  if (!choice) return;
  if (choice->ShowCodes != editor_->State.ShowCodes) editor_->ToggleShowCodes();
  const std::string* prefix = &choice->Prefix;
  switch (editor_->CheckFormatPrefix(*prefix, editor_->TextBlock)) {
    case TFormatCheck::NoRoom:
      LangMessageDlg(this, "Te weinig ruimte voor attributen, verplaats eerst het tekstblok.",
                     TMsgDlgType::Warning);
      editor_->FrameDisplay = true;
      RedrawAll();
      return;
    case TFormatCheck::OverwritesText: {
      const QString question = QString(
                                   "Er bevinden zich tekens en/of attributen in de %1 "
                                   "kolom(en).\r\nTekens en/of attributen overschrijven?")
                                   .arg(prefix->size());
      const TMsgDlgButtons yesNo = ButtonBit(TMsgDlgBtn::Yes) | ButtonBit(TMsgDlgBtn::No);
      if (LangMessageDlg(this, question, TMsgDlgType::Warning, yesNo) != TModalResult::Yes) {
        return;
      }
      break;
    }
    case TFormatCheck::Ready:
      break;
  }
  editor_->ApplyFormatPrefix(*prefix);
  RedrawAll();
}

void TTxtEd::ChooseCharSet(int option) {
  editor_->SetCharSet(option);
  blockTextField_->SetCharSet(option);
  RedrawAll();
}

void TTxtEd::SaveCharSetAsDefault() {
  const TMsgDlgButtons okCancel = ButtonBit(TMsgDlgBtn::OK) | ButtonBit(TMsgDlgBtn::Cancel);
  if (LangMessageDlg(this, "Set language as default?", TMsgDlgType::Confirmation, okCancel) ==
      TModalResult::OK) {
    editor_->DefaultCharSet = editor_->Page.CharSet;
  }
}

void TTxtEd::RedrawAll() {
  canvas_->RedrawAll();
  RefreshMenus();
  RefreshStatus();
}

void TTxtEd::RefreshStatus() {
  statusPanels_[0]->setText(QString::fromStdString(editor_->PositionText()));
  statusPanels_[1]->setText(FromWindows1252(ModeHint(editor_->Mode())));
  statusPanels_[2]->setText(editor_->State.InsertMode ? "INS" : "OVR");
  const int code = editor_->ControlCodeAtCursor();
  statusPanels_[3]->setText(code >= 0 ? FromWindows1252(controlCodeNames_[code]) : QString());
}

}  // namespace tavrel::gui
