#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "app/scan_status_label.h"
#include "pipeline/control_file_reader.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/scan_cycle.h"
#include "pipeline/scan_label_state.h"
#include "pipeline/scan_log.h"
#include "render/text_layout.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;

namespace tavrel {
class TRIGlobals;
}

namespace tavrel::gui {

class TFeedFileWatch;
class TPrestView;
class TPFileProgressDlg;
class TScanLogDlg;
class TProgressDialogView;

// The program's main window and the owner of the pipeline: Preview, Upload and the automatic
// scan, a teletext preview of the generated pages with paging, and the doors to the settings
// dialogs, the template editor, help and about.
//
// Every pipeline run (Preview, Upload, a scan step) runs on a worker thread, so the window keeps
// painting, the scan label keeps blinking and Exit keeps working; the worker's reports reach the
// window as queued calls. One run at a time: while one runs, the pipeline and settings commands
// are disabled, and the scan's busy flag keeps a second step from starting.
class TRIMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // globals is the program's settings store; it outlives the window. programFolder holds the
  // program's own files (Help.rtf). Creating the window selects English for the shared texts.
  TRIMainForm(TRIGlobals& globals, QString programFolder, QWidget* parent = nullptr);
  ~TRIMainForm() override;

  // The commands, as the menus and the tool bar run them.
  void PreviewMenuItemClick();
  void UploadMenuItemClick();
  void PreviousPageMenuItemClick();
  void NextPageMenuItemClick();
  void StartStopAutoScanMenuItemClick();
  void OptionsMenuItemClick();
  void PageListMenuItemClick();
  void XMLSchemaMenuItemClick();
  void TemplateEditorMenuItemClick();
  void HelpSubjectsMenuItemClick();
  void AboutMenuItemClick();
  // Opens the scan log beside the window (or brings it to the front).
  void ScanLogMenuItemClick();

  // A later start of the program asked for this window: out of the minimised state, to the top.
  // When it asked for another home than this window's (askedHome, empty when it named none),
  // the window says which home it works on and which one was asked for.
  void RaiseAndRestore(const QString& askedHome = QString());

  // Replaces what the Template Editor command does (by default it opens the template editor
  // modally).
  void SetTemplateEditorCommand(std::function<void()> command);

  // (Re)creates the header, page and fastext views on the preview panel for UseFastext.
  void CreateViews();
  // Fixes the window's size to the views.
  void FitWindow();
  // Enables the commands for the state: manual, automatic scan, or a run in progress.
  void UpdateCommands();
  // Shows the page of a "Control.dat" section ("101.0000"); false, changing nothing, when the
  // section's page file does not exist.
  bool ShowPreviewPage(const std::string& section);
  // A page number clicked on the page or a fastext link: sub-page 0000, else 0001.
  void FollowPageNumber(const QString& number);
  // Reads ExportDir's "Control.dat" again and shows its first page, or nothing.
  void ReloadControlFile();
  // Takes a status of the scan: into the scan log, and into the scan label (repainted at once),
  // which keeps a failure shown until a step succeeds.
  void ShowScanStatus(const QString& status);
  // The scan's lines of this session, newest first.
  std::vector<std::string> ScanLogLines() const { return scanLog_.Lines(); }

  bool AutoScanOn() const { return autoScanOn_; }
  // A scan step, Preview or Upload is running on the worker.
  bool RunInProgress() const;
  int PreviewIndex() const { return previewIndex_; }
  // The sections of the last generated "Control.dat" (empty when none).
  std::vector<std::string> PageSections() const;
  TScanCycle& ScanCycle() { return *scanCycle_; }
  TPrestView* HeaderView() const { return headerView_; }
  TPrestView* PageView() const { return pageView_; }
  TPrestView* FastextView() const { return fastextView_; }
  QLabel* ScanLabel() const { return scanLabel_; }
  TRIGlobals& Globals() { return globals_; }

 signals:
  // A Preview or Upload has ended and its messages have been shown.
  void RunFinished(tavrel::TWorkflowOutcome outcome);
  // A scan step has ended.
  void ScanStepFinished(tavrel::TScanOutcome outcome);
  // The scan label's text changed (on the window's thread), in the order shown.
  void ScanStatusShown(const QString& status);

 protected:
  void showEvent(QShowEvent* event) override;
  // Ends a running step or upload (no semaphore is sent after a stop), then saves the window
  // position and the settings.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenus();
  void CreateToolBar();
  QToolButton* AddSpeedButton(const char* name, const char* hint, int icon);
  void ScanTimerTimer();
  void StartScanStep();
  // A local feed file is watched while the scan is on: a step starts once the file has stayed
  // unchanged for a second after a write, instead of at the next timed step.
  void WatchFeedFile();
  void FeedFileSettled(std::chrono::steady_clock::time_point lastWrite);
  void AddScanLogLine(const std::string& line);
  void ShowScanLabel();
  // Runs a Preview or Upload on the worker.
  void StartRun(bool upload);
  void FinishRun(bool upload, const TWorkflowResult& result);
  void ShowRunMessages(bool upload, const TWorkflowResult& result);
  // Ends the worker: requests a stop and waits for it.
  void StopWorker();
  // The progress dialog of the next upload, with a stop of its own wired to the run's.
  void PrepareProgressDialog(std::stop_source runStop);
  void ReleaseProgressDialog();
  // Saves the settings file under the home's write lock; shows a failure and answers false.
  bool SaveSettingsNow();
  // Moves the window to the saved frame position; called once the window is mapped, when a
  // window manager has put its frame around it.
  void RestorePosition();
  void SavePosition() const;

  TRIGlobals& globals_;
  QString programFolder_;
  std::function<void()> templateEditorCommand_;

  // Lent to every generator run; only the worker uses it, one run at a time.
  TPTextToPrestelPageForm textToPage_;
  std::unique_ptr<TPTxtControlFile> controlFile_;
  int previewIndex_ = -1;
  bool autoScanOn_ = false;

  // The scan's progress view forwards to the dialog of the step that runs now.
  class TStepProgressView;
  std::unique_ptr<TStepProgressView> stepProgress_;
  std::unique_ptr<TScanCycle> scanCycle_;
  TSteadyScanClock scanClock_;
  QTimer* scanTimer_;
  std::unique_ptr<TFeedFileWatch> feedWatch_;
  // The last write of a watched feed change that came while a step ran, which may have fetched
  // the feed before the write.
  std::optional<std::chrono::steady_clock::time_point> pendingFeedChange_;
  TScanLabelState scanLabelState_;
  TScanLog scanLog_;
  QPointer<TScanLogDlg> scanLogDlg_;

  // The one worker: a Preview, an Upload or a scan step.
  std::jthread worker_;
  bool runInProgress_ = false;
  bool runIsScanStep_ = false;
  bool closing_ = false;
  // Stops the run on the worker: Exit, or the progress dialog's Cancel.
  std::stop_source runStop_;
  bool shownOnce_ = false;
  TPFileProgressDlg* progressDialog_ = nullptr;
  std::unique_ptr<TProgressDialogView> progressView_;
  std::optional<std::stop_callback<std::function<void()>>> progressStopBridge_;

  QWidget* testButtonPanel_;
  QWidget* testPanel_;
  TScanStatusLabel* scanLabel_;
  TPrestView* headerView_ = nullptr;
  TPrestView* pageView_ = nullptr;
  TPrestView* fastextView_ = nullptr;

  QAction* previewMenuItem_;
  QAction* previousPageMenuItem_;
  QAction* nextPageMenuItem_;
  QAction* uploadMenuItem_;
  QAction* startStopAutoScanMenuItem_;
  QMenu* toolsMenu_;
  QToolButton* previewSpeedButton_;
  QToolButton* prevSpeedButton_;
  QToolButton* nextSpeedButton_;
  QToolButton* uploadSpeedButton_;
  QToolButton* autoScanButton_;
  QToolButton* pageListSpeedButton_;
  QToolButton* templateEditorSpeedButton_;
};

// The name of the single-instance server: "Kalvane" and the user, so that two users of one
// machine each get their own window.
QString SingleInstanceServerName();

}  // namespace tavrel::gui
