#include "support/file_manager.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFile>
#include <QFileDialog>
#include <QWidget>

#include "support/lang_message_dlg.h"
#include "support/qt_text.h"
#include "support/recent_files_menu.h"

namespace tavrel::gui {
namespace {

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// The file name field completes from the folder, and its pop-up is a window of its own: a click
// on Open while it is shown closes the dialog but not the pop-up, which then stays on screen
// and takes the next click anywhere. The dialog is kept for the next command, so its pop-up is
// closed here, and its prefix emptied: a folder read after the dialog closed would otherwise
// bring the pop-up back.
void CloseCompletionPopups(QFileDialog* dialog) {
  for (QCompleter* completer : dialog->findChildren<QCompleter*>()) {
    if (QAbstractItemView* popup = completer->popup(); popup->isVisible()) popup->hide();
    completer->setCompletionPrefix(QString());
  }
}

}  // namespace

QStringList DialogNameFilters(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString mask = QString(parts[i + 1]).replace(';', ' ').trimmed();
    filters << (description.endsWith("(" + mask + ")") ? description
                                                       : description + " (" + mask + ")");
  }
  return filters;
}

TPFileManager::TPFileManager(QWidget* owner)
    : QObject(owner),
      owner_(owner),
      rules_(*this),
      recent_(new TPMru(this)),
      openDialog_(new QFileDialog(owner)),
      saveDialog_(new QFileDialog(owner)) {
  // Qt's own dialogs look and behave the same on every desktop (and under test).
  openDialog_->setOption(QFileDialog::DontUseNativeDialog);
  saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
  openDialog_->setObjectName("OpenDialog");
  openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
  openDialog_->setFileMode(QFileDialog::ExistingFile);
  saveDialog_->setObjectName("SaveDialog");
  saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
  saveDialog_->setFileMode(QFileDialog::AnyFile);
  // Asks before overwriting (Qt's default, kept on purpose) and can be resized.
  saveDialog_->setOption(QFileDialog::DontConfirmOverwrite, false);
  saveDialog_->setSizeGripEnabled(true);

  rules_.OnNewFile = [this] { return OnNewFile ? OnNewFile(this) : false; };
  rules_.OnOpenFile = [this](const std::string& path) {
    return OnOpenFile && OnOpenFile(this, PathText(path));
  };
  rules_.OnSaveFile = [this](const std::string& path) {
    return OnSaveFile && OnSaveFile(this, PathText(path));
  };
  rules_.OnFileChange = [this] {
    if (OnFileChange) OnFileChange(this);
  };
  recent_->OnSelect = [this](TPMru*, const QString& path) { OpenRecent(path); };
}

TPFileManager::~TPFileManager() = default;

void TPFileManager::SetInitialDir(const QString& folder) {
  openDialog_->setDirectory(folder);
  saveDialog_->setDirectory(folder);
}

void TPFileManager::SetFilter(const QString& filter) {
  const QStringList filters = DialogNameFilters(filter);
  openDialog_->setNameFilters(filters);
  saveDialog_->setNameFilters(filters);
}

void TPFileManager::SetDefaultExt(const QString& extension) {
  QString suffix = extension;
  if (suffix.startsWith('.')) suffix.remove(0, 1);
  openDialog_->setDefaultSuffix(suffix);
  saveDialog_->setDefaultSuffix(suffix);
}

void TPFileManager::SetRecentMenuItem(QMenu* menu) { recent_->SetMenuItem(menu); }
void TPFileManager::SetRegistryKey(const QString& key) { recent_->SetRegistryKey(key); }

QString TPFileManager::FileName() const { return PathText(rules_.FileName()); }
QString TPFileManager::LastRecentFile() { return recent_->TakeMostRecent(); }
void TPFileManager::OpenFile(const QString& path) { rules_.OpenFile(PathBytes(path)); }
void TPFileManager::OpenRecent(const QString& path) { rules_.OpenRecent(PathBytes(path)); }

TModalResult TPFileManager::AskSaveFirst(const std::string& message) {
  return LangMessageDlg(owner_, FromWindows1252(message), TMsgDlgType::Warning,
                        kButtonsYesNoCancel);
}

void TPFileManager::ShowMissingFile(const std::string& message) {
  LangMessageDlg(owner_, FromWindows1252(message), TMsgDlgType::Error);
}

std::optional<std::string> TPFileManager::RunDialog(QFileDialog* dialog) {
  // The dialog opens with no file name of its own, in the folder it was last in.
  dialog->selectFile(QString());
  const bool chosen = dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
  CloseCompletionPopups(dialog);
  if (!chosen) return std::nullopt;
  return PathBytes(dialog->selectedFiles().constFirst());
}

std::optional<std::string> TPFileManager::ChooseFileToOpen() { return RunDialog(openDialog_); }
std::optional<std::string> TPFileManager::ChooseFileToSave() { return RunDialog(saveDialog_); }

void TPFileManager::SetRecentCurrentFile(const std::string& path) {
  recent_->SetCurrentFile(PathText(path));
}

}  // namespace tavrel::gui
