#pragma once

#include <QString>

#include "editor/txt_ed.h"

class QToolButton;

namespace tavrel::gui {

class TPFileManager;

// The template editor: the page editor with a document around it. A file manager gives New,
// Open, Save, Save As and the recent templates; the handlers below turn a ".tpg" file into the
// editor's page and text block and back. The text block frame is always shown. Created and
// shown modally by the main window's Template Editor command.
class TPTXTTemplateEditorForm : public TTxtEd {
 public:
  // The settings key of the recent templates.
  static constexpr const char* kRegistryKey = "\\software\\dravik\\Tavrel\\mru\\";
  // The editor texts' row of the File menu's "Import".
  static constexpr int kImportTextRow = 1;

  // `templatesDir` is where the dialogs start; `defaultCharSet` is the character set option of
  // a new template.
  TPTXTTemplateEditorForm(const QString& programFolder, const QString& templatesDir,
                          int defaultCharSet, QWidget* parent = nullptr);
  ~TPTXTTemplateEditorForm() override;

  TPFileManager& FileManager() const { return *fileManager_; }
  // The most recent template when the window was created; reopened when it is shown.
  const QString& RememberedFile() const { return rememberedFile_; }

  // The File commands: each first writes the editor's state back into the page record.
  void NewCommand();
  void OpenCommand();
  void SaveCommand();
  void SaveAsCommand();
  // Makes a TTI file (its first sub-page) or an edit.tf address a new, unnamed template.
  void ImportCommand(const QString& source);

 protected:
  void showEvent(QShowEvent* event) override;
  // Closing asks to save a changed template first; Cancel keeps the window open.
  void reject() override;

 private:
  void AddFileCommands();
  void Sync();
  bool NewPage();
  bool LoadTemplate(const QString& path);
  bool SaveTemplate(const QString& path);
  void UpdateCaption();

  TPFileManager* fileManager_;
  QString rememberedFile_;
  int defaultCharSet_;
  bool shownOnce_ = false;
};

}  // namespace tavrel::gui
