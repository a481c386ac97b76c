#include "editor/edit_modes.h"

#include "editor/edit_engine.h"
#include "editor/editor_texts.h"
#include "editor/mosaic_tools.h"

namespace tavrel {
namespace {

// The line tool draws its start pixel too; rectangle and circle take the drawer as it is.
constexpr TShapeDrawer kLine = [](int xs, int ys, int xc, int yc, const TPixelSink& sink) {
  DrawLine(xs, ys, xc, yc, true, sink);
};

using EditMode::BlockText;
using TGroup = TModeGroup;
using TGesture = TDrawGesture;
namespace Row = EditorTextRow;
namespace Command = EditCommand;

// The editor's modes: tag, name, shortcut, button face, hint, menu group, engine command, and
// what the mouse does. Text modes send their engine command; the drawing tools send none.
constexpr TEditModeRow kEditModes[] = {
    {BlockText, "BlockText", "Shift+F1", "", Row::BlockText, 0, TGroup::Text, Command::None,
     TGesture::None, nullptr},
    {EditMode::PrestelText, "PrestelText", "Shift+F2", "T", Row::PrestelText, 0, TGroup::Text,
     Command::PrestelText, TGesture::None, nullptr},
    {EditMode::LargeFont1, "LargeFont1", "Alt+1", "1", Row::LargeFont, 1, TGroup::LargeFont,
     Command::LargeFont1, TGesture::None, nullptr},
    {EditMode::LargeFont1 + 1, "LargeFont2", "Alt+2", "2", Row::LargeFont, 2, TGroup::LargeFont,
     Command::LargeFont1 + 1, TGesture::None, nullptr},
    {EditMode::LargeFont1 + 2, "LargeFont3", "Alt+3", "3", Row::LargeFont, 3, TGroup::LargeFont,
     Command::LargeFont1 + 2, TGesture::None, nullptr},
    {EditMode::LargeFont1 + 3, "LargeFont4", "Alt+4", "4", Row::LargeFont, 4, TGroup::LargeFont,
     Command::LargeFont1 + 3, TGesture::None, nullptr},
    {EditMode::LargeFont1 + 4, "LargeFont5", "Alt+5", "5", Row::LargeFont, 5, TGroup::LargeFont,
     Command::LargeFont1 + 4, TGesture::None, nullptr},
    {EditMode::LargeFont6, "LargeFont6", "Alt+6", "6", Row::LargeFont, 6, TGroup::LargeFont,
     Command::LargeFont1 + 5, TGesture::None, nullptr},
    {EditMode::DrawFree, "DrawFree", "Shift+F3", "~", Row::DrawFree, 0, TGroup::Drawing,
     Command::None, TGesture::Stroke, nullptr},
    {EditMode::DrawLine, "DrawLine", "Shift+F4", "/", Row::DrawFree + 1, 0, TGroup::Drawing,
     Command::None, TGesture::Shape, kLine},
    {EditMode::DrawRectangle, "DrawRectangle", "Shift+F5", "\u25A1", Row::DrawFree + 2, 0,
     TGroup::Drawing, Command::None, TGesture::Shape, &DrawRectangle},
    {EditMode::DrawCircle, "DrawCircle", "Shift+F6", "\u25CB", Row::DrawFree + 3, 0,
     TGroup::Drawing, Command::None, TGesture::Shape, &DrawCircle},
    {EditMode::DrawFill, "DrawFill", "Shift+F7", "\u25A0", Row::DrawFree + 4, 0, TGroup::Drawing,
     Command::None, TGesture::Fill, nullptr},
};

}  // namespace

std::span<const TEditModeRow> EditModes() { return kEditModes; }

const TEditModeRow* FindEditMode(int mode) {
  for (const TEditModeRow& row : kEditModes) {
    if (row.Mode == mode) return &row;
  }
  return nullptr;
}

TDrawGesture DrawGestureOf(int mode) {
  const TEditModeRow* row = FindEditMode(mode);
  return row ? row->Gesture : TDrawGesture::None;
}

}  // namespace tavrel
