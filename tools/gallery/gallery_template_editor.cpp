// The gallery's sequence of an operator's day with the template editor, on a fresh home: the
// empty template, the drawn one, the saved one, the category that uses it, and the Preview of a
// page laid into it.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "app/main_form.h"
#include "editor/template_editor_form.h"
#include "gallery.h"
#include "gui/template_day_script.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/page_list_edit_dlg.h"
#include "pipeline/settings_store.h"
#include "transfer/feed_fetch.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;

// The fresh home of the day, with the recent-files list kept apart from the user's settings.
struct TFreshHome {
  TFreshHome() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings.path());
    const std::string home = Folder.path().toStdString() + "/";
    std::filesystem::create_directories(home + "Feed");
    std::ofstream(home + "Feed/news.xml")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><message>"
           "<title>Harbour bridge reopens</title><category>News</category>"
           "<text>The harbour bridge opened again this morning after two weeks of repairs. "
           "Buses take their old routes from tomorrow.</text></message></root>";
    Globals = std::make_unique<TRIGlobals>(home);
    Globals->XMLFilePath = "Feed/news.xml";
  }
  QString Template() const { return QString::fromStdString(Globals->TemplatesDir) + "daily.tpg"; }
  QTemporaryDir Settings;
  QTemporaryDir Folder;
  std::unique_ptr<TRIGlobals> Globals;
};

TFreshHome& Home() {
  static TFreshHome home;
  return home;
}

std::unique_ptr<TPTXTTemplateEditorForm> Editor() {
  auto form = std::make_unique<TPTXTTemplateEditorForm>(
      ProgramFolder(), QString::fromStdString(Home().Globals->TemplatesDir), 8);
  form->show();
  return form;
}

std::unique_ptr<QWidget> Drawn() {
  auto form = Editor();
  day::DrawDayTemplate(*form);
  return form;
}

// Save names the template through the save dialog.
std::unique_ptr<QWidget> Saved() {
  auto form = Editor();
  day::DrawDayTemplate(*form);
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("daily");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  timer->start(10);
  form->findChild<QToolButton*>("BtnSave")->click();
  return form;
}

TRssTxtPageProperty NewsCategory() {
  TRssTxtPageProperty entry;
  entry.Category = "News";
  entry.IndexNumber = 100;
  entry.FirstNumber = 101;
  // Relative to the home, as the operator types it.
  entry.IndexTemplateFileName = "Templates/daily.tpg";
  entry.MessageTemplateFileName = entry.IndexTemplateFileName;
  return entry;
}

std::unique_ptr<QWidget> Category() {
  TRIGlobals& globals = *Home().Globals;
  globals.Categories = {NewsCategory()};
  auto dialog = std::make_unique<TRIPageListEditDlg>(
      globals.Categories, 0,
      TCategoryDialogContext{globals.ProgramDir, globals.TemplatesDir, globals.UseFastext});
  return dialog;
}

std::unique_ptr<QWidget> Preview(const char* section) {
  TRIGlobals& globals = *Home().Globals;
  globals.Categories = {NewsCategory()};
  std::string failure;
  if (!GetXmlFile(FeedLocationOf(globals), &failure)) throw std::runtime_error(failure);
  TPTextToPrestelPageForm formatter;
  RegenerateExport(globals, formatter);
  auto window = std::make_unique<TRIMainForm>(globals, ProgramFolder());
  window->ReloadControlFile();
  window->ShowPreviewPage(section);
  return window;
}

const TGalleryRegistration kTemplateEditorEntries({
    {"template_day_1_empty", [] { return std::unique_ptr<QWidget>(Editor()); }},
    {"template_day_2_drawn", [] { return Drawn(); }},
    {"template_day_3_saved", [] { return Saved(); }},
    {"template_day_4_category", [] { return Category(); }},
    {"template_day_5_preview_index", [] { return Preview("100.0000"); }},
    {"template_day_6_preview_message", [] { return Preview("101.0000"); }},
});

}  // namespace
}  // namespace tavrel::gallery
