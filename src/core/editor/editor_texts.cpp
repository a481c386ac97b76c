#include "editor/editor_texts.h"

#include "editor/edit_modes.h"
#include "support/language_texts.h"

namespace tavrel {
namespace {

std::string Text(int row) { return std::string(EditorText(row)); }

}  // namespace

std::array<std::string, 32> ControlCodeNames() {
  std::array<std::string, 32> names;
  for (int colour = 0; colour < 8; ++colour) {
    names[colour] = Text(EditorTextRow::Alpha) + " " + Text(ColorNameRow(colour));
    names[16 + colour] = Text(EditorTextRow::Graphic) + " " + Text(ColorNameRow(colour));
  }
  names[8] = Text(EditorTextRow::FlashOn);
  names[9] = Text(EditorTextRow::Steady);
  names[10] = Text(EditorTextRow::EndBox);
  names[11] = Text(EditorTextRow::StartBox);
  names[12] = Text(EditorTextRow::NormalHeight);
  names[13] = Text(EditorTextRow::DoubleHeight);
  names[14] = "SO";
  names[15] = "SI";
  names[24] = Text(EditorTextRow::Conceal);
  names[25] = Text(EditorTextRow::ContiguousGraphics);
  names[26] = Text(EditorTextRow::SeparatedGraphics);
  names[27] = "ESC";
  names[28] = Text(EditorTextRow::BlackBackground);
  names[29] = Text(EditorTextRow::NewBackground);
  names[30] = Text(EditorTextRow::HoldGraphics);
  names[31] = Text(EditorTextRow::ReleaseGraphics);
  return names;
}

std::string SwitchCaption(int baseRow, bool on) {
  return Text(baseRow) + " " + Text(on ? EditorTextRow::Off : EditorTextRow::On);
}

std::string ModeHint(int mode) {
  const TEditModeRow* row = FindEditMode(mode);
  if (!row) return Text(EditorTextRow::PrestelText);
  std::string hint = Text(row->HintRow);
  if (row->HintNumber > 0) hint += " " + std::to_string(row->HintNumber);
  return hint;
}

}  // namespace tavrel
