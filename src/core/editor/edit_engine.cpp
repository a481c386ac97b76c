#include "editor/edit_engine.h"

#include <algorithm>
#include <utility>

#include "page/cell_codes.h"

namespace tavrel {
namespace {

constexpr std::uint8_t Low7(std::uint8_t b) { return b & kCellValueMask; }

// Command to the control code it inserts; -1 for commands that insert none.
constexpr std::array<std::int16_t, 256> kInsertedCodes = [] {
  std::array<std::int16_t, 256> codes{};
  codes.fill(-1);
  codes[EditCommand::NormalHeight] = kNormalHeight;
  codes[EditCommand::ReleaseGraphics] = kReleaseGraphics;
  codes[EditCommand::ContiguousGraphics] = kContiguousGraphics;
  codes[EditCommand::Steady] = kSteady;
  codes[EditCommand::DoubleHeight] = kDoubleHeight;
  codes[EditCommand::FlashOn] = kFlash;
  codes[EditCommand::SeparatedGraphics] = kSeparatedGraphics;
  codes[EditCommand::HoldGraphics] = kHoldGraphics;
  codes[EditCommand::EndBox] = kEndBox;
  codes[EditCommand::StartBox] = kStartBox;
  codes[EditCommand::BlackBackground] = kBlackBackground;
  codes[EditCommand::Conceal] = kConceal;
  codes[EditCommand::NewBackground] = kNewBackground;
  for (int c = EditCommand::AlphaRed; c <= EditCommand::AlphaWhite; ++c) codes[c] = c - 186;
  codes[EditCommand::AlphaBlack] = kAlphaBlack;
  for (int c = EditCommand::GraphicRed; c <= EditCommand::GraphicWhite; ++c) codes[c] = c - 215;
  codes[EditCommand::GraphicBlack] = kGraphicBlack;
  return codes;
}();
static_assert(kInsertedCodes[187] == kAlphaRed && kInsertedCodes[193] == kAlphaWhite);
static_assert(kInsertedCodes[232] == kGraphicRed && kInsertedCodes[238] == kGraphicWhite);

// The command ranges large-font mode ignores, inclusive.
constexpr std::pair<int, int> kLargeFontIgnoredRanges[] = {
    {2, 6},     {9, 11},    {14, 26},   {130, 146}, {148, 154}, {156, 157},
    {160, 160}, {166, 171}, {173, 176}, {178, 186}, {195, 198}, {201, 202},
    {204, 204}, {206, 206}, {209, 209}, {212, 231}, {240, 247}};

constexpr std::array<bool, 256> kLargeFontIgnored = [] {
  std::array<bool, 256> ignored{};
  for (const auto& [first, last] : kLargeFontIgnoredRanges) {
    for (int c = first; c <= last; ++c) ignored[c] = true;
  }
  return ignored;
}();
static_assert(kLargeFontIgnored[EditCommand::DoubleHeight] &&
              !kLargeFontIgnored[EditCommand::Left]);

// A row is double height when it holds a double-height (or double-size) code, as the row
// decoder sees it, so the cursor never lands on a lower half the page view does not show.
bool RowIsDoubleHeight(const TEditGrid& grid, int row) {
  for (int c = 0; c < kPageColumns; ++c) {
    const std::uint8_t b = Low7(grid.At(row, c));
    if (b == kDoubleHeight || b == kDoubleSize) return true;
  }
  return false;
}

// The cursor the engine works from: on the page, and in large-font mode low enough that the
// letter's three rows (cursor row - 2 .. cursor row) are all editable rows.
void KeepCursorOnPage(TEditState& state) {
  state.CursorColumn = std::clamp(state.CursorColumn, 0, kPageColumns - 1);
  state.CursorRow = std::clamp(state.CursorRow, kFirstEditRow, kLastEditRow);
  if (state.LargeFont) state.CursorRow = std::max(state.CursorRow, kLargeFontTopCursorRow);
}

class TEngine {
 public:
  TEngine(TEditState& state) : s_(state) {}

  void Apply(std::uint8_t command, TEditOutcome& outcome);

 private:
  TEditRow& CursorRow() { return s_.Grid.Rows[s_.CursorRow]; }

  // The row start flag that decides whether `row` is a lower half: in large-font mode the
  // cursor row is the bottom of a three-row letter, so the letter's top row is tested.
  bool OnLowerHalf(int row) const {
    const int tested = s_.LargeFont ? row - 2 : row;
    return tested >= 0 && s_.RowStart[tested] == 0;
  }

  void Type(std::uint8_t code, int row) {
    TEditRow& bytes = s_.Grid.Rows[row];
    const int column = s_.CursorColumn;
    if (s_.InsertMode) {
      std::move_backward(bytes.begin() + column, bytes.end() - 1, bytes.end());
      s_.RedrawNeeded = true;
    }
    if (Low7(bytes[column]) == kDoubleHeight) s_.RedrawNeeded = true;
    bytes[column] = code;
  }

  void Up() {
    auto step = [&] {
      if (--s_.CursorRow < kFirstEditRow) s_.CursorRow = kLastEditRow;
    };
    step();
    if (OnLowerHalf(s_.CursorRow)) step();
    if (s_.LargeFont && s_.CursorRow < kFirstEditRow + 3) s_.CursorRow = kLastEditRow;
  }

  void Down() {
    auto step = [&] {
      if (++s_.CursorRow > kLastEditRow) s_.CursorRow = kFirstEditRow;
    };
    step();
    if (OnLowerHalf(s_.CursorRow)) step();
    if (s_.LargeFont && s_.CursorRow < kLargeFontTopCursorRow) {
      s_.CursorRow = kLargeFontTopCursorRow;
    }
  }

  void ToggleHalf() { s_.HalfCell = s_.HalfCell == kHalfCellLeft ? kHalfCellRight : kHalfCellLeft; }

  void Right() {
    ToggleHalf();
    if (!s_.LargeFont || s_.HalfCell == kHalfCellLeft) ++s_.CursorColumn;
    if (s_.CursorColumn >= kPageColumns) {
      s_.CursorColumn = s_.LeftMargin;
      Down();
    }
  }

  void Left() {
    ToggleHalf();
    if (!s_.LargeFont || s_.HalfCell == kHalfCellRight) --s_.CursorColumn;
    if (s_.CursorColumn < 0) {
      s_.CursorColumn = kPageColumns - 1;
      Up();
    }
  }

  void End() {
    const TEditRow& bytes = CursorRow();
    int column = kPageColumns - 1;
    while (column > s_.LeftMargin && Low7(bytes[column]) == kSpaceCode) --column;
    s_.CursorColumn = std::min(column + 1, kPageColumns - 1);
    s_.HalfCell = kHalfCellLeft;
  }

  // Removes the byte at the cursor column of `row`: the hidden columns move back into view.
  void ShiftLeft(int row) {
    if (row < 0) return;
    TEditRow& bytes = s_.Grid.Rows[row];
    std::move(bytes.begin() + s_.CursorColumn + 1, bytes.end(), bytes.begin() + s_.CursorColumn);
    bytes.back() = kSpaceCode;
  }

  void Backspace() {
    s_.HalfCell = kHalfCellLeft;
    if (--s_.CursorColumn < s_.LeftMargin || s_.CursorColumn < 0) {
      s_.CursorColumn = kPageColumns - 1;
      Up();
    }
    ShiftLeft(s_.CursorRow);
    if (s_.LargeFont && s_.CursorRow > 1) {
      ShiftLeft(s_.CursorRow - 1);
      ShiftLeft(s_.CursorRow - 2);
    }
  }

  void DeleteAtCursor() {
    ShiftLeft(s_.CursorRow);
    if (s_.LargeFont && s_.CursorRow > 2) {
      ShiftLeft(s_.CursorRow - 1);
      ShiftLeft(s_.CursorRow - 2);
    }
    s_.RedrawNeeded = true;
  }

  void NewLine() {
    s_.CursorColumn = s_.LeftMargin;
    s_.HalfCell = kHalfCellLeft;
    if (s_.LargeFont) {
      if (s_.CursorRow <= 21) {
        Down();
        Down();
      } else if (s_.CursorRow == 22) {
        Down();
      }
    }
    Down();
  }

  void InsertLine() {
    auto& rows = s_.Grid.Rows;
    const int row = s_.CursorRow;
    std::move_backward(rows.begin() + row, rows.end() - 1, rows.end());
    std::fill(rows[row].begin() + s_.LeftMargin, rows[row].end(), kSpaceCode);
    s_.CursorColumn = s_.LeftMargin;
    s_.RedrawNeeded = true;
  }

  void DeleteLine() {
    auto& rows = s_.Grid.Rows;
    std::move(rows.begin() + s_.CursorRow + 1, rows.end(), rows.begin() + s_.CursorRow);
    std::fill(rows.back().begin() + s_.LeftMargin, rows.back().end(), kSpaceCode);
    s_.CursorColumn = s_.LeftMargin;
    s_.RedrawNeeded = true;
  }

  void InsertCode(std::uint8_t code) {
    if (!s_.LargeFont) {
      TypeCharacter(code);
      return;
    }
    if (s_.CursorColumn >= kPageColumns - 1) return;
    // Large letters are mosaics: an alpha colour would break them, so it becomes the graphics
    // colour of the same colour.
    if (code <= kAlphaWhite) code |= 0x10;
    for (int row = s_.CursorRow - 2; row <= s_.CursorRow; ++row) {
      if (row >= 0) Type(code, row);
    }
    ++s_.CursorColumn;
  }

  void TypeCharacter(std::uint8_t code) {
    if (s_.LargeFont) {
      TypeLargeLetter(code);
      return;
    }
    Type(code, s_.CursorRow);
    Right();
  }

  void NextLargeLine() {
    s_.CursorColumn = s_.LeftMargin;
    s_.HalfCell = kHalfCellLeft;
    s_.CursorRow += kLargeGlyphCellRows;
    if (s_.CursorRow > kLastEditRow) s_.CursorRow = kLargeFontTopCursorRow;
  }

  // Gives each of the letter's three rows a graphics colour left of the cursor.
  void PrepareLargeRow(int row) {
    TEditRow& bytes = s_.Grid.Rows[row];
    for (int c = s_.CursorColumn - 1; c >= 0; --c) {
      if (IsAlphaColorCode(bytes[c]) || IsGraphicColorCode(bytes[c])) {
        bytes[c] |= 0x10;
        return;
      }
    }
    bytes[0] = kGraphicWhite;
    if (s_.CursorColumn == 0) s_.CursorColumn = 1;
    s_.LeftMargin = 1;
  }

  void TypeLargeLetter(std::uint8_t code) {
    if (code < 0x20 || code > 0x7F) return;
    TLargeGlyph glyph = BuildLargeGlyph(s_.LargeFontGlyphs, code, s_.HalfCell);
    if (kPageColumns - s_.CursorColumn < glyph.CellCount) {
      NextLargeLine();
      glyph = BuildLargeGlyph(s_.LargeFontGlyphs, code, s_.HalfCell);
    }
    for (int row = s_.CursorRow - 2; row <= s_.CursorRow; ++row) PrepareLargeRow(row);
    const int start = s_.CursorColumn;
    for (int cellRow = 0; cellRow < kLargeGlyphCellRows; ++cellRow) {
      const int row = s_.CursorRow - 2 + cellRow;
      for (int cell = 0; cell < glyph.CellCount; ++cell) {
        s_.CursorColumn = start + cell;
        Type(glyph.Cells[cellRow][cell], row);
      }
    }
    s_.CursorColumn = start + glyph.CellCount;
    // One blank pixel column before the next letter.
    s_.HalfCell = glyph.Width % 2 == 0 ? kHalfCellRight : kHalfCellLeft;
    if (s_.CursorColumn >= kPageColumns) NextLargeLine();
  }

  void LargeFontOn(int number, TEditOutcome& outcome) {
    const std::string path = LargeFontPath(s_.LargeFontFolder, number);
    if (!LoadLargeFont(path, s_.LargeFontGlyphs)) {
      outcome.Error = LargeFontOpenError(path);
      s_.LargeFont = false;
      return;
    }
    s_.LargeFont = true;
    s_.LargeFontNumber = number;
    s_.CursorRow = std::max(s_.CursorRow, kLargeFontTopCursorRow);
    s_.HalfCell = kHalfCellLeft;
  }

  TEditState& s_;
};

void TEngine::Apply(std::uint8_t command, TEditOutcome& outcome) {
  if (s_.LargeFont && kLargeFontIgnored[command]) command = EditCommand::None;
  const int inserted = kInsertedCodes[command];
  if (inserted >= 0) {
    InsertCode(static_cast<std::uint8_t>(inserted));
    if (command == EditCommand::DoubleHeight) s_.RedrawNeeded = true;
    return;
  }
  if (command >= EditCommand::LargeFont1 && command <= EditCommand::LargeFont6) {
    LargeFontOn(command - EditCommand::LargeFont1 + 1, outcome);
    return;
  }
  switch (command) {
    case EditCommand::None:
    case EditCommand::Refresh:
      s_.RedrawNeeded = true;
      return;
    case EditCommand::Backspace:
      Backspace();
      return;
    case EditCommand::Enter:
      NewLine();
      return;
    case EditCommand::InsertLine:
      InsertLine();
      return;
    case EditCommand::DeleteLine:
      DeleteLine();
      return;
    case EditCommand::HoldCharacter:
      TypeCharacter(command);
      return;
    case EditCommand::PrestelText:
      s_.LargeFont = false;
      return;
    case EditCommand::Home:
      s_.CursorColumn = s_.LeftMargin;
      s_.HalfCell = kHalfCellLeft;
      return;
    case EditCommand::Up:
      Up();
      return;
    case EditCommand::Down:
      Down();
      return;
    case EditCommand::Left:
      Left();
      return;
    case EditCommand::Right:
      Right();
      return;
    case EditCommand::End:
      End();
      return;
    case EditCommand::Delete:
      DeleteAtCursor();
      return;
    default:
      break;
  }
  if (command >= 0x20 && command <= 0x7F) TypeCharacter(command);
}

}  // namespace

int InsertedControlCode(std::uint8_t command) { return kInsertedCodes[command]; }

bool IgnoredInLargeFont(std::uint8_t command) { return kLargeFontIgnored[command]; }

TRowStartFlags RowStartFlags(const TEditGrid& grid) {
  TRowStartFlags flags{};
  flags[0] = 1;
  int row = 0;
  while (row < kPageRows) {
    if (RowIsDoubleHeight(grid, row)) {
      flags[row + 1] = 0;
      flags[row + 2] = 1;
      row += 2;
    } else {
      flags[row + 1] = 1;
      row += 1;
    }
  }
  return flags;
}

bool GraphicsZone(const TEditGrid& grid, int row, int column) {
  for (int c = column - 1; c >= 0; --c) {
    const std::uint8_t b = grid.At(row, c);
    if (IsGraphicColorCode(b)) return true;
    if (IsAlphaColorCode(b)) return false;
  }
  return false;
}

void DecodeEditDisplay(TEditState& state) {
  std::array<std::uint8_t, kPageCells> cells;
  for (int row = 0; row < kPageRows; ++row) {
    std::copy_n(state.Grid.Rows[row].begin(), kPageColumns, cells.begin() + row * kPageColumns);
  }
  DecodePage(cells, kFirstEditRow, state.ShowCodes, state.Display);
}

TEditOutcome ApplyEditCommand(TEditState& state, TPrestPage& page, std::uint8_t command,
                              TEditOperation operation) {
  TEditOutcome outcome;
  switch (operation) {
    case TEditOperation::Load:
      state.Grid.FillSpaces();
      for (int row = kFirstEditRow; row < kPageRows; ++row) {
        for (int c = 0; c < kPageColumns; ++c) state.Grid.At(row, c) = page.Cell(row, c);
      }
      state.LeftMargin = page.RowPrefixLength & 7;
      state.CursorColumn = state.LeftMargin;
      state.CursorRow = kFirstEditRow;
      state.HalfCell = kHalfCellLeft;
      state.RedrawNeeded = true;
      state.PreviousRow = -1;
      state.RowStart = RowStartFlags(state.Grid);
      state.LargeFont = false;
      DecodeEditDisplay(state);
      return outcome;
    case TEditOperation::Store:
      for (int row = 0; row < kPageRows; ++row) {
        for (int c = 0; c < kPageColumns; ++c) page.Cell(row, c) = state.Grid.At(row, c);
      }
      page.RowPrefixLength |= static_cast<std::uint8_t>(state.LeftMargin & 7);
      return outcome;
    case TEditOperation::Apply:
      break;
  }
  KeepCursorOnPage(state);
  TEngine(state).Apply(command, outcome);
  KeepCursorOnPage(state);
  // After-steps. The flags and the display are recomputed after every command, not only when
  // a command asks for it: a Backspace over a double-height code changes which rows are lower
  // halves just as much as a Delete does, and the whole page decodes in microseconds.
  state.RedrawNeeded = false;
  state.RowStart = RowStartFlags(state.Grid);
  DecodeEditDisplay(state);
  state.GraphicsZoneAtCursor = GraphicsZone(state.Grid, state.CursorRow, state.CursorColumn);
  state.PreviousRow = state.CursorRow;
  state.PreviousRowDoubleHeight = RowIsDoubleHeight(state.Grid, state.CursorRow);
  outcome.TallCaret =
      state.CursorRow != kLastEditRow &&
      CellDoubleHeight(state.Display[state.CursorRow * kPageColumns + state.CursorColumn]);
  return outcome;
}

}  // namespace tavrel
