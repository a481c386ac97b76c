#include "support/recent_files_menu.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>

namespace tavrel::gui {
namespace {

// The list's slots in the program's settings. Paths are kept as the OS spells them; the
// settings file holds them as text.
class SettingsRecentStore : public TRecentFileStore {
 public:
  explicit SettingsRecentStore(const QString& registryKey)
      : settings_("Dravik", "Tavrel"),
        group_(QString::fromStdString(RecentFileGroupOfKey(registryKey.toStdString()))) {}

  bool Open() override { return !group_.isEmpty() && settings_.status() == QSettings::NoError; }
  std::string ReadValue(const std::string& name) override {
    return QFile::encodeName(settings_.value(Key(name)).toString()).toStdString();
  }
  void WriteValue(const std::string& name, const std::string& value) override {
    settings_.setValue(Key(name), QFile::decodeName(QByteArray::fromStdString(value)));
  }

 private:
  QString Key(const std::string& name) const { return group_ + "/" + QString::fromStdString(name); }

  QSettings settings_;
  QString group_;
};

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

TPMru::TPMru(QObject* parent) : QObject(parent) {}

TPMru::~TPMru() {
  // Settings errors cannot be reported from here; QSettings does not throw, so nothing escapes.
  SaveToRegistry();
}

void TPMru::SetMenuItem(QMenu* menu) {
  menuItem_ = menu;
  RebuildMenu();
}

void TPMru::SetRegistryKey(const QString& key) {
  registryKey_ = key;
  LoadFromRegistry();
  RebuildMenu();
}

QString TPMru::CurrentFile() const { return PathText(list_.CurrentFile()); }

void TPMru::LoadFromRegistry() {
  SettingsRecentStore store(registryKey_);
  list_.LoadFrom(store);
}

void TPMru::SaveToRegistry() {
  SettingsRecentStore store(registryKey_);
  list_.SaveTo(store);
}

void TPMru::AddFile(const QString& path) { list_.AddFile(PathBytes(path)); }

void TPMru::SetCurrentFile(const QString& path) {
  if (list_.SetCurrentFile(PathBytes(path))) RebuildMenu();
}

void TPMru::RebuildMenu() {
  if (menuItem_ == nullptr) return;
  // An entry may be rebuilding the menu from its own click, so the old entries go later.
  for (QAction* action : menuItem_->actions()) {
    menuItem_->removeAction(action);
    action->deleteLater();
  }
  menuItem_->menuAction()->setEnabled(false);
  int number = 0;
  for (const TRecentMenuEntry& entry : list_.MenuEntries()) {
    auto* action = new QAction(PathText(entry.Caption), menuItem_);
    action->setObjectName(QString("RecentFileItem%1").arg(++number));
    const std::size_t index = entry.ListIndex;
    connect(action, &QAction::triggered, this, [this, index] { Click(index); });
    menuItem_->addAction(action);
    menuItem_->menuAction()->setEnabled(true);
  }
}

QString TPMru::TakeMostRecent() {
  const std::string path = list_.TakeMostRecent();
  if (!path.empty()) RebuildMenu();
  return PathText(path);
}

void TPMru::Click(std::size_t listIndex) {
  if (!OnSelect) return;
  const QString path = PathText(list_.FileAt(listIndex));
  OnSelect(this, path);
  SetCurrentFile(path);
}

}  // namespace tavrel::gui
