// The gallery entries of the configuration dialogs, filled from the sample workspace.
#include <QDir>
#include <QTemporaryDir>

#include "gallery.h"
#include "pipeline/error_list_dlg.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/general_options_dlg.h"
#include "pipeline/page_list_edit_dlg.h"
#include "pipeline/page_list_options_dlg.h"
#include "pipeline/settings_file.h"
#include "pipeline/settings_store.h"
#include "pipeline/settings_values.h"
#include "pipeline/xml_schema_dlg.h"

namespace tavrel::gallery {
namespace {

using namespace tavrel::gui;

// The sample workspace of the source tree, with its trailing "/".
std::string SampleFolder() {
  return QDir(ProgramFolder() + "/../../data/sample").absolutePath().toStdString() + "/";
}

// The sample's settings, read without creating its working folders.
TSettingsValues SampleValues() {
  TSettingsFile file;
  file.LoadFile(SampleFolder() + TRIGlobals::kSettingsFileName);
  return ReadSettingsValues(file);
}

TCategoryDialogContext SampleContext() {
  return {SampleFolder(), SampleFolder() + "Templates/", SampleValues().UseFastext};
}

// What the check before a preview reports when the sample feed meets a table that lacks two of
// its categories and one of whose templates is gone.
std::vector<std::string> SampleCheckLines() {
  QTemporaryDir home;
  TRIGlobals settings(home.path().toStdString() + "/");
  settings.SetValues(SampleValues());
  TRssTxtPageProperties kept;
  for (TRssTxtPageProperty entry : settings.Categories) {
    if (entry.Category == "Business" || entry.Category == "Weather") continue;
    entry.IndexTemplateFileName = SampleFolder() + entry.IndexTemplateFileName;
    entry.MessageTemplateFileName = SampleFolder() + entry.MessageTemplateFileName;
    if (entry.Category == "Culture") entry.MessageTemplateFileName += ".lost";
    kept.push_back(entry);
  }
  settings.Categories = kept;
  return CheckFeed(settings, SampleFolder() + settings.XMLFilePath).Lines();
}

const TGalleryRegistration kDialogEntries({
    {"general_options_dialog",
     [] { return std::make_unique<TRIGeneralOptionsDlg>(SampleValues(), SampleFolder()); }},
    {"categories_dialog",
     [] {
       return std::make_unique<TRIPageListOptionsDlg>(SampleValues().Categories, SampleContext());
     }},
    {"category_properties_edit",
     [] {
       return std::make_unique<TRIPageListEditDlg>(SampleValues().Categories, 1, SampleContext());
     }},
    {"category_properties_new",
     [] {
       TCategoryDialogContext context = SampleContext();
       context.UseFastext = false;
       return std::make_unique<TRIPageListEditDlg>(SampleValues().Categories, std::nullopt,
                                                   context);
     }},
    {"xml_schema_dialog",
     [] { return std::make_unique<TRIXmlSchemaDlg>(SampleValues().XmlSchema); }},
    {"xml_schema_dialog_defaults", [] { return std::make_unique<TRIXmlSchemaDlg>(TXMLSchema{}); }},
    {"error_list_dialog", [] { return std::make_unique<TPErrorListDlg>(SampleCheckLines()); }},
});

}  // namespace
}  // namespace tavrel::gallery
