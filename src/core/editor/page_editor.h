#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "editor/edit_engine.h"
#include "editor/edit_grid.h"
#include "editor/edit_modes.h"
#include "page/page_record.h"

namespace tavrel {

// Where the editor window draws the page: the corner of the first shown cell (row 1, column 0)
// in the window, and the cell size of the 12 x 16 teletext font.
inline constexpr int kEditorPageLeft = 68;
inline constexpr int kEditorPageTop = 36;
inline constexpr int kEditorCellWidth = 12;
inline constexpr int kEditorCellHeight = 16;
// The size the window takes whenever a page is (re)loaded.
inline constexpr int kEditorWindowWidth = 570;
inline constexpr int kEditorWindowHeight = 480;

// A rectangle of window pixels; Right and Bottom are exclusive. An empty rectangle has no area.
struct TPixelRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TPixelRect&) const = default;
};

// The window rectangle of the cell at (column, row) of the page.
TPixelRect EditorCellRect(int column, int row);

// The rows Cut, Copy and Delete act on: Start..End-1. 255 in both means no selection.
struct TRowSelection {
  static constexpr int kNone = 255;
  int Start = kNone;
  int End = kNone;
  std::array<bool, kPageRows> Highlight{};
  bool Exists() const { return Start < End; }
};

// Whole grid rows cut or copied, for pasting at the cursor.
struct TLineClipboard {
  std::array<TEditRow, kEditGridRows> Rows{};
  int Count = 0;
  bool Filled = false;
};

// What the page format command finds before it changes anything.
enum class TFormatCheck {
  Ready,           // the prefix can be written
  NoRoom,          // the text block starts left of the prefix's end
  OverwritesText,  // the new prefix columns hold other characters or codes: ask first
};

// The caret the window shows: none in the draw modes; caret_e (one cell) or caret_d (two cells,
// on a double-height row) for text; a solid bar half a cell wide and three rows high for
// large-font lettering.
enum class TCaretKind { None, Single, Double, LargeFont };
struct TCaret {
  TCaretKind Kind = TCaretKind::None;
  TPixelRect Rect;
};

// What the block-text field offers while it is shown; the window asks the field and the
// system clipboard.
struct TBlockTextFieldState {
  bool Shown = false;
  bool CanUndo = false;
  bool ClipboardHasText = false;
};

// Which of the window's commands work now. The menu item and the tool button of a command share
// one action, and this is the one rule that enables it.
struct TEditorCommandStates {
  bool Undo = true;
  bool CutCopyDelete = false;
  bool Paste = false;
  bool AttributeMenus = true;  // the Attributes menu and Insert On/Off
};

// The page editor without its window: the page record the host hands over, the working grid
// with its undo copy, the row clipboard and selection, the edit mode and the switches. Every
// rule of the editor window lives here; the window only turns input into these calls and
// shows the result.
class TPageEditor {
 public:
  // `largeFontFolder` holds txtfont1..6.fnt, with its trailing separator.
  explicit TPageEditor(std::string largeFontFolder);

  // The page record the host writes before Reload and reads after StorePage.
  TPrestPage Page = TPrestPage::Blank();
  TTextBlock TextBlock{4, 6, 39, 22};
  // Options the host chooses.
  bool BlockTextFlag = false;
  bool FrameDisplay = false;
  int DefaultCharSet = kDefaultCharSet;

  // Takes the page record into the grid (after create, New, Open or a host change): change
  // snapshot, cursor at the margin of row 1, Prestel text (or block text) mode, switches off.
  // Answers the large-font error, if applying the mode gave one.
  TEditOutcome Reload();
  // Grid back into the page record; the text block from the frame, clamped to the page.
  void StorePage(const TTextBlock& frame);
  void StorePage() { StorePage(TextBlock); }
  // Whether the page and every recorded switch equal the snapshot of the last Reload.
  bool IsUnchanged() const;

  // One editing step: undo copy, the engine command, and the window rectangle that changed.
  // Block-text mode takes no steps: the text field gets the keys.
  struct TStep {
    TEditOutcome Outcome;
    TPixelRect Changed;
  };
  TStep Step(std::uint8_t command);
  // Restores the undo copy (the same copy however often). Answers the changed rectangle.
  TPixelRect Undo();
  // The grid as it was before the last step: the one level Undo goes back to.
  const TEditGrid& UndoCopy() const { return undoGrid_; }

  // How a change of the grid from outside the engine counts for Undo.
  enum class TUndoStep {
    New,        // a step of its own: a drawing tool's press, a shape drawn on release
    Continue,   // part of the step taken last: the moves of a free-hand stroke
    IfChanged,  // a step only when it changes the grid: the block-text field's write-back,
                // which also runs on file commands when nothing was typed
  };
  // Runs `change` on the grid (with the left margin), brings the row flags, the display and the
  // caret along, and answers the window rectangle that changed.
  TPixelRect ChangeGrid(const std::function<void(TEditGrid& grid, int leftMargin)>& change,
                        TUndoStep step);

  // Row clipboard. Cut, Copy and Delete act on the selection; Paste inserts at the cursor row.
  void SelectAll();
  void CopyRows();
  void CutRows();
  void DeleteRows();
  void PasteRows();
  bool CanCutOrCopy() const { return Selection.Exists(); }
  bool CanPaste() const { return Clipboard.Filled; }

  // Chooses an edit mode (a tag of 0 or less keeps the mode). Answers the engine's outcome,
  // which holds the message when a large font cannot be loaded.
  TEditOutcome SetMode(int mode);
  int Mode() const { return mode_; }
  bool IsDrawMode() const;

  void ToggleInsert() { State.InsertMode = !State.InsertMode; }
  void ToggleShowCodes();
  void ToggleGrid() { GridDisplay = !GridDisplay; }
  void ToggleInverse() { InverseDrawing = !InverseDrawing; }
  // The character set menu: option 0, 2, ..., 14.
  void SetCharSet(int option) { Page.CharSet = static_cast<std::uint8_t>(option); }

  // The page format command. Check first; on Ready (or after the operator agreed to
  // overwrite) Apply writes the prefix into rows 1..23.
  TFormatCheck CheckFormatPrefix(const std::string& prefix, const TTextBlock& frame) const;
  void ApplyFormatPrefix(const std::string& prefix);
  const std::string& FormatPrefix() const { return formatPrefix_; }

  // What the window shows around the page.
  TCaret Caret() const;
  // "x<column>  y<row>".
  std::string PositionText() const;
  // The control code under the cursor, or -1 on a character.
  int ControlCodeAtCursor() const;
  // Whether an attribute panel button (by its command tag) and the Attributes and Insert menu
  // items work in the current mode: in block text and the draw modes only the alpha colours
  // red to white are left.
  bool AttributeCommandEnabled(int tag) const;
  bool AttributeMenusEnabled() const { return mode_ != EditMode::BlockText && !IsDrawMode(); }
  // The commands' states: in block-text mode the field's edit commands, otherwise the row
  // selection and clipboard.
  TEditorCommandStates CommandStates(const TBlockTextFieldState& field) const;

  TEditState State;
  TLineClipboard Clipboard;
  TRowSelection Selection;
  bool GridDisplay = false;
  bool InverseDrawing = false;
  bool TallCaret = false;

 private:
  struct TSnapshot {
    TPrestPage Page;
    TTextBlock TextBlock;
    bool BlockText = false;
    bool Grid = false;
    bool ShowCodes = false;
    std::string FormatPrefix;
  };
  TSnapshot TakeSnapshot() const;
  // The one place the undo copy is taken: every edit, whichever road it comes by, records the
  // grid from before it here once.
  void RecordUndo(const TEditGrid& before) { undoGrid_ = before; }
  void RemoveRows(bool toClipboard);
  void AfterRowCommand();
  TPixelRect ChangedRect(const std::array<TPrestCell, kCellGridSize>& before) const;

  TEditGrid undoGrid_;
  int mode_ = EditMode::PrestelText;
  std::string formatPrefix_;
  TSnapshot snapshot_;
};

// The smallest window rectangle around every cell of rows 1..23 whose display word differs,
// widened by 2 pixels on each side; empty when nothing differs.
TPixelRect ChangedCellsRect(const std::array<TPrestCell, kCellGridSize>& before,
                            const std::array<TPrestCell, kCellGridSize>& after);

// A text block clamped to the page: left and top at least 0, right at most 39, bottom at most 23.
TTextBlock ClampTextBlock(TTextBlock block);

}  // namespace tavrel
