#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "editor/edit_grid.h"
#include "editor/large_font.h"
#include "page/page_record.h"
#include "page/row_decoder.h"

namespace tavrel {

// The one-byte commands of the editing engine. Codes 32..127 are characters to type; the codes
// from 128 up are 128 plus the PC keyboard scan code of the key that once produced them, and
// stay fixed because menu items and attribute buttons carry them as tags.
namespace EditCommand {
inline constexpr std::uint8_t None = 0;
inline constexpr std::uint8_t Backspace = 8;
inline constexpr std::uint8_t Enter = 13;
inline constexpr std::uint8_t InsertLine = 14;
inline constexpr std::uint8_t DeleteLine = 25;
inline constexpr std::uint8_t HoldCharacter = 30;  // typed like a character
inline constexpr std::uint8_t PrestelText = 129;   // large-font mode off
inline constexpr std::uint8_t NormalHeight = 146;
inline constexpr std::uint8_t ReleaseGraphics = 147;
inline constexpr std::uint8_t ContiguousGraphics = 158;
inline constexpr std::uint8_t Steady = 159;
inline constexpr std::uint8_t DoubleHeight = 160;
inline constexpr std::uint8_t FlashOn = 161;
inline constexpr std::uint8_t SeparatedGraphics = 162;
inline constexpr std::uint8_t HoldGraphics = 163;
inline constexpr std::uint8_t EndBox = 164;
inline constexpr std::uint8_t StartBox = 165;
inline constexpr std::uint8_t BlackBackground = 172;
inline constexpr std::uint8_t Conceal = 174;
inline constexpr std::uint8_t NewBackground = 177;
inline constexpr std::uint8_t AlphaRed = 187;  // ..AlphaWhite 193 (F1..F7)
inline constexpr std::uint8_t AlphaWhite = 193;
inline constexpr std::uint8_t AlphaBlack = 194;  // F8
inline constexpr std::uint8_t Refresh = 195;     // F9
inline constexpr std::uint8_t Home = 199;
inline constexpr std::uint8_t Up = 200;
inline constexpr std::uint8_t Left = 203;
inline constexpr std::uint8_t Right = 205;
inline constexpr std::uint8_t End = 207;
inline constexpr std::uint8_t Down = 208;
inline constexpr std::uint8_t Delete = 211;
inline constexpr std::uint8_t GraphicRed = 232;  // ..GraphicWhite 238 (Ctrl+F1..F7)
inline constexpr std::uint8_t GraphicWhite = 238;
inline constexpr std::uint8_t GraphicBlack = 239;  // Ctrl+F8
inline constexpr std::uint8_t LargeFont1 = 248;    // ..LargeFont6 253
inline constexpr std::uint8_t LargeFont6 = 253;
}  // namespace EditCommand

// A large letter fills the cursor row and the two rows above it, so in large-font mode the
// cursor row is never above this one: the letter's top row is then the first editable row.
inline constexpr int kLargeFontTopCursorRow = kFirstEditRow + kLargeGlyphCellRows - 1;
static_assert(kLargeFontTopCursorRow == 3);

// The control code a command inserts at the cursor, or -1 when the command inserts none.
int InsertedControlCode(std::uint8_t command);

// Whether large-font mode ignores a command: line insertion and deletion, height changes,
// conceal, escape and the unused codes. Colours, flash, boxes, backgrounds, hold and release,
// the cursor keys, Home, End, Delete, Backspace and Enter keep working.
bool IgnoredInLargeFont(std::uint8_t command);

// One flag per row 0..25: 1 where a display row starts, 0 on the lower half of a double-height
// row (rows 24 and 25 are spare room for the walk).
using TRowStartFlags = std::array<std::uint8_t, kPageRows + 2>;

// Walks down from row 0: a row holding a double-height code makes the next row a lower half
// (flag 0) and the row after it a start again; any other row makes the next row a start.
TRowStartFlags RowStartFlags(const TEditGrid& grid);

// Whether the cell at (row, column) is drawn as a mosaic: scanning left from the cell before
// it, a graphics colour code is met before an alpha colour code.
bool GraphicsZone(const TEditGrid& grid, int row, int column);

enum class TEditOperation { Load, Apply, Store };

// Everything the engine works on. The editor window owns one and passes it on every call.
struct TEditState {
  TEditGrid Grid;
  // Display words of the visible rows (index row x 40 + column), decoded from the grid.
  std::array<TPrestCell, kCellGridSize> Display{};
  int CursorColumn = 0;
  int CursorRow = kFirstEditRow;
  int HalfCell = kHalfCellLeft;
  int LeftMargin = 0;
  bool InsertMode = false;
  bool ShowCodes = false;
  bool LargeFont = false;
  int LargeFontNumber = 0;
  TLargeFontGlyphs LargeFontGlyphs{};
  // Where the txtfont<n>.fnt files are: the program's folder, trailing separator included.
  std::string LargeFontFolder;
  TRowStartFlags RowStart{};
  bool RedrawNeeded = false;
  bool GraphicsZoneAtCursor = false;
  int PreviousRow = -1;
  bool PreviousRowDoubleHeight = false;
};

// What one engine call tells the window.
struct TEditOutcome {
  // The cursor cell is in a double-height row: the window shows the tall caret.
  bool TallCaret = false;
  // A message for the operator ("Can not open file: ..."), empty when there is none.
  std::string Error;
};

// The editing engine.
//  - Load: the grid from page rows 1..23, left margin from the row prefix length, cursor at the
//    margin of row 1, large-font mode off.
//  - Apply: one EditCommand, then the after-steps (row start flags, display, graphics zone,
//    caret height). Before and after the command the cursor is brought back onto the page, and
//    in large-font mode down to kLargeFontTopCursorRow, whoever moved it (the window places it
//    on a mouse click): a letter is never drawn above the first editable row.
//  - Store: grid rows 0..23 back into the page cells; the margin joins the row prefix length.
TEditOutcome ApplyEditCommand(TEditState& state, TPrestPage& page, std::uint8_t command,
                              TEditOperation operation);

// Recomputes the display words of rows 1..23 from the grid.
void DecodeEditDisplay(TEditState& state);

}  // namespace tavrel
