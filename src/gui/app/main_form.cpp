#include "app/main_form.h"

#include <unistd.h>

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QToolButton>
#include <utility>

#include "app/preview_panel.h"
#include "app/run_coordinator.h"
#include "app/scan_log_dlg.h"
#include "app/window_position.h"
#include "editor/template_editor_form.h"
#include "pipeline/error_list_dlg.h"
#include "pipeline/general_options_dlg.h"
#include "pipeline/main_window_commands.h"
#include "pipeline/page_list_options_dlg.h"
#include "pipeline/settings_store.h"
#include "pipeline/xml_schema_dlg.h"
#include "render/prest_view.h"
#include "support/about_dlg.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"
#include "support/view_text_dlg.h"

namespace tavrel::gui {

namespace {

constexpr int kToolBarHeight = 30;
constexpr int kSpeedButtonSize = 26;

void ShowError(QWidget* parent, const std::string& text) {
  LangMessageDlg(parent, FromWindows1252(text), TMsgDlgType::Error);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace

TRIMainForm::TRIMainForm(TRIGlobals& globals, QString programFolder, QWidget* parent)
    : QMainWindow(parent), globals_(globals), programFolder_(std::move(programFolder)) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  setObjectName("RIMainForm");
  setWindowTitle("Tavrel");

  auto* client = new QWidget;
  client->setObjectName("MainFormClient");
  toolBarPanel_ = new QWidget(client);
  toolBarPanel_->setObjectName("TestButtonPanel");
  toolBarPanel_->setFixedHeight(kToolBarHeight);
  previewPanel_ = new TPreviewPanel(client);
  previewPanel_->setObjectName("TestPanel");
  setCentralWidget(client);

  CreateMenus();
  CreateToolBar();
  runs_ = new TRunCoordinator(globals_, this);
  ConnectRuns();
  connect(previewPanel_, &TPreviewPanel::PagesChanged, this, [this] { UpdateCommands(); });

  CreateViews();
  UpdateCommands();
}

TRIMainForm::~TRIMainForm() {
  // Before the window's children go: a run's last reports reach them.
  delete runs_;
}

void TRIMainForm::ConnectRuns() {
  connect(runs_, &TRunCoordinator::StateChanged, this, [this] { UpdateCommands(); });
  connect(runs_, &TRunCoordinator::RunFinished, this,
          [this](bool upload, const TWorkflowResult& result) { FinishRun(upload, result); });
  connect(runs_, &TRunCoordinator::ScanStepStarted, this, [this] {
    scanLabelState_.StepStarted();
    UpdateCommands();
  });
  connect(runs_, &TRunCoordinator::ScanStepFinished, this, [this](TScanOutcome outcome) {
    scanLabelState_.StepFinished(outcome);
    UpdateCommands();
    ShowScanLabel();
    emit ScanStepFinished(outcome);
  });
  connect(runs_, &TRunCoordinator::ScanStatus, this,
          [this](const QString& status) { ShowScanStatus(status); });
  connect(runs_, &TRunCoordinator::ScanLabelBlink, this, [this](bool visible) {
    // A held failure does not blink: it must be seen at a glance.
    scanLabel_->setVisible((visible || scanLabelState_.HoldsFailure()) && AutoScanOn());
  });
  connect(runs_, &TRunCoordinator::PagesRegenerated, this,
          [this](const std::vector<std::string>& lines) {
            // What the generator made goes into the scan log, as the service prints it.
            for (const std::string& line : lines) AddScanLogLine(line);
            ReloadControlFile();
          });
  connect(runs_, &TRunCoordinator::LogLine, this,
          [this](const std::string& line) { AddScanLogLine(line); });
}

bool TRIMainForm::AutoScanOn() const { return runs_->AutoScanOn(); }
bool TRIMainForm::RunInProgress() const { return runs_->RunInProgress(); }
TScanCycle& TRIMainForm::ScanCycle() { return runs_->ScanCycle(); }
int TRIMainForm::PreviewIndex() const { return previewPanel_->PreviewIndex(); }
std::vector<std::string> TRIMainForm::PageSections() const { return previewPanel_->PageSections(); }
TPrestView* TRIMainForm::HeaderView() const { return previewPanel_->HeaderView(); }
TPrestView* TRIMainForm::PageView() const { return previewPanel_->PageView(); }
TPrestView* TRIMainForm::FastextView() const { return previewPanel_->FastextView(); }

void TRIMainForm::CreateMenus() {
  const auto add = [this](QMenu* menu, const char* name, const char* caption, auto command) {
    QAction* action = menu->addAction(caption, this, command);
    action->setObjectName(name);
    return action;
  };
  // A command that the window's state can hold back: its one action, kept by command, which
  // the menu shows and a tool button may show too.
  const auto addCommand = [this, &add](QMenu* menu, TMainCommand command, const char* name,
                                       const char* caption, auto run) {
    QAction* action = add(menu, name, caption, run);
    commandActions_[static_cast<std::size_t>(command)] = action;
    return action;
  };
  QMenu* fileMenu = menuBar()->addMenu("&File");
  fileMenu->setObjectName("FileMenuItem");
  add(fileMenu, "ExitMenuItem", "Exit", [this] { close(); });

  QMenu* teletextMenu = menuBar()->addMenu("&Teletext");
  teletextMenu->setObjectName("TeletextMenuItem");
  addCommand(teletextMenu, TMainCommand::Preview, "PreviewMenuItem", "Preview",
             [this] { PreviewMenuItemClick(); });
  addCommand(teletextMenu, TMainCommand::PreviousPage, "PreviousPageMenuItem", "Previous Page",
             [this] { PreviousPageMenuItemClick(); })
      ->setShortcut(QKeySequence(Qt::Key_PageUp));
  addCommand(teletextMenu, TMainCommand::NextPage, "NextPageMenuItem", "Next Page", [this] {
    NextPageMenuItemClick();
  })->setShortcut(QKeySequence(Qt::Key_PageDown));
  teletextMenu->addSeparator();
  addCommand(teletextMenu, TMainCommand::Upload, "UploadMenuItem", "Upload",
             [this] { UploadMenuItemClick(); });
  // Its down state follows AutoScanOn, which UpdateCommands sets after every toggle.
  addCommand(teletextMenu, TMainCommand::AutoScan, "StartStopAutoScanMenuItem", "Start Auto Scan",
             [this] { StartStopAutoScanMenuItemClick(); })
      ->setCheckable(true);
  add(teletextMenu, "ScanLogMenuItem", "Scan Log", [this] { ScanLogMenuItemClick(); });

  toolsMenu_ = menuBar()->addMenu("T&ools");
  toolsMenu_->setObjectName("ToolsMenuItem");
  toolsMenu_->menuAction()->setObjectName("ToolsMenuItem");
  addCommand(toolsMenu_, TMainCommand::Options, "OptionsMenuItem", "Options",
             [this] { OptionsMenuItemClick(); });
  addCommand(toolsMenu_, TMainCommand::PageList, "PageListMenuItem", "Categories",
             [this] { PageListMenuItemClick(); });
  addCommand(toolsMenu_, TMainCommand::TemplateEditor, "TemplateEditorMenuItem", "Template Editor",
             [this] { TemplateEditorMenuItemClick(); });
  addCommand(toolsMenu_, TMainCommand::XMLSchema, "XMLSchemaMenuItem", "XML Schema",
             [this] { XMLSchemaMenuItemClick(); });

  QMenu* helpMenu = menuBar()->addMenu("&Help");
  helpMenu->setObjectName("HelpMenuItem");
  add(helpMenu, "HelpSubjectsMenuItem", "Help subjects", [this] { HelpSubjectsMenuItemClick(); });
  add(helpMenu, "AboutMenuItem", "About", [this] { AboutMenuItemClick(); });
}

QAction* TRIMainForm::CommandAction(TMainCommand command) const {
  return commandActions_[static_cast<std::size_t>(command)];
}

void TRIMainForm::AddSpeedButton(const char* name, TMainCommand command, const char* hint,
                                 int icon) {
  QAction* action = CommandAction(command);
  // The button shows the menu's action: its icon, its enabled and down state and, as its
  // tooltip, the hint. The menu keeps showing the caption alone.
  action->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
  action->setIconVisibleInMenu(false);
  action->setToolTip(hint);
  auto* button = new QToolButton(toolBarPanel_);
  button->setObjectName(name);
  button->setAccessibleName(hint);
  button->setAutoRaise(true);
  button->setFixedSize(kSpeedButtonSize, kSpeedButtonSize);
  button->setDefaultAction(action);
  toolBarPanel_->layout()->addWidget(button);
}

void TRIMainForm::CreateToolBar() {
  auto* row = new QHBoxLayout(toolBarPanel_);
  row->setContentsMargins(4, 2, 8, 2);
  row->setSpacing(1);
  const auto gap = [row] { row->addSpacing(8); };
  AddSpeedButton("PreviewSpeedButton", TMainCommand::Preview, "Test preview",
                 QStyle::SP_FileDialogContentsView);
  AddSpeedButton("PrevSpeedButton", TMainCommand::PreviousPage, "Previous preview page",
                 QStyle::SP_ArrowLeft);
  AddSpeedButton("NextSpeedButton", TMainCommand::NextPage, "Next preview page",
                 QStyle::SP_ArrowRight);
  gap();
  AddSpeedButton("UploadSpeedButton", TMainCommand::Upload, "Test upload to Varnex",
                 QStyle::SP_ArrowUp);
  AddSpeedButton("AutoScanButton", TMainCommand::AutoScan, "Start/stop auto scan",
                 QStyle::SP_BrowserReload);
  gap();
  AddSpeedButton("PageListSpeedButton", TMainCommand::PageList, "Categories",
                 QStyle::SP_FileDialogDetailedView);
  AddSpeedButton("TemplateEditorSpeedButton", TMainCommand::TemplateEditor, "Template editor",
                 QStyle::SP_FileIcon);
  gap();
  scanLabel_ = new TScanStatusLabel(toolBarPanel_);
  scanLabel_->setObjectName("ScanLabel");
  scanLabel_->ShowStatus(kScanIdle, kScanIdle);
  QFont bold = scanLabel_->font();
  bold.setBold(true);
  scanLabel_->setFont(bold);
  QPalette red = scanLabel_->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  scanLabel_->setPalette(red);
  row->addWidget(scanLabel_, 1);
}

void TRIMainForm::CreateViews() { previewPanel_->CreateViews(globals_.UseFastext); }

void TRIMainForm::FitWindow() {
  const QSize preview = previewPanel_->FittedSize();
  toolBarPanel_->setGeometry(0, 0, preview.width(), kToolBarHeight);
  previewPanel_->setGeometry(0, kToolBarHeight, preview.width(), preview.height());
  centralWidget()->setFixedSize(preview.width(), kToolBarHeight + preview.height());
  // The window is as large as its contents and cannot be resized.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  adjustSize();
}

TMainWindowState TRIMainForm::CommandState() const {
  return {runs_->AutoScanOn(), runs_->RunInProgress(), runs_->RunIsScanStep(),
          previewPanel_->PreviewIndex(), static_cast<int>(previewPanel_->PageSections().size())};
}

bool TRIMainForm::CommandEnabled(TMainCommand command) const {
  return MainCommandState(command, CommandState()).Enabled;
}

void TRIMainForm::UpdateCommands() {
  const TMainWindowState state = CommandState();
  for (int index = 0; index < kMainCommandCount; ++index) {
    const auto command = static_cast<TMainCommand>(index);
    const TMainCommandState commandState = MainCommandState(command, state);
    QAction* action = CommandAction(command);
    action->setEnabled(commandState.Enabled);
    action->setChecked(commandState.Checked);
  }
  toolsMenu_->menuAction()->setEnabled(CommandEnabled(TMainCommand::Options));
  CommandAction(TMainCommand::AutoScan)
      ->setText(state.AutoScanOn ? "Stop Auto Scan" : "Start Auto Scan");
  scanLabel_->setVisible(state.AutoScanOn);
}

bool TRIMainForm::ShowPreviewPage(const std::string& section) {
  return previewPanel_->ShowPage(section);
}

void TRIMainForm::FollowPageNumber(const QString& number) {
  previewPanel_->FollowPageNumber(number);
}

void TRIMainForm::ReloadControlFile() { previewPanel_->Reload(globals_.ExportDir); }

void TRIMainForm::PreviousPageMenuItemClick() { previewPanel_->ShowPreviousPage(); }

void TRIMainForm::NextPageMenuItemClick() { previewPanel_->ShowNextPage(); }

void TRIMainForm::PreviewMenuItemClick() { StartRun(false); }

void TRIMainForm::UploadMenuItemClick() { StartRun(true); }

void TRIMainForm::StartRun(bool upload) {
  if (!CommandEnabled(upload ? TMainCommand::Upload : TMainCommand::Preview)) return;
  runs_->StartRun(upload);
  setCursor(Qt::BusyCursor);
}

void TRIMainForm::FinishRun(bool upload, const TWorkflowResult& result) {
  unsetCursor();
  switch (result.Outcome) {
    case TWorkflowOutcome::Generated:
    case TWorkflowOutcome::Uploaded:
    case TWorkflowOutcome::UploadFailed:
    case TWorkflowOutcome::NothingGenerated:
    case TWorkflowOutcome::Failed:
    case TWorkflowOutcome::Cancelled:
      // ExportDir may have been emptied or filled anew.
      ReloadControlFile();
      break;
    // Stopped before the generator ran: the pages shown are still those on disk.
    case TWorkflowOutcome::FeedNotFound:
    case TWorkflowOutcome::ConnectionFailed:
    case TWorkflowOutcome::ServerBusy:
    case TWorkflowOutcome::SchemaMismatch:
    case TWorkflowOutcome::CategoryProblems:
    case TWorkflowOutcome::HomeInUse:
      UpdateCommands();
      break;
  }
  if (!closing_) ShowRunMessages(upload, result);
  emit RunFinished(result.Outcome);
}

void TRIMainForm::ShowRunMessages(bool upload, const TWorkflowResult& result) {
  // The upload reports what the feed check found but goes on, so that an undefined category
  // does not hold back the pages of the defined ones. Messages that could not be laid out are
  // listed after the pages were made, so that none is lost without a word.
  const bool schemaShown = !result.Check.SchemaLines.empty() &&
                           (upload ? result.Outcome != TWorkflowOutcome::FeedNotFound
                                   : result.Outcome == TWorkflowOutcome::SchemaMismatch);
  if (schemaShown) ShowError(this, JoinLines(result.Check.SchemaLines));
  if (const std::vector<std::string> errors = ErrorListLines(result, upload); !errors.empty()) {
    TPErrorListDlg dialog(errors, this);
    dialog.exec();
  }
  switch (result.Outcome) {
    case TWorkflowOutcome::SchemaMismatch:
    case TWorkflowOutcome::CategoryProblems:
      break;
    case TWorkflowOutcome::FeedNotFound:
    case TWorkflowOutcome::ConnectionFailed:
    case TWorkflowOutcome::UploadFailed:
    case TWorkflowOutcome::Failed:
    case TWorkflowOutcome::HomeInUse:
      ShowError(this, result.Message());
      break;
    case TWorkflowOutcome::ServerBusy:
      LangMessageDlg(this, kServerBusyMessage, TMsgDlgType::Information);
      break;
    case TWorkflowOutcome::Generated:
    case TWorkflowOutcome::Uploaded:
    case TWorkflowOutcome::NothingGenerated:
    case TWorkflowOutcome::Cancelled:
      break;
  }
}

void TRIMainForm::StartStopAutoScanMenuItemClick() {
  if (!CommandEnabled(TMainCommand::AutoScan)) {
    UpdateCommands();
    return;
  }
  runs_->SetAutoScan(!runs_->AutoScanOn());
}

void TRIMainForm::ShowScanStatus(const QString& status) {
  const std::string text = ToWindows1252(status);
  AddScanLogLine(text);
  scanLabelState_.StatusShown(text);
  ShowScanLabel();
  emit ScanStatusShown(status);
}

void TRIMainForm::ShowScanLabel() {
  scanLabel_->ShowStatus(FromWindows1252(scanLabelState_.Text()),
                         FromWindows1252(ShortScanStatus(scanLabelState_.Text())));
  if (scanLabelState_.HoldsFailure() && AutoScanOn()) scanLabel_->setVisible(true);
  // The text must be seen at once, even when the step's next status follows soon.
  scanLabel_->repaint();
}

void TRIMainForm::AddScanLogLine(const std::string& line) {
  const auto now = std::chrono::system_clock::now();
  scanLog_.Add(now, line);
  if (scanLogDlg_) scanLogDlg_->AddNewestLine(ScanLogLine(now, line));
}

void TRIMainForm::ScanLogMenuItemClick() {
  if (!scanLogDlg_) {
    scanLogDlg_ = new TScanLogDlg(this);
    scanLogDlg_->SetLines(scanLog_.Lines());
  }
  scanLogDlg_->show();
  scanLogDlg_->raise();
  scanLogDlg_->activateWindow();
}

void TRIMainForm::OptionsMenuItemClick() {
  if (!CommandEnabled(TMainCommand::Options)) return;
  TRIGeneralOptionsDlg dialog(globals_.GeneralOptions(), globals_.ProgramDir, this);
  if (dialog.exec() != QDialog::Accepted) return;
  globals_.SetGeneralOptions(dialog.Options());
  SaveSettingsNow();
  runs_->ScanCycle().SetScanInterval(globals_.ScanInterval);
  CreateViews();
  FitWindow();
  previewPanel_->ShowCurrentAgain();
}

void TRIMainForm::PageListMenuItemClick() {
  if (!CommandEnabled(TMainCommand::PageList)) return;
  TRIPageListOptionsDlg dialog(
      globals_.Categories, {globals_.ProgramDir, globals_.TemplatesDir, globals_.UseFastext}, this);
  if (dialog.exec() != QDialog::Accepted) return;
  globals_.Categories = dialog.Categories();
  SaveSettingsNow();
}

void TRIMainForm::XMLSchemaMenuItemClick() {
  if (!CommandEnabled(TMainCommand::XMLSchema)) return;
  TRIXmlSchemaDlg dialog(globals_.XmlSchema, this);
  if (dialog.exec() != QDialog::Accepted) return;
  globals_.XmlSchema = dialog.Schema();
  SaveSettingsNow();
}

bool TRIMainForm::SaveSettingsNow() {
  globals_.SaveOnExit = true;
  try {
    // Replaced atomically, so a command or service reading it meanwhile sees the old file or
    // the new one; no home lock is needed for that. Only what was changed here is written, so
    // an edit made on disk meanwhile survives; the operator is told when there was one.
    const TRIGlobals::TSaveReport report = globals_.SaveSettings();
    if (!report.Message.empty()) {
      LangMessageDlg(this, FromUtf8(report.Message), TMsgDlgType::Information);
    }
    return true;
  } catch (const Error& error) {
    // The message names the file as the file system does, in UTF-8. The values stay in the
    // store, so the next save tries again.
    LangMessageDlg(this, FromMessageText(error.what()), TMsgDlgType::Error);
    return false;
  }
}

void TRIMainForm::SetTemplateEditorCommand(std::function<void()> command) {
  templateEditorCommand_ = std::move(command);
}

void TRIMainForm::TemplateEditorMenuItemClick() {
  if (!CommandEnabled(TMainCommand::TemplateEditor)) return;
  if (templateEditorCommand_) {
    templateEditorCommand_();
    return;
  }
  TPTXTTemplateEditorForm form(programFolder_, QString::fromStdString(globals_.TemplatesDir),
                               globals_.DefaultCharSet, this);
  form.exec();
}

void TRIMainForm::RaiseAndRestore(const QString& askedHome) {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  showNormal();
  raise();
  activateWindow();
  const std::string asked = askedHome.toLocal8Bit().toStdString();
  if (asked.empty() || SameFolder(asked, globals_.ProgramDir)) return;
  // Not modal: the request came through the single-instance server, and the window must go on
  // serving the scan while the note is up.
  auto* note = new TLangMessageDialog(
      "This window works on the home " + QString::fromLocal8Bit(globals_.ProgramDir.c_str()) +
          ".\nTavrel was started again for the home " + askedHome +
          ", which was not opened: close this window first to work on it.",
      TMsgDlgType::Information, kButtonsOk, 0, -1, -1, this);
  note->setObjectName("OtherHomeMessage");
  note->setAttribute(Qt::WA_DeleteOnClose);
  note->show();
}

void TRIMainForm::HelpSubjectsMenuItemClick() { ShowHelpSubjects(programFolder_, this); }

void TRIMainForm::AboutMenuItemClick() {
  TPAboutDlg dialog(this);
  dialog.SetProductTitle("Tavrel");
  dialog.exec();
}

void TRIMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  FitWindow();
  setWindowTitle("Tavrel");
  // A window manager puts its frame around the window only when it maps it, and a position
  // applied before that lands on the window's client area instead of its frame.
  RestoreWhenMapped(this, [this] { RestorePosition(); });
  if (globals_.StartScanAtProgramStart && !AutoScanOn()) StartStopAutoScanMenuItemClick();
}

void TRIMainForm::closeEvent(QCloseEvent* event) {
  closing_ = true;
  runs_->Stop();
  SavePosition();
  // Saved here rather than by the store's destructor, so that a failure is shown.
  if (globals_.SaveOnExit && SaveSettingsNow()) globals_.SaveOnExit = false;
  event->accept();
}

void TRIMainForm::RestorePosition() {
  QSettings settings("Dravik", "Tavrel");
  settings.beginGroup("Position");
  if (!settings.contains("Left") || !settings.contains("Top")) return;
  const QPoint saved(settings.value("Left").toInt(), settings.value("Top").toInt());
  std::vector<TScreenArea> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->availableGeometry();
    screens.push_back({area.x(), area.y(), area.width(), area.height()});
  }
  const TScreenPoint position = VisibleWindowPosition(
      {saved.x(), saved.y()}, {frameGeometry().width(), frameGeometry().height()}, screens);
  // Left and Top are the frame's corner, as saved; move() places the frame there once the
  // window manager's frame is known.
  move(position.X, position.Y);
}

void TRIMainForm::SavePosition() const {
  QSettings settings("Dravik", "Tavrel");
  settings.beginGroup("Position");
  const QPoint frame = frameGeometry().topLeft();
  settings.setValue("Left", frame.x());
  settings.setValue("Top", frame.y());
}

QString SingleInstanceServerName() { return "Kalvane-" + QString::number(getuid()); }

}  // namespace tavrel::gui
