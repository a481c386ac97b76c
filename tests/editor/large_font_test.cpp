#include "editor/large_font.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/edit_engine.h"
#include "editor/editor_mouse.h"
#include "editor/page_editor.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

// A large font of our own with two letters, drawn here pixel row by pixel row (bit 7 leftmost):
//   L  #.......   T  #####...
//      #.......      ..#.....   (rows 1..6 of T alike)
//      ... 6 rows    ..#.....
//      #####...      ........
TLargeFontGlyphs TwoLetterFont() {
  TLargeFontGlyphs glyphs{};
  const std::uint8_t letterL[9] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0xF8, 0, 0};
  const std::uint8_t letterT[9] = {0xF8, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0, 0};
  for (int r = 0; r < 9; ++r) {
    glyphs[('L' - 0x20) * 9 + r] = letterL[r];
    glyphs[('T' - 0x20) * 9 + r] = letterT[r];
  }
  return glyphs;
}

void WriteFont(const testing::TempFolder& folder, int number, const TLargeFontGlyphs& glyphs,
               std::size_t size = kLargeFontFileSize) {
  std::string bytes(glyphs.begin(), glyphs.end());
  bytes.resize(size, '\0');
  testing::WriteBytes(folder / ("txtfont" + std::to_string(number) + ".fnt"), bytes);
}

struct TLargeFontPage {
  testing::TempFolder Folder;
  TPrestPage Page = TPrestPage::Blank();
  TEditState State;

  explicit TLargeFontPage(int number = 1) {
    WriteFont(Folder, 1, TwoLetterFont());
    State.LargeFontFolder = Folder.Path();
    ApplyEditCommand(State, Page, 0, TEditOperation::Load);
    last = Apply(static_cast<std::uint8_t>(EditCommand::LargeFont1 + number - 1));
  }
  TEditOutcome Apply(std::uint8_t command) {
    return ApplyEditCommand(State, Page, command, TEditOperation::Apply);
  }
  std::vector<int> Row(int row, int first, int count) const {
    std::vector<int> bytes;
    for (int c = first; c < first + count; ++c) bytes.push_back(State.Grid.At(row, c));
    return bytes;
  }
  TEditOutcome last;
};

TEST(LargeFont, TwoLettersBecomeMosaicsCellByCell) {
  TLargeFontPage page;
  ASSERT_TRUE(page.State.LargeFont);
  EXPECT_EQ(page.State.CursorRow, 3);  // the letter's bottom row: rows 1..3 hold it
  page.Apply('L');
  page.Apply('T');
  // Column 0 of each row gets graphics white: the rows had no colour. Then L (3 cells: a left
  // bar, and the foot of 5 pixels) and T (3 cells: the bar, and the stem on pixel column 2).
  // Sextant values: top-left 1, top-right 2, middle-left 4, middle-right 8, bottom-left 16,
  // bottom-right 64, plus 32.
  EXPECT_EQ(page.Row(1, 0, 8), (std::vector<int>{0x17, 32 + 1 + 4 + 16, 32, 32, 32 + 1 + 2,
                                                 32 + 1 + 2 + 4 + 16, 32 + 1, 32}));
  EXPECT_EQ(page.Row(2, 0, 8),
            (std::vector<int>{0x17, 32 + 1 + 4 + 16, 32, 32, 32, 32 + 1 + 4 + 16, 32, 32}));
  EXPECT_EQ(page.Row(3, 0, 8),
            (std::vector<int>{0x17, 32 + 1 + 2, 32 + 1 + 2, 32 + 1, 32, 32 + 1, 32, 32}));
  EXPECT_EQ(page.State.CursorColumn, 7);
  EXPECT_EQ(page.State.HalfCell, kHalfCellLeft);  // widths 5: odd, the next letter on a cell
  EXPECT_EQ(page.State.LeftMargin, 1);
}

TEST(LargeFont, ALetterOnTheRightHalfOfACell) {
  const TLargeGlyph glyph = BuildLargeGlyph(TwoLetterFont(), 'L', kHalfCellRight);
  EXPECT_EQ(glyph.Width, 6);
  ASSERT_EQ(glyph.CellCount, 3);
  EXPECT_EQ(glyph.Cells[0][0], 32 + 2 + 8 + 64);  // the bar on the cell's right pixel column
  EXPECT_EQ(glyph.Cells[2][0], 32 + 2);
  EXPECT_EQ(glyph.Cells[2][1], 32 + 1 + 2);
  EXPECT_EQ(glyph.Cells[2][2], 32 + 1 + 2);
  EXPECT_EQ(BuildLargeGlyph(TwoLetterFont(), ' ', kHalfCellLeft).CellCount, 0);
}

TEST(LargeFont, EdgeCases) {
  {
    SCOPED_TRACE("two Lefts move one cell");
    TLargeFontPage page;
    page.State.CursorColumn = 10;
    page.Apply(EditCommand::Left);
    EXPECT_EQ(page.State.CursorColumn, 9);
    EXPECT_EQ(page.State.HalfCell, kHalfCellRight);
    page.Apply(EditCommand::Left);
    EXPECT_EQ(page.State.CursorColumn, 9);
    EXPECT_EQ(page.State.HalfCell, kHalfCellLeft);
  }
  {
    SCOPED_TRACE("double height, insert line and conceal do nothing");
    TLargeFontPage page;
    page.State.CursorColumn = 10;
    const TEditGrid before = page.State.Grid;
    for (std::uint8_t command : {EditCommand::DoubleHeight, EditCommand::InsertLine,
                                 EditCommand::Conceal, EditCommand::NormalHeight}) {
      page.Apply(command);
    }
    EXPECT_EQ(page.State.Grid, before);
    EXPECT_EQ(page.State.CursorColumn, 10);
  }
  {
    SCOPED_TRACE("a colour code goes into all three rows as a graphics colour");
    TLargeFontPage page;
    page.State.CursorColumn = 10;
    page.Apply(EditCommand::AlphaRed);
    for (int row = 1; row <= 3; ++row) EXPECT_EQ(page.State.Grid.At(row, 10), 0x11);
    EXPECT_EQ(page.State.CursorColumn, 11);
  }
  {
    SCOPED_TRACE("a code at column 39 does nothing");
    TLargeFontPage page;
    page.State.CursorColumn = 39;
    const TEditGrid before = page.State.Grid;
    page.Apply(EditCommand::AlphaRed);
    EXPECT_EQ(page.State.Grid, before);
    EXPECT_EQ(page.State.CursorColumn, 39);
  }
  {
    SCOPED_TRACE("a letter that does not fit goes three rows down");
    TLargeFontPage page;
    page.State.CursorColumn = 38;
    page.Apply('L');
    EXPECT_EQ(page.State.CursorRow, 6);
    EXPECT_EQ(page.State.Grid.At(4, 1), 32 + 1 + 4 + 16);
    EXPECT_EQ(page.State.CursorColumn, 4);
  }
  {
    SCOPED_TRACE("Prestel text mode ends large-font typing");
    TLargeFontPage page;
    page.Apply(EditCommand::PrestelText);
    page.State.CursorColumn = 5;
    page.Apply('L');
    EXPECT_EQ(page.State.Grid.At(3, 5), 'L');
  }
}

TEST(LargeFont, AMissingOrShortFileLeavesNormalTyping) {
  for (int size : {-1, kLargeFontFileSize - 1, kLargeFontFileSize + 1}) {
    SCOPED_TRACE(size);
    TLargeFontPage page;
    if (size >= 0) WriteFont(page.Folder, 3, TwoLetterFont(), static_cast<std::size_t>(size));
    page.Apply(EditCommand::PrestelText);
    const TEditOutcome outcome = page.Apply(EditCommand::LargeFont1 + 2);
    EXPECT_EQ(outcome.Error, "Can not open file: \"" + page.Folder.Path() + "txtfont3.fnt");
    EXPECT_FALSE(page.State.LargeFont);
    page.State.CursorColumn = 5;
    page.Apply('L');
    EXPECT_EQ(page.State.Grid.At(page.State.CursorRow, 5), 'L');
  }
}

// However the cursor reaches the top of the page in large-font mode (a mouse click, a key, a
// mode switch, a line break), a letter is drawn into rows 1..23 only: the cursor row, the
// letter's bottom row, stays at 3 or below, and the caret stays on the page.
TEST(LargeFont, TheCursorRowStaysAtThreeOrBelowHoweverItGotThere) {
  struct TWay {
    const char* Name;
    std::function<void(TPageEditor&, TEditorMouse&)> Move;
    int ExpectedRow;
  };
  auto click = [](TEditorMouse& mouse, int column, int row) {
    const int x = kEditorPageLeft + 2 + column * kEditorCellWidth + kEditorCellWidth / 2;
    const int y = kEditorPageTop + (row - kFirstEditRow) * kEditorCellHeight + 8;
    mouse.Press(x, y, TMouseButton::Left);
    mouse.Release(x, y);
  };
  const int largeFont1 = EditMode::LargeFont1;
  const TWay ways[] = {
      {"a click on row 1", [&](TPageEditor&, TEditorMouse& m) { click(m, 10, 1); }, 3},
      {"a click on row 2", [&](TPageEditor&, TEditorMouse& m) { click(m, 10, 2); }, 3},
      {"a click on row 7 stays there", [&](TPageEditor&, TEditorMouse& m) { click(m, 10, 7); }, 7},
      {"the window setting row 1 directly",
       [](TPageEditor& e, TEditorMouse&) { e.State.CursorRow = 1; }, 3},
      {"a click on row 1 in a draw mode entered from large font, then large font again",
       [&](TPageEditor& e, TEditorMouse& m) {
         e.SetMode(EditMode::DrawLine);
         click(m, 10, 1);
         e.SetMode(largeFont1);
       },
       3},
      {"a click on row 1 in Prestel text, then large font",
       [&](TPageEditor& e, TEditorMouse& m) {
         e.SetMode(EditMode::PrestelText);
         click(m, 10, 1);
         e.SetMode(largeFont1);
       },
       3},
      {"Down from row 23 wraps to the top",
       [](TPageEditor& e, TEditorMouse&) {
         e.State.CursorRow = kLastEditRow;
         e.Step(EditCommand::Down);
       },
       3},
      {"Enter on row 23 wraps to the top",
       [](TPageEditor& e, TEditorMouse&) {
         e.State.CursorRow = kLastEditRow;
         e.Step(EditCommand::Enter);
       },
       3},
      {"Up from row 4 wraps to the bottom",
       [](TPageEditor& e, TEditorMouse&) {
         e.State.CursorRow = 4;
         e.Step(EditCommand::Up);
       },
       kLastEditRow},
      {"a letter that does not fit on row 23 starts again at the top",
       [](TPageEditor& e, TEditorMouse&) {
         e.State.CursorRow = kLastEditRow;
         e.State.CursorColumn = 38;
         e.Step('L');
       },
       3},
  };
  for (const TWay& way : ways) {
    SCOPED_TRACE(way.Name);
    testing::TempFolder folder;
    WriteFont(folder, 1, TwoLetterFont());
    TPageEditor editor(folder.Path());
    editor.Reload();
    TEditorMouse mouse(editor);
    ASSERT_TRUE(editor.SetMode(largeFont1).Error.empty());
    way.Move(editor, mouse);
    editor.Step(EditCommand::None);
    EXPECT_EQ(editor.State.CursorRow, way.ExpectedRow);
    EXPECT_GE(editor.Caret().Rect.Top, kEditorPageTop - 1) << "caret above the page";

    const int row = editor.State.CursorRow;
    const int column = editor.State.CursorColumn;
    editor.Step('L');
    for (int c = 0; c < kPageColumns; ++c) EXPECT_EQ(editor.State.Grid.At(0, c), ' ') << c;
    // The letter's left bar: a mosaic in each of its three rows.
    for (int r = row - 2; r <= row; ++r) {
      EXPECT_GE(editor.State.Grid.At(r, std::max(column, 1)), 32 + 1) << "row " << r;
    }
  }
}

TEST(LargeFont, TheBuiltFontsLoad) {
  for (int number = 1; number <= kLargeFontCount; ++number) {
    SCOPED_TRACE(number);
    TLargeFontGlyphs glyphs{};
    ASSERT_TRUE(LoadLargeFont(LargeFontPath(TAVREL_BINARY_DIR "/", number), glyphs));
    // Every letter has ink and fits five cells.
    for (std::uint8_t code = 'A'; code <= 'Z'; ++code) {
      const TLargeGlyph glyph = BuildLargeGlyph(glyphs, code, kHalfCellLeft);
      EXPECT_GT(glyph.CellCount, 0) << code;
    }
  }
}

}  // namespace
}  // namespace tavrel
