// The gallery entries of the page editor: a sample template as the template editor shows it,
// with attributes shown, with the grid, and in large-font mode after typing a word.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>

#include "editor/txt_ed.h"
#include "gallery.h"
#include "page/template_file.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;

// A template of the sample workspace, read without writing anything back.
std::unique_ptr<TTxtEd> EditorWithTemplate(const char* name) {
  auto editor = std::make_unique<TTxtEd>(ProgramFolder());
  const std::string path = (ProgramFolder() + "/../../data/sample/Templates/" + name).toStdString();
  TPageFile file(path);
  TPrestPage page = TPrestPage::Blank();
  file.ReadRows(page);
  page.CharSet = static_cast<std::uint8_t>(file.GetCharSet());
  editor->Editor().FrameDisplay = true;  // as the template editor shows its pages
  editor->SetPage(page, file.GetBlockText());
  editor->setWindowTitle(QString("Template Editor - ") + name);
  return editor;
}

void Trigger(TTxtEd& editor, const char* action) { editor.findChild<QAction*>(action)->trigger(); }

void Press(TTxtEd& editor, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = {}) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(editor.Canvas(), &event);
}

const TGalleryRegistration kEditorEntries({
    {"editor_template", [] { return EditorWithTemplate("news_index.tpg"); }},
    {"editor_attributes",
     [] {
       auto editor = EditorWithTemplate("news_index.tpg");
       Trigger(*editor, "MnuAttribute");
       return editor;
     }},
    {"editor_grid",
     [] {
       auto editor = EditorWithTemplate("sport_message.tpg");
       Trigger(*editor, "MnuGrid");
       for (int i = 0; i < 4; ++i) Press(*editor, Qt::Key_Down);
       return editor;
     }},
    {"editor_large_font",
     [] {
       auto editor = EditorWithTemplate("weather_message.tpg");
       editor->Editor().FrameDisplay = false;
       Trigger(*editor, "MnuModeLargeFont1");
       for (int i = 0; i < 3; ++i) Press(*editor, Qt::Key_Down);
       Trigger(*editor, "MnuAlphaYellow");  // yellow letters
       for (QChar c : QString("Sunny")) Press(*editor, 0, Qt::NoModifier, QString(c));
       return editor;
     }},
});

}  // namespace
}  // namespace tavrel::gallery
