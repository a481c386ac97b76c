#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "support/file_manager_rules.h"

class QFileDialog;
class QMenu;
class QWidget;

namespace tavrel::gui {

class TPMru;

// The new / open / save / save-as workflow around one document for a document window: the
// modified flag, the prompt to save first, the open and save dialogs and a recent-files list of
// its own. It knows nothing of the document: the window loads, saves and clears it through the
// events. The rules are TFileManagerRules; this class supplies the dialogs.
class TPFileManager : public QObject, private TFileManagerHost {
 public:
  using TNewFileEvent = std::function<bool(TPFileManager* sender)>;
  using TFileEvent = std::function<bool(TPFileManager* sender, const QString& fileName)>;
  using TNotifyEvent = std::function<void(TPFileManager* sender)>;

  // The owner is the window whose dialogs these are; it owns the manager.
  explicit TPFileManager(QWidget* owner);
  ~TPFileManager() override;

  // Makes a new, empty document; its answer becomes Modified.
  TNewFileEvent OnNewFile;
  // Loads or saves the document; true when it worked.
  TFileEvent OnOpenFile;
  TFileEvent OnSaveFile;
  // After every successful new, open and save (the window updates its caption).
  TNotifyEvent OnFileChange;

  // Copied into both dialogs. The filter takes the "Description|*.ext|..." form; the default
  // extension may carry its dot (".tpg").
  void SetInitialDir(const QString& folder);
  void SetFilter(const QString& filter);
  void SetDefaultExt(const QString& extension);
  void SetRecentMenuItem(QMenu* menu);
  // Loads the recent list from the settings and builds its menu.
  void SetRegistryKey(const QString& key);

  QString FileName() const;
  bool Modified() const { return rules_.Modified(); }
  void SetModified(bool modified) { rules_.SetModified(modified); }

  // The most recent entry of the list, made current (empty when there is none).
  QString LastRecentFile();
  void NewFile() { rules_.NewFile(); }
  void OpenWithDialog() { rules_.OpenWithDialog(); }
  void OpenFile(const QString& path);
  void OpenRecent(const QString& path);
  bool SaveFile() { return rules_.SaveFile(); }
  void SaveFileAs() { rules_.SaveFileAs(); }
  bool CanClose() { return rules_.CanClose(); }

  TPMru* RecentList() const { return recent_; }
  QFileDialog* OpenDialog() const { return openDialog_; }
  QFileDialog* SaveDialog() const { return saveDialog_; }

 private:
  TModalResult AskSaveFirst(const std::string& message) override;
  void ShowMissingFile(const std::string& message) override;
  std::optional<std::string> ChooseFileToOpen() override;
  std::optional<std::string> ChooseFileToSave() override;
  void SetRecentCurrentFile(const std::string& path) override;
  std::optional<std::string> RunDialog(QFileDialog* dialog);

  QWidget* owner_;
  TFileManagerRules rules_;
  TPMru* recent_;
  QFileDialog* openDialog_;
  QFileDialog* saveDialog_;
};

// The name filters of a "Description|mask|Description|mask" filter as file dialogs take them:
// "Templates (*.tpg)". A description that already shows its mask in brackets is kept as it is.
QStringList DialogNameFilters(const QString& filter);

}  // namespace tavrel::gui
