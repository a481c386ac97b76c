#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/scan_status_label.h"
#include "pipeline/main_window_commands.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/scan_cycle.h"
#include "pipeline/scan_label_state.h"
#include "pipeline/scan_log.h"

class QAction;
class QLabel;
class QMenu;

namespace tavrel {
class TRIGlobals;
}

namespace tavrel::gui {

class TPrestView;
class TPreviewPanel;
class TRunCoordinator;
class TScanLogDlg;

// The program's main window: the commands (menus and tool bar, one action each), the preview
// panel, the scan label and log, and the doors to the settings dialogs, the template editor,
// help and about.
//
// Every pipeline run (Preview, Upload, a scan step) runs on the run coordinator's worker, so the
// window keeps painting, the scan label keeps blinking and Exit keeps working. One run at a
// time: while one runs, the pipeline and settings commands are disabled (MainCommandState), and
// the scan's busy flag keeps a second step from starting.
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
  // entry names no page file of the export folder or that file does not exist.
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

  bool AutoScanOn() const;
  // A scan step, Preview or Upload is running on the worker.
  bool RunInProgress() const;
  int PreviewIndex() const;
  // The sections of the last generated "Control.dat" (empty when none).
  std::vector<std::string> PageSections() const;
  TScanCycle& ScanCycle();
  TPrestView* HeaderView() const;
  TPrestView* PageView() const;
  TPrestView* FastextView() const;
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
  QAction* CommandAction(TMainCommand command) const;
  // A tool button named name that shows the command's action, with hint as its tooltip.
  void AddSpeedButton(const char* name, TMainCommand command, const char* hint, int icon);
  TMainWindowState CommandState() const;
  // The one busy check: whether the state lets the command run now.
  bool CommandEnabled(TMainCommand command) const;
  void ConnectRuns();
  void StartRun(bool upload);
  void FinishRun(bool upload, const TWorkflowResult& result);
  void ShowRunMessages(bool upload, const TWorkflowResult& result);
  void AddScanLogLine(const std::string& line);
  void ShowScanLabel();
  // Saves the settings file under the home's write lock; shows a failure and answers false.
  bool SaveSettingsNow();
  // Moves the window to the saved frame position; called once the window is mapped, when a
  // window manager has put its frame around it.
  void RestorePosition();
  void SavePosition() const;

  TRIGlobals& globals_;
  QString programFolder_;
  std::function<void()> templateEditorCommand_;

  TScanLabelState scanLabelState_;
  TScanLog scanLog_;
  QPointer<TScanLogDlg> scanLogDlg_;
  bool closing_ = false;
  bool shownOnce_ = false;

  // The row of tool buttons with the scan label at its end, over the preview.
  QWidget* toolBarPanel_;
  TPreviewPanel* previewPanel_;
  TScanStatusLabel* scanLabel_;
  // One action per command, shown in its menu and on its tool button.
  std::array<QAction*, kMainCommandCount> commandActions_{};
  QMenu* toolsMenu_;
  // Preview, Upload and the automatic scan; a child of the window, deleted first.
  TRunCoordinator* runs_;
};

// The name of the single-instance server: "Kalvane" and the user, so that two users of one
// machine each get their own window.
QString SingleInstanceServerName();

}  // namespace tavrel::gui
