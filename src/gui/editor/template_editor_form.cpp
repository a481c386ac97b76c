#include "editor/template_editor_form.h"

#include <QAction>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QShowEvent>
#include <QStyle>
#include <QToolButton>

#include "editor/template_document.h"
#include "page/page_import.h"
#include "support/error.h"
#include "support/file_manager.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"
#include "support/recent_files_menu.h"

namespace tavrel::gui {
namespace {

// The three file buttons go in front of the editor's own, which move right to make room.
constexpr int kFileButtonsWidth = 3 * 24 + 8;

}  // namespace

TPTXTTemplateEditorForm::TPTXTTemplateEditorForm(const QString& programFolder,
                                                 const QString& templatesDir, int defaultCharSet,
                                                 QWidget* parent)
    : TTxtEd(programFolder, parent),
      fileManager_(new TPFileManager(this)),
      defaultCharSet_(ValidTemplateCharSet(defaultCharSet)) {
  setObjectName("PTXTTemplateEditorForm");
  AddFileCommands();
  TemplateHost = true;  // the page format dialog shows no Help button

  // The order matters: the registry key loads the recent list into the menu set before it.
  fileManager_->SetInitialDir(templatesDir);
  fileManager_->OnNewFile = [this](TPFileManager*) { return NewPage(); };
  fileManager_->OnOpenFile = [this](TPFileManager*, const QString& path) {
    return LoadTemplate(path);
  };
  fileManager_->OnSaveFile = [this](TPFileManager*, const QString& path) {
    return SaveTemplate(path);
  };
  fileManager_->SetFilter("Templates (*.tpg)|*.tpg");
  fileManager_->SetDefaultExt(".tpg");
  fileManager_->SetRecentMenuItem(findChild<QMenu*>("MnuRecentFiles"));
  fileManager_->SetRegistryKey(kRegistryKey);
  fileManager_->OnFileChange = [this](TPFileManager*) { UpdateCaption(); };
  rememberedFile_ = fileManager_->LastRecentFile();
  // A recent template replaces the page as Open does: sync first, so that the question to save
  // knows about edits made since the last file command.
  TPMru* recent = fileManager_->RecentList();
  recent->OnSelect = [this, open = recent->OnSelect](TPMru* sender, const QString& path) {
    Sync();
    if (open) open(sender, path);
  };
}

TPTXTTemplateEditorForm::~TPTXTTemplateEditorForm() = default;

void TPTXTTemplateEditorForm::AddFileCommands() {
  // File menu: New, Open, Recent Files, Save, Save As ... before the editor's Close.
  QMenu* file = FileMenu();
  QAction* first = file->actions().value(0);
  // No shortcuts: the editor's keys (Ctrl+S is Steady) keep theirs.
  auto addItem = [&](const char* name, const char* caption,
                     void (TPTXTTemplateEditorForm::*run)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, run);
    file->insertAction(first, action);
  };
  addItem("MnuNew", "New", &TPTXTTemplateEditorForm::NewCommand);
  addItem("MnuOpen", "Open", &TPTXTTemplateEditorForm::OpenCommand);
  auto* recent = new QMenu("Recent Files", file);
  recent->setObjectName("MnuRecentFiles");
  file->insertMenu(first, recent);
  addItem("MnuSave", "Save", &TPTXTTemplateEditorForm::SaveCommand);
  addItem("MnuSaveAs", "Save As ...", &TPTXTTemplateEditorForm::SaveAsCommand);
  file->insertSeparator(first);
  // Import: a page drawn elsewhere (a TTI file or an edit.tf address) as a new template.
  auto* import = new QAction(FromWindows1252(std::string(EditorText(kImportTextRow))), this);
  import->setObjectName("MnuImport");
  connect(import, &QAction::triggered, this, [this] {
    bool ok = false;
    const QString source =
        QInputDialog::getText(this, FromWindows1252(std::string(EditorText(kImportTextRow))),
                              "TTI file or edit.tf address:", QLineEdit::Normal, QString(), &ok);
    if (ok && !source.trimmed().isEmpty()) ImportCommand(source.trimmed());
  });
  file->insertAction(first, import);
  file->insertSeparator(first);

  // Tool bar: Open, Save and New in front.
  QWidget* bar = ToolBarFrame();
  for (QToolButton* button : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
    button->move(button->x() + kFileButtonsWidth, button->y());
  }
  // Each button shows the File menu item's action, with the Dutch hint the operators know.
  struct TButton {
    const char* Name;
    const char* Action;
    const char* Hint;
    QStyle::StandardPixmap Icon;
  };
  const TButton buttons[] = {
      {"BtnOpen", "MnuOpen", "Teletekstbestand openen", QStyle::SP_DialogOpenButton},
      {"BtnSave", "MnuSave", "Teletekstbestand opslaan", QStyle::SP_DialogSaveButton},
      {"BtnNew", "MnuNew", "Nieuwe pagina", QStyle::SP_FileIcon},
  };
  int x = 4;
  for (const TButton& item : buttons) {
    QAction* action = findChild<QAction*>(item.Action);
    action->setToolTip(item.Hint);
    action->setIcon(style()->standardIcon(item.Icon));
    action->setIconVisibleInMenu(false);
    auto* button = new QToolButton(bar);
    button->setObjectName(item.Name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    button->setGeometry(x, 2, 23, 23);
    button->setDefaultAction(action);
    x += 24;
  }
}

void TPTXTTemplateEditorForm::showEvent(QShowEvent* event) {
  if (!shownOnce_ && !event->spontaneous()) {
    shownOnce_ = true;
    Editor().FrameDisplay = true;
    Editor().BlockTextFlag = false;
    Editor().DefaultCharSet = defaultCharSet_;
    UpdateCaption();
    NewPage();
    if (!rememberedFile_.isEmpty() && QFileInfo::exists(rememberedFile_)) {
      fileManager_->OpenFile(rememberedFile_);
    }
    if (parentWidget()) {
      QRect frame = geometry();
      frame.moveCenter(parentWidget()->window()->geometry().center());
      move(frame.topLeft());
    }
  }
  TTxtEd::showEvent(event);
}

void TPTXTTemplateEditorForm::Sync() {
  // A page left in block-text mode reloads in it after the file command; any other mode
  // reloads in Prestel text. The field stays open: a command that does not complete leaves
  // the operator typing on in it.
  Editor().BlockTextFlag = WriteBackBlockTextField();
  StorePage();
  fileManager_->SetModified(!IsUnchanged());
}

void TPTXTTemplateEditorForm::NewCommand() {
  Sync();
  fileManager_->NewFile();
}

void TPTXTTemplateEditorForm::ImportCommand(const QString& source) {
  Sync();
  // Read first: a source that cannot be read leaves the open template as it was.
  TImportedPage imported;
  try {
    imported = ImportPageSource(source.toStdString());
  } catch (const Error& error) {
    LangMessageDlg(this, QString::fromStdString(error.what()), TMsgDlgType::Error);
    return;
  }
  // The page becomes a new, unnamed template: the one open is first offered to save. Cancel
  // keeps it; after Yes or No the question is settled and New does not ask again.
  if (!fileManager_->CanClose()) return;
  fileManager_->SetModified(false);
  fileManager_->NewFile();
  SetPage(imported.Page, kReadTemplateTextBlock);
  fileManager_->SetModified(true);
  if (!imported.Note.empty()) {
    LangMessageDlg(this, QString::fromStdString(imported.Note), TMsgDlgType::Information);
  }
}

void TPTXTTemplateEditorForm::OpenCommand() {
  Sync();
  fileManager_->OpenWithDialog();
}

void TPTXTTemplateEditorForm::SaveCommand() {
  Sync();
  fileManager_->SaveFile();
}

void TPTXTTemplateEditorForm::SaveAsCommand() {
  Sync();
  fileManager_->SaveFileAs();
}

void TPTXTTemplateEditorForm::reject() {
  Sync();
  if (!fileManager_->CanClose()) return;
  TTxtEd::reject();
}

bool TPTXTTemplateEditorForm::NewPage() {
  const TTemplateDocument document = NewTemplateDocument(defaultCharSet_);
  SetPage(document.Page, document.TextBlock);
  fileManager_->SetModified(false);
  return true;
}

bool TPTXTTemplateEditorForm::LoadTemplate(const QString& path) {
  try {
    const TTemplateDocument document = ReadTemplateDocument(path.toStdString());
    SetPage(document.Page, document.TextBlock);
    return true;
  } catch (const Error& error) {
    LangMessageDlg(this, QString::fromStdString(error.what()), TMsgDlgType::Error);
    return false;
  }
}

bool TPTXTTemplateEditorForm::SaveTemplate(const QString& path) {
  try {
    WriteTemplateDocument(path.toStdString(), {Editor().Page, Editor().TextBlock});
  } catch (const Error& error) {
    LangMessageDlg(this, QString::fromStdString(error.what()), TMsgDlgType::Error);
    return false;
  }
  // The reload takes a new snapshot, so the saved page counts as unchanged.
  Reload();
  return true;
}

void TPTXTTemplateEditorForm::UpdateCaption() {
  const std::string noName = FromWindows1252(DialogText(kDialogNoName)).toStdString();
  setWindowTitle(QString::fromStdString(
      TemplateEditorCaption(fileManager_->FileName().toStdString(), noName)));
}

}  // namespace tavrel::gui
