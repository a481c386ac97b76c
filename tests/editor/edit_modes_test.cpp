// The table of edit modes as the window and the mouse use it: every mode can be told apart and
// chosen, and the mouse reaches every drawing tool through its row alone.
#include "editor/edit_modes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editor/editor_mouse.h"
#include "editor/editor_texts.h"
#include "support/language_texts.h"

namespace tavrel {
namespace {

TEST(EditModes, EveryModeIsFoundAndToldApart) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  std::set<int> tags;
  std::set<std::string> names, shortcuts, hints, labels;
  for (const TEditModeRow& row : EditModes()) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(FindEditMode(row.Mode), &row);
    EXPECT_GT(row.Mode, 0) << "a tag of 0 or less keeps the old mode";
    EXPECT_TRUE(tags.insert(row.Mode).second) << "tag used twice";
    EXPECT_TRUE(names.insert(row.Name).second) << "object name used twice";
    EXPECT_TRUE(shortcuts.insert(row.Shortcut).second) << "shortcut used twice";
    // The status bar shows the hint: two modes with one hint could not be told apart.
    EXPECT_TRUE(hints.insert(ModeHint(row.Mode)).second) << ModeHint(row.Mode);
    if (*row.ButtonLabel != '\0') {
      EXPECT_TRUE(labels.insert(row.ButtonLabel).second) << "button face used twice";
    }
    const bool drawing = row.Group == TModeGroup::Drawing;
    EXPECT_EQ(drawing, row.Gesture != TDrawGesture::None);
    EXPECT_EQ(row.Gesture == TDrawGesture::Shape, row.Shape != nullptr);
  }
  EXPECT_EQ(FindEditMode(0), nullptr);
  EXPECT_EQ(DrawGestureOf(0), TDrawGesture::None);
}

// A page whose rows 1..23 are graphics from column 1 on: every tool has room to draw.
struct TDrawingPage {
  TPageEditor Editor{"/nonexistent/"};
  TEditorMouse Mouse{Editor};
  explicit TDrawingPage(int mode) {
    for (int row = 1; row < kPageRows; ++row) Editor.Page.Cell(row, 0) = 0x17;
    Editor.Reload();
    Editor.SetMode(mode);
  }
  // The window position at the middle of a raster pixel.
  static std::pair<int, int> At(int px, int py) {
    return {kEditorPageLeft + 2 + px * 6 + 3, kEditorPageTop + (py / 3) * 16 + (py % 3) * 5 + 2};
  }
  void Drag(TRasterPoint from, TRasterPoint to) {
    auto [x0, y0] = At(from.X, from.Y);
    Mouse.Press(x0, y0, TMouseButton::Left);
    for (int i = 1; i <= 10; ++i) {
      auto [x, y] = At(from.X + (to.X - from.X) * i / 10, from.Y + (to.Y - from.Y) * i / 10);
      Mouse.Move(x, y, true, false);
    }
    auto [x1, y1] = At(to.X, to.Y);
    Mouse.Release(x1, y1);
  }
};

TEST(EditModes, TheMouseReachesEveryDrawingTool) {
  std::set<std::string> drawings;
  int tools = 0;
  for (const TEditModeRow& row : EditModes()) {
    SCOPED_TRACE(row.Name);
    TDrawingPage page(row.Mode);
    const TEditGrid before = page.Editor.State.Grid;
    page.Drag({10, 10}, {30, 24});
    const TEditGrid& after = page.Editor.State.Grid;
    if (row.Group != TModeGroup::Drawing) {
      EXPECT_FALSE(page.Editor.IsDrawMode());
      EXPECT_EQ(after, before) << "a text mode draws nothing";
      continue;
    }
    ++tools;
    EXPECT_TRUE(page.Editor.IsDrawMode());
    EXPECT_EQ(page.Editor.Caret().Kind, TCaretKind::None);
    EXPECT_NE(after, before) << "the drag drew nothing";
    EXPECT_TRUE(page.Mouse.Preview().empty()) << "the rubber band outlived the release";
    std::string cells;
    for (const TEditRow& gridRow : after.Rows) cells.append(gridRow.begin(), gridRow.end());
    EXPECT_TRUE(drawings.insert(cells).second) << "draws what another tool draws";
    page.Editor.Undo();
    EXPECT_EQ(page.Editor.State.Grid, before) << "one Undo takes the whole drawing back";
  }
  EXPECT_GE(tools, 5);
}

}  // namespace
}  // namespace tavrel
