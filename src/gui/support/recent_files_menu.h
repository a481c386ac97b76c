#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "support/recent_files.h"

namespace tavrel::gui {

// A most-recently-used list of file paths, kept in the user's settings (QSettings("Dravik",
// "Tavrel"), the group that RecentFileGroupOfKey makes of the registry key, values "Mru1"..)
// and shown as numbered entries of a submenu. The list rules live in TRecentFileList; this class
// reads and writes the settings and builds the menu.
class TPMru : public QObject {
 public:
  using TSelectEvent = std::function<void(TPMru* sender, const QString& fileName)>;

  explicit TPMru(QObject* parent = nullptr);
  // Writes the list back (only when it holds slots).
  ~TPMru() override;

  // The submenu whose entries are rebuilt from the list; not owned.
  QMenu* MenuItem() const { return menuItem_; }
  void SetMenuItem(QMenu* menu);
  QString RegistryKey() const { return registryKey_; }
  // Stores the key, loads the list from it and rebuilds the menu.
  void SetRegistryKey(const QString& key);

  // Called when a recent-file entry is clicked; the path then moves to the front and becomes
  // current whether or not the owner managed to open it.
  TSelectEvent OnSelect;

  bool ShowFullPath() const { return list_.ShowFullPath(); }
  void SetShowFullPath(bool showFullPath) { list_.SetShowFullPath(showFullPath); }
  int MaxCount() const { return list_.MaxCount(); }
  void SetMaxCount(int maxCount) { list_.SetMaxCount(maxCount); }
  bool OnlyExisting() const { return list_.OnlyExisting(); }
  void SetOnlyExisting(bool onlyExisting) { list_.SetOnlyExisting(onlyExisting); }
  QString CurrentFile() const;

  void LoadFromRegistry();
  void SaveToRegistry();
  void AddFile(const QString& path);
  // Ignored for an empty path; otherwise AddFile, make it current (hidden) and rebuild the menu.
  void SetCurrentFile(const QString& path);
  void RebuildMenu();
  // The path behind the first menu entry, made current; empty when the menu has none.
  QString TakeMostRecent();

  const TRecentFileList& List() const { return list_; }

 private:
  void Click(std::size_t listIndex);

  TRecentFileList list_;
  // The window may delete its menu before the list goes.
  QPointer<QMenu> menuItem_;
  QString registryKey_;
};

}  // namespace tavrel::gui
