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
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <mutex>
#include <utility>

#include "app/feed_file_watch.h"
#include "app/scan_log_dlg.h"
#include "app/window_position.h"
#include "editor/template_editor_form.h"
#include "page/broadcast_page_file.h"
#include "pipeline/error_list_dlg.h"
#include "pipeline/feed_watch.h"
#include "pipeline/general_options_dlg.h"
#include "pipeline/page_list_options_dlg.h"
#include "pipeline/settings_store.h"
#include "pipeline/xml_schema_dlg.h"
#include "render/page_renderer.h"
#include "render/prest_view.h"
#include "support/about_dlg.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"
#include "support/view_text_dlg.h"
#include "transfer/file_progress_dlg.h"
#include "transfer/progress_dialog_view.h"

namespace tavrel::gui {

namespace {

// The preview's geometry: the views sit 8 pixels in from the panel's corner, the page view a
// header row below the header view, and the fastext view over the page's last row.
constexpr int kViewMargin = 8;
constexpr int kHeaderRowStep = 24;
constexpr int kFastextOverlap = 28;
constexpr int kBottomMargin = 12;
constexpr int kBottomMarginWithoutFastext = 4;
constexpr int kToolBarHeight = 30;
constexpr int kSpeedButtonSize = 26;

void ShowError(QWidget* parent, const std::string& text) {
  LangMessageDlg(FromWindows1252(text), TMsgDlgType::Error, kButtonsOk, 0, -1, -1, parent);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace

// Forwards the scan's upload progress to the dialog of the step that runs now. The window sets
// the target before it starts a step and clears it after the step's thread has finished with it.
class TRIMainForm::TStepProgressView final : public TFileProgressView {
 public:
  void SetTarget(TFileProgressView* target) {
    const std::lock_guard lock(mutex_);
    target_ = target;
  }
  void Show(TPFileProgress& progress) override {
    if (TFileProgressView* target = Target()) target->Show(progress);
  }
  void Update(TPFileProgress& progress) override {
    if (TFileProgressView* target = Target()) target->Update(progress);
  }
  void WaitUntilClosed(TPFileProgress& progress) override {
    if (TFileProgressView* target = Target()) target->WaitUntilClosed(progress);
  }
  void Close(TPFileProgress& progress) override {
    if (TFileProgressView* target = Target()) target->Close(progress);
  }

 private:
  TFileProgressView* Target() {
    const std::lock_guard lock(mutex_);
    return target_;
  }
  std::mutex mutex_;
  TFileProgressView* target_ = nullptr;
};

TRIMainForm::TRIMainForm(TRIGlobals& globals, QString programFolder, QWidget* parent)
    : QMainWindow(parent),
      globals_(globals),
      programFolder_(std::move(programFolder)),
      stepProgress_(std::make_unique<TStepProgressView>()) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  setObjectName("RIMainForm");
  setWindowTitle("Tavrel");
  textToPage_.SetFormatCorrection(globals_.FormatCorrection);

  auto* client = new QWidget;
  client->setObjectName("MainFormClient");
  testButtonPanel_ = new QWidget(client);
  testButtonPanel_->setObjectName("TestButtonPanel");
  testButtonPanel_->setFixedHeight(kToolBarHeight);
  testPanel_ = new QWidget(client);
  testPanel_->setObjectName("TestPanel");
  testPanel_->setAutoFillBackground(true);
  QPalette black = testPanel_->palette();
  black.setColor(QPalette::Window, Qt::black);
  testPanel_->setPalette(black);
  setCentralWidget(client);

  CreateMenus();
  CreateToolBar();

  // Every step reads the settings anew, so a change made between steps counts at the next.
  const auto regenerate = [this] {
    const TRegeneration made = RegenerateExport(globals_, textToPage_);
    QMetaObject::invokeMethod(
        this,
        [this, lines = made.SummaryLines] {
          // What the generator made goes into the scan log, as the service prints it.
          for (const std::string& line : lines) AddScanLogLine(line);
          ReloadControlFile();
        },
        Qt::QueuedConnection);
    return made.AnyPage;
  };
  TWorkflowHooks scanHooks;
  scanHooks.ProgressView = stepProgress_.get();
  TScanView scanView;
  scanView.ShowStatus = [this](const std::string& status) {
    QMetaObject::invokeMethod(
        this, [this, text = FromWindows1252(status)] { ShowScanStatus(text); },
        Qt::QueuedConnection);
  };
  scanView.SetLabelVisible = [this](bool visible) {
    // A held failure does not blink: it must be seen at a glance.
    QMetaObject::invokeMethod(
        this,
        [this, visible] {
          scanLabel_->setVisible((visible || scanLabelState_.HoldsFailure()) && autoScanOn_);
        },
        Qt::QueuedConnection);
  };
  scanCycle_ = std::make_unique<TScanCycle>(MakeScanOperations(globals_, regenerate, scanHooks),
                                            scanClock_, scanView);
  scanCycle_->SetScanInterval(globals_.ScanInterval);

  scanTimer_ = new QTimer(this);
  scanTimer_->setObjectName("ScanTimer");
  scanTimer_->setInterval(static_cast<int>(TScanCycle::kTickInterval.count()));
  connect(scanTimer_, &QTimer::timeout, this, [this] { ScanTimerTimer(); });

  CreateViews();
  UpdateCommands();
}

TRIMainForm::~TRIMainForm() {
  feedWatch_.reset();
  StopWorker();
}

void TRIMainForm::CreateMenus() {
  const auto add = [this](QMenu* menu, const char* name, const char* caption, auto command) {
    QAction* action = menu->addAction(caption, this, command);
    action->setObjectName(name);
    return action;
  };
  QMenu* fileMenu = menuBar()->addMenu("&File");
  fileMenu->setObjectName("FileMenuItem");
  add(fileMenu, "ExitMenuItem", "Exit", [this] { close(); });

  QMenu* teletextMenu = menuBar()->addMenu("&Teletext");
  teletextMenu->setObjectName("TeletextMenuItem");
  previewMenuItem_ =
      add(teletextMenu, "PreviewMenuItem", "Preview", [this] { PreviewMenuItemClick(); });
  previousPageMenuItem_ = add(teletextMenu, "PreviousPageMenuItem", "Previous Page",
                              [this] { PreviousPageMenuItemClick(); });
  previousPageMenuItem_->setShortcut(QKeySequence(Qt::Key_PageUp));
  nextPageMenuItem_ =
      add(teletextMenu, "NextPageMenuItem", "Next Page", [this] { NextPageMenuItemClick(); });
  nextPageMenuItem_->setShortcut(QKeySequence(Qt::Key_PageDown));
  teletextMenu->addSeparator();
  uploadMenuItem_ =
      add(teletextMenu, "UploadMenuItem", "Upload", [this] { UploadMenuItemClick(); });
  startStopAutoScanMenuItem_ = add(teletextMenu, "StartStopAutoScanMenuItem", "Start Auto Scan",
                                   [this] { StartStopAutoScanMenuItemClick(); });
  add(teletextMenu, "ScanLogMenuItem", "Scan Log", [this] { ScanLogMenuItemClick(); });

  toolsMenu_ = menuBar()->addMenu("T&ools");
  toolsMenu_->setObjectName("ToolsMenuItem");
  toolsMenu_->menuAction()->setObjectName("ToolsMenuItem");
  add(toolsMenu_, "OptionsMenuItem", "Options", [this] { OptionsMenuItemClick(); });
  add(toolsMenu_, "PageListMenuItem", "Categories", [this] { PageListMenuItemClick(); });
  add(toolsMenu_, "TemplateEditorMenuItem", "Template Editor",
      [this] { TemplateEditorMenuItemClick(); });
  add(toolsMenu_, "XMLSchemaMenuItem", "XML Schema", [this] { XMLSchemaMenuItemClick(); });

  QMenu* helpMenu = menuBar()->addMenu("&Help");
  helpMenu->setObjectName("HelpMenuItem");
  add(helpMenu, "HelpSubjectsMenuItem", "Help subjects", [this] { HelpSubjectsMenuItemClick(); });
  add(helpMenu, "AboutMenuItem", "About", [this] { AboutMenuItemClick(); });
}

QToolButton* TRIMainForm::AddSpeedButton(const char* name, const char* hint, int icon) {
  auto* button = new QToolButton(testButtonPanel_);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setAccessibleName(hint);
  button->setAutoRaise(true);
  button->setFixedSize(kSpeedButtonSize, kSpeedButtonSize);
  button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
  testButtonPanel_->layout()->addWidget(button);
  return button;
}

void TRIMainForm::CreateToolBar() {
  auto* row = new QHBoxLayout(testButtonPanel_);
  row->setContentsMargins(4, 2, 8, 2);
  row->setSpacing(1);
  const auto gap = [row] { row->addSpacing(8); };
  previewSpeedButton_ =
      AddSpeedButton("PreviewSpeedButton", "Test preview", QStyle::SP_FileDialogContentsView);
  prevSpeedButton_ =
      AddSpeedButton("PrevSpeedButton", "Previous preview page", QStyle::SP_ArrowLeft);
  nextSpeedButton_ = AddSpeedButton("NextSpeedButton", "Next preview page", QStyle::SP_ArrowRight);
  gap();
  uploadSpeedButton_ =
      AddSpeedButton("UploadSpeedButton", "Test upload to Varnex", QStyle::SP_ArrowUp);
  autoScanButton_ =
      AddSpeedButton("AutoScanButton", "Start/stop auto scan", QStyle::SP_BrowserReload);
  autoScanButton_->setCheckable(true);
  gap();
  pageListSpeedButton_ =
      AddSpeedButton("PageListSpeedButton", "Categories", QStyle::SP_FileDialogDetailedView);
  templateEditorSpeedButton_ =
      AddSpeedButton("TemplateEditorSpeedButton", "Template editor", QStyle::SP_FileIcon);
  gap();
  scanLabel_ = new TScanStatusLabel(testButtonPanel_);
  scanLabel_->setObjectName("ScanLabel");
  scanLabel_->ShowStatus(kScanIdle, kScanIdle);
  QFont bold = scanLabel_->font();
  bold.setBold(true);
  scanLabel_->setFont(bold);
  QPalette red = scanLabel_->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  scanLabel_->setPalette(red);
  row->addWidget(scanLabel_, 1);

  connect(previewSpeedButton_, &QToolButton::clicked, this, [this] { PreviewMenuItemClick(); });
  connect(prevSpeedButton_, &QToolButton::clicked, this, [this] { PreviousPageMenuItemClick(); });
  connect(nextSpeedButton_, &QToolButton::clicked, this, [this] { NextPageMenuItemClick(); });
  connect(uploadSpeedButton_, &QToolButton::clicked, this, [this] { UploadMenuItemClick(); });
  // The toggle's down state follows AutoScanOn, which UpdateCommands sets.
  connect(autoScanButton_, &QToolButton::clicked, this,
          [this] { StartStopAutoScanMenuItemClick(); });
  connect(pageListSpeedButton_, &QToolButton::clicked, this, [this] { PageListMenuItemClick(); });
  connect(templateEditorSpeedButton_, &QToolButton::clicked, this,
          [this] { TemplateEditorMenuItemClick(); });
}

void TRIMainForm::CreateViews() {
  delete headerView_;
  delete pageView_;
  delete fastextView_;
  fastextView_ = nullptr;

  const auto makeView = [this](const char* name, int rows) {
    auto* view = new TPrestView(testPanel_);
    view->setObjectName(name);
    view->SetFontSize(3);
    view->SetRows(rows);
    view->SetLinksEnabled(true);
    view->show();
    return view;
  };
  headerView_ = makeView("HeaderView", 1);
  headerView_->SetFastextMode(true);
  headerView_->move(kViewMargin, kViewMargin);

  pageView_ = makeView("PageView", kPageRows - 1);
  pageView_->move(kViewMargin, headerView_->y() + kHeaderRowStep);
  connect(pageView_, &TPrestView::OnPageClick, this,
          [this](TPrestView*, Qt::MouseButton button, QPoint, int, int, const QString& number) {
            if (button == Qt::LeftButton) FollowPageNumber(number);
          });

  if (globals_.UseFastext) {
    pageView_->SetRows(kPageRows);
    fastextView_ = makeView("FastextView", 1);
    fastextView_->SetFrameVisible(false);
    fastextView_->SetFastextMode(true);
    fastextView_->move(pageView_->x(), pageView_->y() + pageView_->height() - kFastextOverlap);
    // The fastext row lies over the page's last row, but its hidden frame would still cover the
    // foot of the row above it: only the row itself and the sides and foot of the frame are
    // drawn over the page.
    fastextView_->setMask(QRegion(0, kFrameThickness, fastextView_->width(),
                                  fastextView_->height() - kFrameThickness));
    connect(fastextView_, &TPrestView::OnFastextLink, this,
            [this](TPrestView*, const QString& link) { FollowPageNumber(link); });
  }
  headerView_->Clear();
  pageView_->Clear();
  if (fastextView_ != nullptr) fastextView_->Clear();
}

void TRIMainForm::FitWindow() {
  const TPrestView* lowest = fastextView_ != nullptr ? fastextView_ : pageView_;
  const int width = pageView_->x() + pageView_->width() + kViewMargin;
  int panelHeight = lowest->y() + lowest->height() + kBottomMargin;
  if (fastextView_ == nullptr) panelHeight -= kBottomMarginWithoutFastext;
  testButtonPanel_->setGeometry(0, 0, width, kToolBarHeight);
  testPanel_->setGeometry(0, kToolBarHeight, width, panelHeight);
  centralWidget()->setFixedSize(width, kToolBarHeight + panelHeight);
  // The window is as large as its contents and cannot be resized.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  adjustSize();
}

bool TRIMainForm::RunInProgress() const { return runInProgress_; }

std::vector<std::string> TRIMainForm::PageSections() const {
  return controlFile_ ? controlFile_->PageSections() : std::vector<std::string>{};
}

void TRIMainForm::UpdateCommands() {
  const int sectionCount = controlFile_ ? static_cast<int>(controlFile_->PageSections().size()) : 0;
  const bool previous = controlFile_ && previewIndex_ > 0;
  const bool next = controlFile_ && previewIndex_ < sectionCount - 1;
  // A Preview or Upload on the worker holds the commands as the automatic scan does.
  const bool free = !autoScanOn_ && !runInProgress_;
  for (QAction* action : {previewMenuItem_, uploadMenuItem_, toolsMenu_->menuAction()}) {
    action->setEnabled(free);
  }
  for (QToolButton* button : {templateEditorSpeedButton_, previewSpeedButton_, uploadSpeedButton_,
                              pageListSpeedButton_}) {
    button->setEnabled(free);
  }
  prevSpeedButton_->setEnabled(previous && free);
  previousPageMenuItem_->setEnabled(previous && free);
  nextSpeedButton_->setEnabled(next && free);
  nextPageMenuItem_->setEnabled(next && free);

  // The scan can be switched off during its own step, but not started during a Preview or
  // Upload: that run holds the worker.
  const bool toggleEnabled = !(runInProgress_ && !runIsScanStep_);
  autoScanButton_->setEnabled(toggleEnabled);
  startStopAutoScanMenuItem_->setEnabled(toggleEnabled);
  autoScanButton_->setChecked(autoScanOn_);
  scanLabel_->setVisible(autoScanOn_);
  startStopAutoScanMenuItem_->setText(autoScanOn_ ? "Stop Auto Scan" : "Start Auto Scan");
  if (autoScanOn_ && !scanTimer_->isActive()) scanTimer_->start();
  if (!autoScanOn_) scanTimer_->stop();
}

bool TRIMainForm::ShowPreviewPage(const std::string& section) {
  if (!controlFile_) return false;
  std::vector<std::string> entry;
  controlFile_->ReadEntry(section, entry);
  const std::optional<std::string> fileName = TPTxtControlFile::EntryValue(entry, "Filename");
  if (!fileName || fileName->empty()) return false;
  const std::string path = globals_.ExportDir + *fileName;
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) return false;

  TPrestPage page{};
  TPrestPageHeader header{};
  try {
    if (!ReadPagFile(path, page, header)) return false;
  } catch (const Error& error) {
    // A broken page file must not end the program; the operator learns which file it is.
    ShowError(this, error.what());
    return false;
  }
  int charSet = 0;
  if (const auto value = TPTxtControlFile::EntryValue(entry, "CharSet")) {
    try {
      charSet = std::stoi(*value);
    } catch (const std::exception&) {
      charSet = 0;
    }
  }
  page.CharSet = static_cast<std::uint8_t>(charSet);

  headerView_->SetHeaderText("\x03" + section.substr(0, 3));
  pageView_->SetPage(page);
  pageView_->SetPageNumber(FromWindows1252(section.substr(0, 3)));
  if (fastextView_ != nullptr) {
    fastextView_->SetPage(page);
    // Prompts that cannot be read back (a space inside one, from a settings file edited by
    // hand) leave an empty row, never the page's own row 1 with the last page's links.
    if (!fastextView_->SetFastextFromControl(
            TPTxtControlFile::EntryValue(entry, "Prompts").value_or(""),
            TPTxtControlFile::EntryValue(entry, "Links").value_or(""))) {
      fastextView_->SetFastext({}, {});
    }
  }
  const std::vector<std::string>& sections = controlFile_->PageSections();
  const auto found = std::find(sections.begin(), sections.end(), section);
  previewIndex_ = found == sections.end() ? -1 : static_cast<int>(found - sections.begin());
  UpdateCommands();
  return true;
}

void TRIMainForm::FollowPageNumber(const QString& number) {
  if (number.isEmpty()) return;
  const std::string page = ToWindows1252(number);
  if (!ShowPreviewPage(page + ".0000")) ShowPreviewPage(page + ".0001");
}

void TRIMainForm::ReloadControlFile() {
  controlFile_.reset();
  previewIndex_ = -1;
  try {
    controlFile_ = std::make_unique<TPTxtControlFile>(globals_.ExportDir + "Control.dat");
  } catch (const Error& error) {
    ShowError(this, error.what());
  }
  headerView_->Clear();
  pageView_->Clear();
  pageView_->SetPageNumber(QString());
  if (fastextView_ != nullptr) fastextView_->Clear();
  if (controlFile_ && !controlFile_->PageSections().empty()) {
    ShowPreviewPage(controlFile_->PageSections().front());
  }
  UpdateCommands();
}

void TRIMainForm::PreviousPageMenuItemClick() {
  if (!controlFile_ || previewIndex_ <= 0) return;
  ShowPreviewPage(controlFile_->PageSections()[static_cast<std::size_t>(previewIndex_ - 1)]);
}

void TRIMainForm::NextPageMenuItemClick() {
  if (!controlFile_ || previewIndex_ < 0) return;
  const auto& sections = controlFile_->PageSections();
  if (previewIndex_ >= static_cast<int>(sections.size()) - 1) return;
  ShowPreviewPage(sections[static_cast<std::size_t>(previewIndex_ + 1)]);
}

void TRIMainForm::PreviewMenuItemClick() { StartRun(false); }

void TRIMainForm::UploadMenuItemClick() { StartRun(true); }

void TRIMainForm::PrepareProgressDialog(std::stop_source runStop) {
  progressDialog_ = new TPFileProgressDlg(this);
  progressDialog_->setObjectName("FileProgressDlg");
  progressView_ = std::make_unique<TProgressDialogView>(progressDialog_);
  // The dialog's Cancel button ends the whole run: the upload, and anything before it.
  progressStopBridge_.emplace(
      progressView_->StopToken(),
      std::function<void()>([runStop]() mutable { runStop.request_stop(); }));
}

void TRIMainForm::ReleaseProgressDialog() {
  progressStopBridge_.reset();
  progressView_.reset();
  if (progressDialog_ != nullptr) {
    progressDialog_->hide();
    progressDialog_->deleteLater();
    progressDialog_ = nullptr;
  }
}

void TRIMainForm::StartRun(bool upload) {
  if (runInProgress_ || autoScanOn_) return;
  if (worker_.joinable()) worker_.join();
  runInProgress_ = true;
  runIsScanStep_ = false;
  UpdateCommands();
  setCursor(Qt::BusyCursor);
  globals_.SaveOnExit = true;

  runStop_ = std::stop_source();
  TWorkflowHooks hooks;
  hooks.Stop = runStop_.get_token();
  if (upload) {
    PrepareProgressDialog(runStop_);
    hooks.ProgressView = progressView_.get();
  }
  worker_ = std::jthread([this, upload, hooks] {
    // Both take the home folder for their whole run, so a scan service on the same home
    // waits for them, and they for it.
    const TWorkflowResult result =
        upload ? RunUpload(globals_, textToPage_, hooks) : RunPreview(globals_, textToPage_, hooks);
    QMetaObject::invokeMethod(
        this, [this, upload, result] { FinishRun(upload, result); }, Qt::QueuedConnection);
  });
}

void TRIMainForm::FinishRun(bool upload, const TWorkflowResult& result) {
  if (worker_.joinable()) worker_.join();
  runInProgress_ = false;
  ReleaseProgressDialog();
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
      LangMessageDlg(kServerBusyMessage, TMsgDlgType::Information, kButtonsOk, 0, -1, -1, this);
      break;
    case TWorkflowOutcome::Generated:
    case TWorkflowOutcome::Uploaded:
    case TWorkflowOutcome::NothingGenerated:
    case TWorkflowOutcome::Cancelled:
      break;
  }
}

void TRIMainForm::StartStopAutoScanMenuItemClick() {
  if (runInProgress_ && !runIsScanStep_) {
    UpdateCommands();
    return;
  }
  autoScanOn_ = !autoScanOn_;
  if (autoScanOn_) {
    globals_.SaveOnExit = true;
    scanCycle_->SetScanInterval(globals_.ScanInterval);
  }
  scanCycle_->SetAutoScan(autoScanOn_);
  pendingFeedChange_.reset();
  WatchFeedFile();
  UpdateCommands();
}

void TRIMainForm::WatchFeedFile() {
  if (!autoScanOn_ || globals_.IsXMLWeb || globals_.XMLFilePath.empty()) {
    feedWatch_.reset();
    return;
  }
  const std::string path = globals_.FeedFilePath();
  if (feedWatch_ && feedWatch_->FeedPath() == path) return;
  feedWatch_.reset();
  try {
    feedWatch_ = std::make_unique<TFeedFileWatch>(
        path, [this](std::chrono::steady_clock::time_point lastWrite) {
          QMetaObject::invokeMethod(
              this, [this, lastWrite] { FeedFileSettled(lastWrite); }, Qt::QueuedConnection);
        });
  } catch (const Error& error) {
    // The timer stays the schedule; the log says why a write does not start a step at once.
    AddScanLogLine(std::string("Not watching the feed file: ") + error.what());
  }
}

void TRIMainForm::FeedFileSettled(std::chrono::steady_clock::time_point lastWrite) {
  // A step that started after the write (the timer's) has already fetched this change.
  if (!autoScanOn_ || !FeedChangeNeedsStep(lastWrite, scanCycle_->LastStepStart())) return;
  if (runInProgress_ || !scanCycle_->ClaimStep()) {
    pendingFeedChange_ = lastWrite;
    return;
  }
  pendingFeedChange_.reset();
  StartScanStep();
}

void TRIMainForm::ScanTimerTimer() {
  if (!scanCycle_->TickClaimingStep()) return;
  StartScanStep();
}

void TRIMainForm::StartScanStep() {
  if (worker_.joinable()) worker_.join();
  runInProgress_ = true;
  runIsScanStep_ = true;
  scanLabelState_.StepStarted();
  UpdateCommands();
  runStop_ = std::stop_source();
  PrepareProgressDialog(runStop_);
  stepProgress_->SetTarget(progressView_.get());
  worker_ = std::jthread([this, stop = runStop_.get_token()] {
    // The step holds the home folder while it writes and sends (HomeInUse when a service
    // on the same home keeps it).
    const TScanOutcome outcome = scanCycle_->RunClaimedStep(stop);
    QMetaObject::invokeMethod(
        this,
        [this, outcome] {
          if (worker_.joinable()) worker_.join();
          stepProgress_->SetTarget(nullptr);
          runInProgress_ = false;
          ReleaseProgressDialog();
          scanLabelState_.StepFinished(outcome);
          UpdateCommands();
          ShowScanLabel();
          emit ScanStepFinished(outcome);
          if (pendingFeedChange_) {
            const auto lastWrite = *pendingFeedChange_;
            pendingFeedChange_.reset();
            FeedFileSettled(lastWrite);
          }
        },
        Qt::QueuedConnection);
  });
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
  if (scanLabelState_.HoldsFailure() && autoScanOn_) scanLabel_->setVisible(true);
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

void TRIMainForm::StopWorker() {
  runStop_.request_stop();
  // A finished upload may wait for its dialog to be closed; closing it lets the worker go.
  if (progressDialog_ != nullptr) {
    delete progressDialog_;
    progressDialog_ = nullptr;
  }
  if (worker_.joinable()) worker_.join();
  stepProgress_->SetTarget(nullptr);
  progressStopBridge_.reset();
  progressView_.reset();
}

void TRIMainForm::OptionsMenuItemClick() {
  if (runInProgress_ || autoScanOn_) return;
  TRIGeneralOptionsDlg dialog(globals_.GeneralOptions(), globals_.ProgramDir, this);
  if (dialog.exec() != QDialog::Accepted) return;
  globals_.SetGeneralOptions(dialog.Options());
  SaveSettingsNow();
  scanCycle_->SetScanInterval(globals_.ScanInterval);
  CreateViews();
  FitWindow();
  if (controlFile_ && previewIndex_ >= 0) {
    ShowPreviewPage(controlFile_->PageSections()[static_cast<std::size_t>(previewIndex_)]);
  }
}

void TRIMainForm::PageListMenuItemClick() {
  if (runInProgress_ || autoScanOn_) return;
  TRIPageListOptionsDlg dialog(
      globals_.Categories, {globals_.ProgramDir, globals_.TemplatesDir, globals_.UseFastext}, this);
  if (dialog.exec() != QDialog::Accepted) return;
  globals_.Categories = dialog.Categories();
  SaveSettingsNow();
}

void TRIMainForm::XMLSchemaMenuItemClick() {
  if (runInProgress_ || autoScanOn_) return;
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
      LangMessageDlg(FromUtf8(report.Message), TMsgDlgType::Information, kButtonsOk, 0, -1, -1,
                     this);
    }
    return true;
  } catch (const Error& error) {
    // The message names the file as the file system does, in UTF-8. The values stay in the
    // store, so the next save tries again.
    LangMessageDlg(FromMessageText(error.what()), TMsgDlgType::Error, kButtonsOk, 0, -1, -1, this);
    return false;
  }
}

void TRIMainForm::SetTemplateEditorCommand(std::function<void()> command) {
  templateEditorCommand_ = std::move(command);
}

void TRIMainForm::TemplateEditorMenuItemClick() {
  if (runInProgress_ || autoScanOn_) return;
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
  if (globals_.StartScanAtProgramStart && !autoScanOn_) StartStopAutoScanMenuItemClick();
}

void TRIMainForm::closeEvent(QCloseEvent* event) {
  closing_ = true;
  scanTimer_->stop();
  feedWatch_.reset();
  StopWorker();
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
