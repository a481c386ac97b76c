#include "editor/page_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/block_text.h"
#include "editor/editor_mouse.h"
#include "editor/editor_texts.h"
#include "page/cell_codes.h"
#include "support/language_texts.h"

namespace tavrel {
namespace {

// An editor holding a page whose every body row names itself ("row 5", ...).
struct TNumberedPage {
  TPageEditor Editor{"/nonexistent/"};

  TNumberedPage() {
    for (int row = 1; row < kPageRows; ++row) {
      const std::string text = "row " + std::to_string(row);
      for (std::size_t i = 0; i < text.size(); ++i) {
        Editor.Page.Cell(row, 3 + static_cast<int>(i)) = static_cast<std::uint8_t>(text[i]);
      }
    }
    Editor.Reload();
  }
  std::string Row(int row) const {
    std::string text;
    for (int c = 0; c < 10; ++c) text += static_cast<char>(Editor.State.Grid.At(row, c));
    return text;
  }
};

TEST(PageEditor, DeleteRowsClearsTheSelectionAndLeavesTheClipboard) {
  TNumberedPage page;
  page.Editor.Selection.Start = 2;
  page.Editor.Selection.End = 4;
  page.Editor.DeleteRows();
  EXPECT_EQ(page.Row(2), "   row 4  ");
  EXPECT_EQ(page.Row(21), "   row 23 ");
  EXPECT_EQ(page.Row(22), std::string(10, ' '));
  EXPECT_FALSE(page.Editor.CanCutOrCopy());
  EXPECT_FALSE(page.Editor.CanPaste());
}

// The block-text field owns the block while the mode lasts: a key or command that still reached
// the editor (a click beside the field had taken the focus to the page) changes nothing.
TEST(PageEditor, BlockTextModeTakesNoStepsIntoTheGrid) {
  TNumberedPage page;
  page.Editor.SetMode(EditMode::BlockText);
  const TEditGrid before = page.Editor.State.Grid;
  for (std::uint8_t command : {std::uint8_t{'Z'}, EditCommand::InsertLine, EditCommand::DeleteLine,
                               EditCommand::Backspace, EditCommand::AlphaRed}) {
    SCOPED_TRACE(int{command});
    EXPECT_TRUE(page.Editor.Step(command).Changed.Empty());
    EXPECT_EQ(page.Editor.State.Grid, before);
  }
}

TEST(PageEditor, FormatPrefix) {
  TNumberedPage page;
  const std::string prefix = "\x02\x0d\x08";
  const TTextBlock block{3, 6, 39, 22};
  EXPECT_EQ(page.Editor.CheckFormatPrefix(prefix, TTextBlock{2, 6, 39, 22}), TFormatCheck::NoRoom);
  EXPECT_EQ(page.Editor.CheckFormatPrefix(prefix, block), TFormatCheck::Ready);
  page.Editor.ApplyFormatPrefix(prefix);
  for (int row = 1; row < kPageRows; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(page.Editor.State.Grid.At(row, 0), 0x02);
    EXPECT_EQ(page.Editor.State.Grid.At(row, 1), row % 2 == 0 ? 0x0d : ' ');
    EXPECT_EQ(page.Editor.State.Grid.At(row, 2), 0x00);  // flash is written as alpha black
  }
  EXPECT_EQ(page.Editor.State.CursorColumn, 3);
  // A longer prefix would cover "row": ask first.
  EXPECT_EQ(page.Editor.CheckFormatPrefix("\x01\x02\x03\x04", TTextBlock{5, 6, 39, 22}),
            TFormatCheck::OverwritesText);
  page.Editor.StorePage(block);
  EXPECT_EQ(page.Editor.Page.RowPrefixLength, 3);
  EXPECT_FALSE(page.Editor.IsUnchanged());
}

TEST(PageEditor, StepsAnswerTheChangedRectangle) {
  TNumberedPage page;
  page.Editor.State.CursorRow = 5;
  page.Editor.State.CursorColumn = 10;
  const TPageEditor::TStep typed = page.Editor.Step('A');
  // Cell (10, 5): x 68 + 120, y 36 + 4 x 16, widened by 2.
  EXPECT_EQ(typed.Changed, (TPixelRect{186, 98, 202, 118}));
  EXPECT_TRUE(page.Editor.Step(EditCommand::Right).Changed.Empty());
  // A colour code changes the rest of the row; its own cell stays a black space.
  const TPixelRect red = page.Editor.Step(EditCommand::AlphaRed).Changed;
  EXPECT_EQ(red, (TPixelRect{68 + 13 * 12 - 2, 98, 68 + 480 + 2, 118}));
}

TEST(PageEditor, CaretAndStatus) {
  TNumberedPage page;
  page.Editor.State.CursorRow = 5;
  EXPECT_EQ(page.Editor.Caret().Kind, TCaretKind::Single);
  EXPECT_EQ(page.Editor.Caret().Rect, (TPixelRect{67, 99, 81, 117}));
  page.Editor.Step(EditCommand::DoubleHeight);
  EXPECT_EQ(page.Editor.Caret().Kind, TCaretKind::Double);
  page.Editor.Step(EditCommand::Left);
  EXPECT_EQ(page.Editor.ControlCodeAtCursor(), kDoubleHeight);
  EXPECT_EQ(page.Editor.PositionText(), "x0  y5");
  page.Editor.Step(EditCommand::Right);
  EXPECT_EQ(page.Editor.ControlCodeAtCursor(), -1);
  page.Editor.SetMode(EditMode::DrawLine);
  EXPECT_EQ(page.Editor.Caret().Kind, TCaretKind::None);
  EXPECT_TRUE(page.Editor.AttributeCommandEnabled(EditCommand::AlphaWhite));
  EXPECT_FALSE(page.Editor.AttributeCommandEnabled(EditCommand::AlphaBlack));
}

TEST(PageEditor, ReloadTakesASnapshot) {
  TNumberedPage page;
  EXPECT_TRUE(page.Editor.IsUnchanged());
  page.Editor.ToggleGrid();
  EXPECT_FALSE(page.Editor.IsUnchanged());
  page.Editor.ToggleGrid();
  page.Editor.SetCharSet(kCharSetSwedish);
  EXPECT_FALSE(page.Editor.IsUnchanged());
  page.Editor.Reload();
  EXPECT_TRUE(page.Editor.IsUnchanged());
  page.Editor.Step('x');
  EXPECT_TRUE(page.Editor.IsUnchanged());  // the grid reaches the page only when stored
  page.Editor.StorePage();
  EXPECT_FALSE(page.Editor.IsUnchanged());
}

// Every kind of edit is one step: one Undo brings back the exact grid from before it, however
// the edit reached the grid (engine, row clipboard, format, drawing tool, block-text field).
TEST(PageEditor, OneUndoTakesBackEachKindOfEdit) {
  using TAction = std::function<void(TPageEditor&)>;
  const TAction nothing = [](TPageEditor&) {};
  struct {
    const char* Name;
    TAction Prepare;  // what happens before the edit, and stays when it is undone
    TAction Edit;
  } const rows[] = {
      {"typing", nothing, [](TPageEditor& e) { e.Step('X'); }},
      {"a control code", nothing, [](TPageEditor& e) { e.Step(EditCommand::DoubleHeight); }},
      {"insert line", [](TPageEditor& e) { e.State.CursorRow = 4; },
       [](TPageEditor& e) { e.Step(EditCommand::InsertLine); }},
      {"delete line", [](TPageEditor& e) { e.State.CursorRow = 4; },
       [](TPageEditor& e) { e.Step(EditCommand::DeleteLine); }},
      {"large font",
       [](TPageEditor& e) { ASSERT_TRUE(e.SetMode(EditMode::LargeFont1).Error.empty()); },
       [](TPageEditor& e) { e.Step('W'); }},
      {"paste",
       [](TPageEditor& e) {
         e.SelectAll();
         e.CopyRows();
         e.State.CursorRow = 10;
       },
       [](TPageEditor& e) { e.PasteRows(); }},
      {"cut rows", [](TPageEditor& e) { e.SelectAll(); }, [](TPageEditor& e) { e.CutRows(); }},
      {"delete rows",
       [](TPageEditor& e) {
         e.Selection.Start = 3;
         e.Selection.End = 6;
       },
       [](TPageEditor& e) { e.DeleteRows(); }},
      {"format change", nothing, [](TPageEditor& e) { e.ApplyFormatPrefix("\x01\x02"); }},
      {"a drawing tool", [](TPageEditor& e) { e.SetMode(EditMode::DrawCircle); },
       [](TPageEditor& e) {
         TEditorMouse mouse(e);
         // From raster pixel (20, 20) to (26, 20): the centre and a point on the circle.
         mouse.Press(kEditorPageLeft + 2 + 20 * 6 + 3, kEditorPageTop + 6 * 16 + 2 * 5 + 2,
                     TMouseButton::Left);
         mouse.Move(kEditorPageLeft + 2 + 26 * 6 + 3, kEditorPageTop + 6 * 16 + 2 * 5 + 2, true,
                    false);
         mouse.Release(kEditorPageLeft + 2 + 26 * 6 + 3, kEditorPageTop + 6 * 16 + 2 * 5 + 2);
       }},
      {"block-text write-back", [](TPageEditor& e) { e.SetMode(EditMode::BlockText); },
       [](TPageEditor& e) {
         e.ChangeGrid([&](TEditGrid& grid,
                          int) { WriteBackBlockText(grid, e.TextBlock, {"typed in the field"}); },
                      TPageEditor::TUndoStep::IfChanged);
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TPageEditor editor(TAVREL_BINARY_DIR "/");
    for (int r = 1; r < kPageRows; ++r) {
      editor.Page.Cell(r, 0) = 0x17;  // graphics white: the drawing tools have room
      editor.Page.Cell(r, 5) = static_cast<std::uint8_t>('a' + r);
    }
    editor.Reload();
    editor.Step('q');  // an earlier step, which the Undo must not reach back to
    row.Prepare(editor);
    const TEditGrid before = editor.State.Grid;
    row.Edit(editor);
    ASSERT_NE(editor.State.Grid, before) << "the edit changed nothing";
    editor.Undo();
    EXPECT_EQ(editor.State.Grid, before);
  }
}

// The block-text field writes back on every file command even when nothing was typed: such a
// write-back is no step, so Undo still takes back the edit before it.
TEST(PageEditor, AWriteBackThatChangesNothingKeepsTheUndo) {
  TPageEditor editor(TAVREL_BINARY_DIR "/");
  editor.Reload();
  const TEditGrid blank = editor.State.Grid;
  editor.SetMode(EditMode::BlockText);
  const auto writeBack = [&](std::vector<std::string> lines) {
    return editor.ChangeGrid(
        [&](TEditGrid& grid, int) { WriteBackBlockText(grid, editor.TextBlock, lines); },
        TPageEditor::TUndoStep::IfChanged);
  };
  EXPECT_FALSE(writeBack({"Hello"}).Empty());
  const TEditGrid typed = editor.State.Grid;
  EXPECT_TRUE(writeBack({"Hello"}).Empty());
  editor.SetMode(EditMode::PrestelText);
  editor.Undo();
  EXPECT_EQ(editor.State.Grid, blank);
  EXPECT_NE(typed, blank);
}

TEST(EditorTexts, EnglishNamesOfCodesSwitchesAndModes) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  const auto names = ControlCodeNames();
  const std::vector<std::pair<int, std::string>> expected = {{0, "Alpha Black"},
                                                             {1, "Alpha Red"},
                                                             {7, "Alpha White"},
                                                             {8, "Flash On"},
                                                             {9, "Steady"},
                                                             {10, "End Box"},
                                                             {11, "Start Box"},
                                                             {12, "Normal Height"},
                                                             {13, "Double Height"},
                                                             {14, "SO"},
                                                             {15, "SI"},
                                                             {16, "Graphic Black"},
                                                             {20, "Graphic Blue"},
                                                             {24, "Conceal"},
                                                             {25, "Contiguous Graphics"},
                                                             {26, "Seperated Graphics"},
                                                             {27, "ESC"},
                                                             {28, "Black Background"},
                                                             {29, "New Background"},
                                                             {30, "Hold Graphics"},
                                                             {31, "Release Graphics"}};
  for (const auto& [code, name] : expected) EXPECT_EQ(names[code], name) << code;
  EXPECT_EQ(SwitchCaption(EditorTextRow::Grid, true), "Grid Off");
  EXPECT_EQ(SwitchCaption(EditorTextRow::Attributes, false), "Attributes On");
  EXPECT_EQ(ModeHint(EditMode::LargeFont1 + 2), "Large Font 3");
  EXPECT_EQ(ModeHint(EditMode::DrawCircle), "Circle");
}

}  // namespace
}  // namespace tavrel
