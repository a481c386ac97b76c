#include "editor/page_editor.h"

#include <algorithm>
#include <utility>

#include "page/cell_codes.h"

namespace tavrel {
namespace {

// The engine command that puts the engine into a mode: Prestel text and the large fonts have
// their own; the others leave the engine as it is.
std::uint8_t ModeCommand(int mode) {
  const TEditModeRow* row = FindEditMode(mode);
  return row ? row->EngineCommand : EditCommand::None;
}

}  // namespace

TPixelRect EditorCellRect(int column, int row) {
  const int left = kEditorPageLeft + column * kEditorCellWidth;
  const int top = kEditorPageTop + (row - kFirstEditRow) * kEditorCellHeight;
  return {left, top, left + kEditorCellWidth, top + kEditorCellHeight};
}

TPixelRect ChangedCellsRect(const std::array<TPrestCell, kCellGridSize>& before,
                            const std::array<TPrestCell, kCellGridSize>& after) {
  int left = kPageColumns, right = -1, top = kPageRows, bottom = -1;
  for (int row = kFirstEditRow; row < kPageRows; ++row) {
    for (int column = 0; column < kPageColumns; ++column) {
      const int i = row * kPageColumns + column;
      if (before[i] == after[i]) continue;
      left = std::min(left, column);
      right = std::max(right, column);
      top = std::min(top, row);
      bottom = std::max(bottom, row);
    }
  }
  if (right < 0) return {};
  const TPixelRect first = EditorCellRect(left, top);
  const TPixelRect last = EditorCellRect(right, bottom);
  return {first.Left - 2, first.Top - 2, last.Right + 2, last.Bottom + 2};
}

TTextBlock ClampTextBlock(TTextBlock block) {
  block.Left = std::max(block.Left, 0);
  block.Top = std::max(block.Top, 0);
  block.Right = std::min(block.Right, kPageColumns - 1);
  block.Bottom = std::min(block.Bottom, kPageRows - 1);
  return block;
}

TPageEditor::TPageEditor(std::string largeFontFolder) {
  State.LargeFontFolder = std::move(largeFontFolder);
  State.Grid.FillSpaces();
  RecordUndo(State.Grid);
  snapshot_ = TakeSnapshot();
}

TPageEditor::TSnapshot TPageEditor::TakeSnapshot() const {
  return {Page, TextBlock, BlockTextFlag, GridDisplay, State.ShowCodes, formatPrefix_};
}

TEditOutcome TPageEditor::Reload() {
  snapshot_ = TakeSnapshot();
  ApplyEditCommand(State, Page, 0, TEditOperation::Load);
  RecordUndo(State.Grid);
  mode_ = BlockTextFlag ? EditMode::BlockText : EditMode::PrestelText;
  Page.FrameColor = 0;
  Selection = {};
  Clipboard.Count = 0;
  State.InsertMode = false;
  InverseDrawing = false;
  return SetMode(mode_);
}

void TPageEditor::StorePage(const TTextBlock& frame) {
  ApplyEditCommand(State, Page, 0, TEditOperation::Store);
  TextBlock = ClampTextBlock(frame);
}

bool TPageEditor::IsUnchanged() const {
  const TSnapshot now = TakeSnapshot();
  const auto bodyBegin = kFirstEditRow * kPageColumns;
  return std::equal(now.Page.Cells.begin() + bodyBegin, now.Page.Cells.end(),
                    snapshot_.Page.Cells.begin() + bodyBegin) &&
         now.Page.CharSet == snapshot_.Page.CharSet &&
         now.Page.FrameColor == snapshot_.Page.FrameColor &&
         now.Page.RowPrefixLength == snapshot_.Page.RowPrefixLength &&
         now.TextBlock == snapshot_.TextBlock && now.BlockText == snapshot_.BlockText &&
         now.Grid == snapshot_.Grid && now.ShowCodes == snapshot_.ShowCodes &&
         now.FormatPrefix == snapshot_.FormatPrefix;
}

TPixelRect TPageEditor::ChangedRect(const std::array<TPrestCell, kCellGridSize>& before) const {
  return ChangedCellsRect(before, State.Display);
}

TPageEditor::TStep TPageEditor::Step(std::uint8_t command) {
  // In block-text mode the text field owns the block and writes it back when the mode is left:
  // a key or command that reached the grid under it would edit cells the operator cannot see.
  if (mode_ == EditMode::BlockText) return {};
  const auto before = State.Display;
  Selection.Highlight = {};
  RecordUndo(State.Grid);
  TStep step;
  step.Outcome = ApplyEditCommand(State, Page, command, TEditOperation::Apply);
  TallCaret = step.Outcome.TallCaret;
  step.Changed = ChangedRect(before);
  return step;
}

TPixelRect TPageEditor::Undo() {
  const auto before = State.Display;
  State.Grid = undoGrid_;
  // Through the engine, so that the row flags, the display and the caret follow the grid.
  TallCaret = ApplyEditCommand(State, Page, EditCommand::None, TEditOperation::Apply).TallCaret;
  return ChangedRect(before);
}

TPixelRect TPageEditor::ChangeGrid(
    const std::function<void(TEditGrid& grid, int leftMargin)>& change, TUndoStep step) {
  const auto before = State.Display;
  const TEditGrid gridBefore = State.Grid;
  change(State.Grid, State.LeftMargin);
  if (step == TUndoStep::New || (step == TUndoStep::IfChanged && State.Grid != gridBefore)) {
    RecordUndo(gridBefore);
  }
  // Through the engine, so that the row flags, the display and the caret follow the grid.
  TallCaret = ApplyEditCommand(State, Page, EditCommand::None, TEditOperation::Apply).TallCaret;
  return ChangedRect(before);
}

void TPageEditor::SelectAll() {
  Selection.Start = kFirstEditRow;
  Selection.End = kPageRows;
  for (int row = kFirstEditRow; row < kPageRows; ++row) Selection.Highlight[row] = true;
}

void TPageEditor::CopyRows() {
  if (!Selection.Exists()) return;
  Clipboard.Count = Selection.End - Selection.Start;
  std::copy_n(State.Grid.Rows.begin() + Selection.Start, Clipboard.Count, Clipboard.Rows.begin());
  Clipboard.Filled = true;
  AfterRowCommand();
}

void TPageEditor::RemoveRows(bool toClipboard) {
  if (!Selection.Exists()) return;
  RecordUndo(State.Grid);
  if (toClipboard) CopyRows();
  const int count = Selection.End - Selection.Start;
  auto& rows = State.Grid.Rows;
  std::move(rows.begin() + Selection.End, rows.end(), rows.begin() + Selection.Start);
  for (int row = kEditGridRows - count; row < kEditGridRows; ++row) rows[row].fill(kSpaceCode);
  // With the whole page gone, the prefix columns are gone too.
  if (count > 22) {
    State.LeftMargin = 0;
    Page.RowPrefixLength = 0;
    formatPrefix_.clear();
  }
  AfterRowCommand();
}

void TPageEditor::CutRows() { RemoveRows(true); }

void TPageEditor::DeleteRows() {
  RemoveRows(false);
  Selection.Start = Selection.End = TRowSelection::kNone;
}

void TPageEditor::PasteRows() {
  if (!Clipboard.Filled) return;
  RecordUndo(State.Grid);
  auto& rows = State.Grid.Rows;
  const int at = State.CursorRow;
  const int count = std::min(Clipboard.Count, kEditGridRows - at);
  // Rows pushed past the grid's last row are lost, and so are clipboard rows that would land
  // there.
  std::move_backward(rows.begin() + at, rows.end() - count, rows.end());
  std::copy_n(Clipboard.Rows.begin(), count, rows.begin() + at);
  AfterRowCommand();
}

void TPageEditor::AfterRowCommand() {
  Selection.Highlight = {};
  TallCaret = ApplyEditCommand(State, Page, EditCommand::None, TEditOperation::Apply).TallCaret;
}

TEditOutcome TPageEditor::SetMode(int mode) {
  if (mode > 0) mode_ = mode;
  TEditOutcome outcome = ApplyEditCommand(State, Page, ModeCommand(mode_), TEditOperation::Apply);
  State.CursorColumn = std::max(State.CursorColumn, State.LeftMargin);
  TallCaret = ApplyEditCommand(State, Page, EditCommand::None, TEditOperation::Apply).TallCaret;
  return outcome;
}

void TPageEditor::ToggleShowCodes() {
  State.ShowCodes = !State.ShowCodes;
  DecodeEditDisplay(State);
}

TFormatCheck TPageEditor::CheckFormatPrefix(const std::string& prefix,
                                            const TTextBlock& frame) const {
  const int length = static_cast<int>(prefix.size());
  if (frame.Left < length) return TFormatCheck::NoRoom;
  for (int column = Page.RowPrefixLength; column < length; ++column) {
    for (int row = kFirstEditRow; row < kPageRows; ++row) {
      const std::uint8_t b = State.Grid.At(row, column);
      if (b != kSpaceCode && b != static_cast<std::uint8_t>(prefix[column])) {
        return TFormatCheck::OverwritesText;
      }
    }
  }
  return TFormatCheck::Ready;
}

void TPageEditor::ApplyFormatPrefix(const std::string& prefix) {
  // The prefix never reaches past the columns a row prefix length can name.
  const int length = std::min<int>(static_cast<int>(prefix.size()), 7);
  RecordUndo(State.Grid);
  for (int row = kFirstEditRow; row < kPageRows; ++row) {
    for (int column = 0; column < Page.RowPrefixLength && column < kPageColumns; ++column) {
      State.Grid.At(row, column) = kSpaceCode;
    }
    for (int column = 0; column < length; ++column) {
      std::uint8_t code = static_cast<std::uint8_t>(prefix[column]);
      if (code == kFlash) code = kAlphaBlack;
      // Double height in every row would double each row's lower half again: only the even
      // rows start a double-height row.
      if ((code & kCellValueMask) == kDoubleHeight && row % 2 != 0) continue;
      State.Grid.At(row, column) = code;
    }
  }
  formatPrefix_ = prefix.substr(0, static_cast<std::size_t>(length));
  Page.RowPrefixLength = static_cast<std::uint8_t>(length);
  State.LeftMargin = length;
  State.CursorColumn = std::max(State.CursorColumn, length);
  AfterRowCommand();
}

TCaret TPageEditor::Caret() const {
  TCaret caret;
  // In block-text mode the text field shows the only caret.
  if (IsDrawMode() || mode_ == EditMode::BlockText) return caret;
  const TPixelRect cell = EditorCellRect(State.CursorColumn, State.CursorRow);
  if (State.LargeFont) {
    const int left = cell.Left + 2 + (State.HalfCell == kHalfCellRight ? kEditorCellWidth / 2 : 0);
    const int top = cell.Top - 2 * kEditorCellHeight;
    caret.Kind = TCaretKind::LargeFont;
    caret.Rect = {left, top, left + kEditorCellWidth / 2, top + 3 * kEditorCellHeight};
    return caret;
  }
  const int height = TallCaret ? 2 * kEditorCellHeight : kEditorCellHeight;
  caret.Kind = TallCaret ? TCaretKind::Double : TCaretKind::Single;
  caret.Rect = {cell.Left - 1, cell.Top - 1, cell.Left - 1 + kEditorCellWidth + 2,
                cell.Top - 1 + height + 2};
  return caret;
}

std::string TPageEditor::PositionText() const {
  return "x" + std::to_string(State.CursorColumn) + "  y" + std::to_string(State.CursorRow);
}

int TPageEditor::ControlCodeAtCursor() const {
  const std::uint8_t b = State.Grid.At(State.CursorRow, State.CursorColumn);
  return b < 0x20 ? b : -1;
}

bool TPageEditor::IsDrawMode() const {
  const TEditModeRow* row = FindEditMode(mode_);
  return row && row->Group == TModeGroup::Drawing;
}

TEditorCommandStates TPageEditor::CommandStates(const TBlockTextFieldState& field) const {
  TEditorCommandStates states;
  states.AttributeMenus = AttributeMenusEnabled();
  if (field.Shown) {
    states.Undo = field.CanUndo;
    states.CutCopyDelete = true;
    states.Paste = field.ClipboardHasText;
  } else {
    states.Undo = true;
    states.CutCopyDelete = Selection.Exists();
    states.Paste = Clipboard.Filled;
  }
  return states;
}

bool TPageEditor::AttributeCommandEnabled(int tag) const {
  if (AttributeMenusEnabled()) return true;
  return tag >= EditCommand::AlphaRed && tag <= EditCommand::AlphaWhite;
}

}  // namespace tavrel
