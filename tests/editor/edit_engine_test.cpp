#include "editor/edit_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/editor_keys.h"
#include "page/cell_codes.h"

namespace tavrel {
namespace {

constexpr const char* kFullRow = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";

struct TRowText {
  int Row;
  int Column;
  std::string Text;
};

// A page with the given rows, loaded into a fresh engine state.
struct TLoadedPage {
  TPrestPage Page = TPrestPage::Blank();
  TEditState State;

  TLoadedPage(const std::vector<TRowText>& rows, int prefixLength) {
    for (const TRowText& row : rows) {
      for (std::size_t i = 0; i < row.Text.size(); ++i) {
        Page.Cell(row.Row, row.Column + static_cast<int>(i)) =
            static_cast<std::uint8_t>(row.Text[i]);
      }
    }
    Page.RowPrefixLength = static_cast<std::uint8_t>(prefixLength);
    ApplyEditCommand(State, Page, 0, TEditOperation::Load);
  }
  TEditOutcome Apply(std::uint8_t command) {
    return ApplyEditCommand(State, Page, command, TEditOperation::Apply);
  }
  std::string GridText(int row, int column, std::size_t length) const {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
      text += static_cast<char>(State.Grid.At(row, column + static_cast<int>(i)));
    }
    return text;
  }
};

struct TEngineCase {
  const char* Name;
  std::vector<TRowText> Rows;
  int PrefixLength;
  bool InsertMode;
  int StartColumn, StartRow;
  std::vector<std::uint8_t> Commands;
  int Column, Row;
  std::vector<TRowText> Expected;  // grid bytes after the commands
};

std::vector<std::uint8_t> Keys(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> Join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<TEngineCase> kEngineCases = {
    {"overwrite at the last cell goes to the margin of row 1",
     {},
     0,
     false,
     39,
     23,
     Keys("X"),
     0,
     1,
     {{23, 39, "X"}}},
    {"insert pushes the row's end into the hidden columns",
     {{5, 0, kFullRow}},
     0,
     true,
     0,
     5,
     Keys("vwxyz"),
     5,
     5,
     {{5, 0, "vwxyzABC"}, {5, 35, "efghijklmn "}}},
    {"deletes bring the hidden columns back",
     {{5, 0, kFullRow}},
     0,
     true,
     0,
     5,
     Join(Keys("vwxyz"), {EditCommand::Home, EditCommand::Delete, EditCommand::Delete,
                          EditCommand::Delete, EditCommand::Delete, EditCommand::Delete}),
     0,
     5,
     {{5, 0, std::string(kFullRow) + "     "}}},
    {"up from row 1 wraps to row 23", {}, 0, false, 4, 1, {EditCommand::Up}, 4, 23, {}},
    {"up onto a lower half lands on its upper half",
     {{5, 0,
       "\x0d"
       "Big"}},
     0,
     false,
     3,
     7,
     {EditCommand::Up},
     3,
     5,
     {}},
    {"down skips a lower half",
     {{5, 0,
       "\x0d"
       "Big"}},
     0,
     false,
     3,
     5,
     {EditCommand::Down},
     3,
     7,
     {}},
    {"down below a double-height row 22 wraps to row 1",
     {{22, 0, "\x0d"}},
     0,
     false,
     0,
     22,
     {EditCommand::Down},
     0,
     1,
     {}},
    {"end on a row blank right of a 3-column margin",
     {{4, 0, "\x01\x02\x03"}},
     3,
     false,
     10,
     4,
     {EditCommand::End},
     4,
     4,
     {}},
    {"end goes right of the last character",
     {{4, 0, "Hello there"}},
     0,
     false,
     0,
     4,
     {EditCommand::End},
     11,
     4,
     {}},
    {"end on a full row stays on column 39",
     {{4, 0, kFullRow}},
     0,
     false,
     0,
     4,
     {EditCommand::End},
     39,
     4,
     {}},
    {"home goes to the margin", {}, 2, false, 20, 4, {EditCommand::Home}, 2, 4, {}},
    {"backspace at the margin deletes column 39 of the row above",
     {{2, 0, kFullRow},
      {3, 0,
       "\x01\x02"
       "abc"}},
     2,
     false,
     2,
     3,
     {EditCommand::Backspace},
     39,
     2,
     {{2, 37, "lm "},
      {3, 0,
       "\x01\x02"
       "abc"}}},
    {"backspace deletes left of the cursor",
     {{3, 0, "abcd"}},
     0,
     false,
     2,
     3,
     {EditCommand::Backspace},
     1,
     3,
     {{3, 0, "acd "}}},
    {"left from column 0 goes to column 39 of the row above",
     {},
     0,
     false,
     0,
     2,
     {EditCommand::Left},
     39,
     1,
     {}},
    {"right from column 39 goes to the margin of the next row",
     {},
     3,
     false,
     39,
     2,
     {EditCommand::Right},
     3,
     3,
     {}},
    {"enter goes to the margin of the next row",
     {},
     1,
     false,
     17,
     5,
     {EditCommand::Enter},
     1,
     6,
     {}},
    {"enter on row 23 wraps to row 1", {}, 0, false, 17, 23, {EditCommand::Enter}, 0, 1, {}},
    {"insert line carries the margin columns",
     {{5, 0, "\x01\x02Text"}, {6, 0, "\x03\x04More"}},
     2,
     false,
     9,
     5,
     {EditCommand::InsertLine},
     2,
     5,
     {{5, 0, "\x01\x02    "}, {6, 0, "\x01\x02Text"}, {7, 0, "\x03\x04More"}}},
    {"delete line moves the rows below up",
     {{5, 0, "One"}, {6, 0, "Two"}, {23, 0, "Last"}},
     0,
     false,
     2,
     5,
     {EditCommand::DeleteLine},
     0,
     5,
     {{5, 0, "Two"}, {6, 0, "   "}, {22, 0, "Last"}, {23, 0, "    "}}},
    {"the hold character 30 is typed, tab and escape are not",
     {},
     0,
     false,
     0,
     1,
     {30, 9, 27, 'a'},
     2,
     1,
     {{1, 0,
       "\x1e"
       "a "}}},
    {"overwriting keeps the rest of the row",
     {{1, 0, "abc"}},
     0,
     false,
     1,
     1,
     Keys("X"),
     2,
     1,
     {{1, 0, "aXc"}}},
    {"an unknown command changes nothing",
     {{1, 0, "abc"}},
     0,
     false,
     1,
     1,
     {128, 155, 196},
     1,
     1,
     {{1, 0, "abc"}}},
};

TEST(EditEngine, CommandsMoveTheCursorAndChangeTheGrid) {
  for (const TEngineCase& c : kEngineCases) {
    SCOPED_TRACE(c.Name);
    TLoadedPage page(c.Rows, c.PrefixLength);
    page.State.InsertMode = c.InsertMode;
    page.State.CursorColumn = c.StartColumn;
    page.State.CursorRow = c.StartRow;
    for (std::uint8_t command : c.Commands) page.Apply(command);
    EXPECT_EQ(page.State.CursorColumn, c.Column);
    EXPECT_EQ(page.State.CursorRow, c.Row);
    for (const TRowText& row : c.Expected) {
      EXPECT_EQ(page.GridText(row.Row, row.Column, row.Text.size()), row.Text) << "row " << row.Row;
    }
  }
}

// Every command that inserts a control code, with the code it must write (by hand from the
// attribute panel's labels, not from the engine's table).
TEST(EditEngine, ControlCodeCommandsWriteTheirCode) {
  const std::vector<std::pair<int, int>> commands = {
      {146, 0x0C}, {147, 0x1F}, {158, 0x19}, {159, 0x09}, {160, 0x0D}, {161, 0x08}, {162, 0x1A},
      {163, 0x1E}, {164, 0x0A}, {165, 0x0B}, {172, 0x1C}, {174, 0x18}, {177, 0x1D}, {187, 0x01},
      {190, 0x04}, {193, 0x07}, {194, 0x00}, {232, 0x11}, {235, 0x14}, {238, 0x17}, {239, 0x10}};
  for (const auto& [command, code] : commands) {
    SCOPED_TRACE(command);
    TLoadedPage page({{6, 0, "abcdefgh"}}, 0);
    page.State.CursorColumn = 5;
    page.State.CursorRow = 6;
    page.Apply(static_cast<std::uint8_t>(command));
    EXPECT_EQ(page.State.Grid.At(6, 5), code);
    EXPECT_EQ(page.State.CursorColumn, 6);
    EXPECT_EQ(page.GridText(6, 0, 5), "abcde");
  }
}

TEST(EditEngine, RowStartFlagsAndTallCaretFollowDoubleHeightRows) {
  TLoadedPage page({{3, 0, "\x0d"}, {4, 0, "\x0d"}, {8, 4, "x\x8d"}}, 0);
  const TRowStartFlags flags = page.State.RowStart;
  // Row 3 doubles, so 4 is its lower half even though it holds a code; 8's code has bit 7 set.
  const std::vector<int> expected = {1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 1};
  for (std::size_t row = 0; row < expected.size(); ++row) {
    EXPECT_EQ(flags[row], expected[row]) << "row " << row;
  }
  page.State.CursorRow = 8;
  page.State.CursorColumn = 10;
  EXPECT_TRUE(page.Apply(EditCommand::None).TallCaret);
  page.State.CursorRow = 2;
  EXPECT_FALSE(page.Apply(EditCommand::None).TallCaret);
  // Deleting the code with Backspace makes row 9 an ordinary row again.
  page.State.CursorRow = 8;
  page.State.CursorColumn = 6;
  page.Apply(EditCommand::Backspace);
  EXPECT_EQ(page.State.RowStart[9], 1);
  EXPECT_FALSE(CellDoubleHeight(page.State.Display[9 * kPageColumns]));
}

TEST(EditEngine, GraphicsZoneIsTheNearestColourCodeToTheLeft) {
  const std::vector<std::tuple<std::string, int, bool>> cases = {{"ab", 1, false},
                                                                 {"\x12"
                                                                  "abc",
                                                                  3, true},
                                                                 {"\x12\x03"
                                                                  "ab",
                                                                  3, false},
                                                                 {"\x02\x92"
                                                                  "ab",
                                                                  3, true},
                                                                 {"\x12"
                                                                  "ab",
                                                                  0, false}};
  for (const auto& [text, column, zone] : cases) {
    SCOPED_TRACE(text);
    TLoadedPage page({{4, 0, text}}, 0);
    EXPECT_EQ(GraphicsZone(page.State.Grid, 4, column), zone);
  }
}

TEST(EditEngine, LoadAndStoreRoundTripThePageRowsAndMargin) {
  TLoadedPage page({{0, 0, "header"}, {1, 0, "\x81\x02first"}, {23, 30, "last row"}}, 2);
  EXPECT_EQ(page.State.CursorColumn, 2);
  EXPECT_EQ(page.State.CursorRow, 1);
  EXPECT_EQ(page.GridText(0, 0, 6), "      ");  // the header row is not edited
  EXPECT_EQ(page.State.Grid.At(1, 0), 0x81);    // bit 7 is carried along
  EXPECT_EQ(page.GridText(30, 0, 80), std::string(80, ' '));
  TPrestPage stored = TPrestPage::Blank();
  ApplyEditCommand(page.State, stored, 0, TEditOperation::Store);
  EXPECT_EQ(stored.RowPrefixLength, 2);
  EXPECT_EQ(stored.Cell(1, 0), 0x81);
  EXPECT_EQ(stored.Cell(23, 37), 'w');
  EXPECT_EQ(stored.Cell(0, 0), ' ');
}

TEST(EditorKeys, KeysAndTypedCharactersBecomeCommands) {
  EXPECT_EQ(KeyDownCommand(TEditorKey::End), 207);
  EXPECT_EQ(KeyDownCommand(TEditorKey::Home), 199);
  EXPECT_EQ(KeyDownCommand(TEditorKey::Left), 203);
  EXPECT_EQ(KeyDownCommand(TEditorKey::Up), 200);
  EXPECT_EQ(KeyDownCommand(TEditorKey::Right), 205);
  EXPECT_EQ(KeyDownCommand(TEditorKey::Down), 208);
  EXPECT_EQ(KeyDownCommand(TEditorKey::Delete), 211);
  EXPECT_EQ(KeyDownCommand(TEditorKey::F9), 195);
  EXPECT_EQ(KeyDownCommand(TEditorKey::Other), 0);
  EXPECT_EQ(TypedCharacterCommand(12, kCharSetGerman), std::nullopt);
  EXPECT_EQ(TypedCharacterCommand('a', kCharSetGerman), 'a');
  // An a-umlaut is the German set's code 0x7B; an English page has none and shows a plain a.
  EXPECT_EQ(TypedCharacterCommand(0xE4, kCharSetGerman), 0x7B);
  EXPECT_EQ(TypedCharacterCommand(0xE4, kCharSetEnglish), 'a');
}

}  // namespace
}  // namespace tavrel
