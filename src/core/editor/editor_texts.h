#pragma once

#include <array>
#include <string>

namespace tavrel {

// Rows of EditorTexts the page editor shows.
namespace EditorTextRow {
inline constexpr int Close = 4;
inline constexpr int Edit = 5;
inline constexpr int Undo = 6;
inline constexpr int Cut = 7;
inline constexpr int Copy = 8;
inline constexpr int Paste = 9;
inline constexpr int DeleteWithKey = 10;
inline constexpr int SelectAll = 11;
inline constexpr int InsertLine = 12;
inline constexpr int DeleteLine = 13;
inline constexpr int Insert = 15;
inline constexpr int Layout = 16;
inline constexpr int FormatColors = 17;
inline constexpr int Mode = 20;
inline constexpr int BlockText = 21;
inline constexpr int PrestelText = 22;
inline constexpr int LargeFonts = 23;
inline constexpr int LargeFont = 24;
inline constexpr int DrawFree = 25;  // ..Fill 29
inline constexpr int Invert = 30;
inline constexpr int Attributes = 31;
inline constexpr int FontColor = 32;
inline constexpr int Red = 33;  // ..White 39, then Black 40
inline constexpr int Black = 40;
inline constexpr int DrawMode = 41;
inline constexpr int GraphicColor = 42;
inline constexpr int FlashOn = 43;
inline constexpr int Steady = 45;
inline constexpr int DoubleHeight = 46;
inline constexpr int NormalHeight = 47;
inline constexpr int SeparatedGraphics = 49;
inline constexpr int ContiguousGraphics = 50;
inline constexpr int StartBox = 51;
inline constexpr int EndBox = 52;
inline constexpr int BlackBackground = 53;
inline constexpr int NewBackground = 54;
inline constexpr int HoldGraphics = 55;
inline constexpr int ReleaseGraphics = 56;
inline constexpr int Conceal = 57;
inline constexpr int Alpha = 60;
inline constexpr int Graphic = 61;
inline constexpr int View = 62;
inline constexpr int On = 64;
inline constexpr int Off = 65;
inline constexpr int Grid = 67;
inline constexpr int Language = 71;
inline constexpr int English = 72;  // ..Spanish 77
inline constexpr int SaveAsDefault = 101;
}  // namespace EditorTextRow

// The row of a colour's name by colour number (black, red, ..., white).
constexpr int ColorNameRow(int colour) {
  return colour == 0 ? EditorTextRow::Black : EditorTextRow::Red + colour - 1;
}

// The names of the 32 control codes in the editor's language, for the status bar and the
// attribute buttons' hints: "Alpha Red", "Flash On", "Double Height", "SO", ...
std::array<std::string, 32> ControlCodeNames();

// A switch item's caption: its base word and the action it performs, "Grid Off" while the grid
// is shown and "Grid On" while it is not.
std::string SwitchCaption(int baseRow, bool on);

// The hint of a mode's button: "Prestel Text", "Large Font 3", "Line", ...
std::string ModeHint(int mode);

}  // namespace tavrel
