#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace tavrel {

// The edit modes; menu items and mode buttons carry these numbers as tags. The window's menus
// and buttons, the status bar's hint and the mouse know a mode only through its row in
// EditModes(). A new drawing tool is therefore a row in edit_modes.cpp, its hint's texts in
// the language texts, and, for a shape, its drawing function beside the others in
// mosaic_tools.cpp.
namespace EditMode {
inline constexpr int PrestelText = 1;
inline constexpr int BlockText = 2;
inline constexpr int LargeFont1 = 3;  // ..LargeFont6 8
inline constexpr int LargeFont6 = 8;
inline constexpr int DrawFree = 9;
inline constexpr int DrawLine = 10;
inline constexpr int DrawRectangle = 11;
inline constexpr int DrawCircle = 12;
inline constexpr int DrawFill = 13;
}  // namespace EditMode

// Where a mode sits in the Mode menu and the tool bar: text modes at the top, the large fonts
// and the drawing tools in submenus of their own, each group a run of tool bar buttons.
enum class TModeGroup { Text, LargeFont, Drawing };

// What the mouse does in a mode:
//  - Stroke: the press and every move with a button down plot one pixel (free hand);
//  - Fill: the press fills the region around the pressed pixel;
//  - Shape: a drag shows a rubber band from the press to the pointer, the release draws it.
enum class TDrawGesture { None, Stroke, Fill, Shape };

// A shape from the start pixel (xs, ys) to the current pixel (xc, yc), pixel by pixel.
using TShapeDrawer = void (*)(int xs, int ys, int xc, int yc,
                              const std::function<void(int px, int py)>& sink);

// One edit mode as the editor offers it.
struct TEditModeRow {
  int Mode;                    // the tag of its menu item and button
  const char* Name;            // object names MnuMode<Name> and BtnMode<Name>
  const char* Shortcut;        // portable key text ("Shift+F3")
  const char* ButtonLabel;     // UTF-8 face of its tool bar button; empty: menu only
  int HintRow;                 // the editor text of its hint and menu caption
  int HintNumber;              // when > 0, written after the hint ("Large Font 3")
  TModeGroup Group;            //
  std::uint8_t EngineCommand;  // sent to the engine when the mode is chosen
  TDrawGesture Gesture;        // None outside the drawing tools
  TShapeDrawer Shape;          // for the Shape gesture
};

// Every mode, in menu and tool bar order.
std::span<const TEditModeRow> EditModes();
// The row of a mode, or null for a number that is no mode.
const TEditModeRow* FindEditMode(int mode);
// The gesture of a mode (None for text modes and unknown numbers).
TDrawGesture DrawGestureOf(int mode);

}  // namespace tavrel
