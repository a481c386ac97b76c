#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "pipeline/feed_watch.h"
#include "pipeline/operator_workflows.h"
#include "pipeline/scan_cycle.h"
#include "render/text_layout.h"
#include "support/background_call.h"

class QTimer;
class QWidget;

namespace tavrel {
class TRIGlobals;
}

namespace tavrel::gui {

class TPFileProgressDlg;
class TProgressDialogView;

// Runs the window's pipeline work: Preview, Upload and the automatic scan (its timer, its
// steps, the watch of a local feed file), one run at a time on a worker thread, with the
// upload's progress dialog and its stop. It reports on the window's thread through its signals;
// the window decides which commands may start a run and shows the results.
class TRunCoordinator : public QObject {
  Q_OBJECT

 public:
  // globals outlives the coordinator; dialogParent carries the progress dialog.
  TRunCoordinator(TRIGlobals& globals, QWidget* dialogParent);
  // Ends the feed watch and a run under way (no semaphore is sent after a stop) and waits.
  ~TRunCoordinator() override;

  bool AutoScanOn() const { return autoScanOn_; }
  // A scan step, Preview or Upload is running on the worker.
  bool RunInProgress() const { return runInProgress_; }
  bool RunIsScanStep() const { return runIsScanStep_; }
  TScanCycle& ScanCycle() { return *scanCycle_; }

  // Runs a Preview or an Upload on the worker; RunFinished reports its end.
  void StartRun(bool upload);
  // Switches the automatic scan on or off: its timer, and the watch of a local feed file.
  void SetAutoScan(bool on);
  // Ends the timer, the feed watch and a run under way, and waits for the worker: Exit.
  void Stop();

 signals:
  // A Preview or Upload started, or the automatic scan was switched: the commands change.
  void StateChanged();
  void RunFinished(bool upload, const tavrel::TWorkflowResult& result);
  void ScanStepStarted();
  void ScanStepFinished(tavrel::TScanOutcome outcome);
  // A status of the scan, for its label and its log.
  void ScanStatus(const QString& status);
  // The scan's label blinks while the scan waits.
  void ScanLabelBlink(bool visible);
  // A scan step generated the export anew; the lines say what it made.
  void PagesRegenerated(const std::vector<std::string>& summaryLines);
  // A line for the scan log that is no status (why the feed file is not watched).
  void LogLine(const std::string& line);

 private:
  class TStepProgressView;

  void ScanTimerTimer();
  void StartScanStep();
  void FinishScanStep(TScanOutcome outcome);
  // A local feed file is watched while the scan is on: a step starts once the file has stayed
  // unchanged for a second after a write, instead of at the next timed step.
  void WatchFeedFile();
  void FeedFileSettled(std::chrono::steady_clock::time_point lastWrite);
  void FinishRun(bool upload, const TWorkflowResult& result);
  // The progress dialog of the next upload, its Cancel wired to the run's stop.
  void PrepareProgressDialog();
  void BridgeProgressStop();
  void ReleaseProgressDialog();

  TRIGlobals& globals_;
  QWidget* dialogParent_;
  // Lent to every generator run; only the worker uses it, one run at a time.
  TPTextToPrestelPageForm textToPage_;
  bool autoScanOn_ = false;
  bool runInProgress_ = false;
  bool runIsScanStep_ = false;

  // The scan's progress view forwards to the dialog of the step that runs now.
  std::unique_ptr<TStepProgressView> stepProgress_;
  TSteadyScanClock scanClock_;
  std::unique_ptr<TScanCycle> scanCycle_;
  QTimer* scanTimer_;
  std::unique_ptr<TFeedFileWatch> feedWatch_;
  // The last write of a watched feed change that came while a step ran, which may have fetched
  // the feed before the write.
  std::optional<std::chrono::steady_clock::time_point> pendingFeedChange_;

  TPFileProgressDlg* progressDialog_ = nullptr;
  std::unique_ptr<TProgressDialogView> progressView_;
  std::optional<std::stop_callback<std::function<void()>>> progressStopBridge_;
  // The one worker: a Preview, an Upload or a scan step. Declared last, so that it is waited
  // for before anything it uses goes.
  TBackgroundCall worker_;
};

}  // namespace tavrel::gui
