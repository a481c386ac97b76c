#include "app/run_coordinator.h"

#include <QTimer>
#include <mutex>
#include <utility>

#include "pipeline/feed_watch.h"
#include "pipeline/settings_store.h"
#include "support/error.h"
#include "support/qt_text.h"
#include "transfer/file_progress_dlg.h"
#include "transfer/progress_dialog_view.h"

namespace tavrel::gui {

// Forwards the scan's upload progress to the dialog of the step that runs now. The coordinator
// sets the target before it starts a step and clears it after the step's thread has finished
// with it.
class TRunCoordinator::TStepProgressView final : public TFileProgressView {
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

TRunCoordinator::TRunCoordinator(TRIGlobals& globals, QWidget* dialogParent)
    : QObject(dialogParent),
      globals_(globals),
      dialogParent_(dialogParent),
      stepProgress_(std::make_unique<TStepProgressView>()) {
  textToPage_.SetFormatCorrection(globals_.FormatCorrection);
  // The step's reports come from the worker; each is queued to this object's thread. Every
  // step reads the settings anew, so a change made between steps counts at the next.
  const auto regenerate = [this] {
    const TRegeneration made = RegenerateExport(globals_, textToPage_);
    QMetaObject::invokeMethod(
        this, [this, lines = made.SummaryLines] { emit PagesRegenerated(lines); },
        Qt::QueuedConnection);
    return made.AnyPage;
  };
  TWorkflowHooks scanHooks;
  scanHooks.ProgressView = stepProgress_.get();
  TScanView scanView;
  scanView.ShowStatus = [this](const std::string& status) {
    QMetaObject::invokeMethod(
        this, [this, text = FromWindows1252(status)] { emit ScanStatus(text); },
        Qt::QueuedConnection);
  };
  scanView.SetLabelVisible = [this](bool visible) {
    QMetaObject::invokeMethod(
        this, [this, visible] { emit ScanLabelBlink(visible); }, Qt::QueuedConnection);
  };
  scanCycle_ = std::make_unique<TScanCycle>(MakeScanOperations(globals_, regenerate, scanHooks),
                                            scanClock_, scanView);
  scanCycle_->SetScanInterval(globals_.ScanInterval);

  scanTimer_ = new QTimer(this);
  scanTimer_->setObjectName("ScanTimer");
  scanTimer_->setInterval(static_cast<int>(TScanCycle::kTickInterval.count()));
  connect(scanTimer_, &QTimer::timeout, this, [this] { ScanTimerTimer(); });
}

TRunCoordinator::~TRunCoordinator() { Stop(); }

void TRunCoordinator::Stop() {
  scanTimer_->stop();
  feedWatch_.reset();
  worker_.RequestStop();
  // A finished upload may wait for its dialog to be closed; closing it lets the worker go.
  if (progressDialog_ != nullptr) {
    delete progressDialog_;
    progressDialog_ = nullptr;
  }
  worker_.Wait();
  stepProgress_->SetTarget(nullptr);
  progressStopBridge_.reset();
  progressView_.reset();
}

void TRunCoordinator::PrepareProgressDialog() {
  progressDialog_ = new TPFileProgressDlg(dialogParent_);
  progressDialog_->setObjectName("FileProgressDlg");
  progressView_ = std::make_unique<TProgressDialogView>(progressDialog_);
}

void TRunCoordinator::BridgeProgressStop() {
  // The dialog's Cancel button ends the whole run: the upload, and anything before it.
  progressStopBridge_.emplace(progressView_->StopToken(),
                              std::function<void()>([runStop = worker_.StopSource()]() mutable {
                                runStop.request_stop();
                              }));
}

void TRunCoordinator::ReleaseProgressDialog() {
  progressStopBridge_.reset();
  progressView_.reset();
  if (progressDialog_ != nullptr) {
    progressDialog_->hide();
    progressDialog_->deleteLater();
    progressDialog_ = nullptr;
  }
}

void TRunCoordinator::StartRun(bool upload) {
  worker_.Wait();
  runInProgress_ = true;
  runIsScanStep_ = false;
  emit StateChanged();
  globals_.SaveOnExit = true;

  TWorkflowHooks hooks;
  if (upload) {
    PrepareProgressDialog();
    hooks.ProgressView = progressView_.get();
  }
  worker_.Start(
      this,
      [this, upload, hooks](std::stop_token stop) mutable {
        hooks.Stop = stop;
        // Both take the home folder for their whole run, so a scan service on the same home
        // waits for them, and they for it.
        return upload ? RunUpload(globals_, textToPage_, hooks)
                      : RunPreview(globals_, textToPage_, hooks);
      },
      [this, upload](const TWorkflowResult& result) { FinishRun(upload, result); });
  if (upload) BridgeProgressStop();
}

void TRunCoordinator::FinishRun(bool upload, const TWorkflowResult& result) {
  worker_.Wait();
  runInProgress_ = false;
  ReleaseProgressDialog();
  emit RunFinished(upload, result);
}

void TRunCoordinator::SetAutoScan(bool on) {
  autoScanOn_ = on;
  if (autoScanOn_) {
    globals_.SaveOnExit = true;
    scanCycle_->SetScanInterval(globals_.ScanInterval);
  }
  scanCycle_->SetAutoScan(autoScanOn_);
  pendingFeedChange_.reset();
  WatchFeedFile();
  if (autoScanOn_ && !scanTimer_->isActive()) scanTimer_->start();
  if (!autoScanOn_) scanTimer_->stop();
  emit StateChanged();
}

void TRunCoordinator::WatchFeedFile() {
  if (!autoScanOn_ || globals_.IsXMLWeb || globals_.XMLFilePath.empty()) {
    feedWatch_.reset();
    return;
  }
  const std::string path = globals_.FeedFilePath();
  if (feedWatch_ && feedWatch_->FeedPath() == path) return;
  feedWatch_.reset();
  try {
    feedWatch_ = std::make_unique<TFeedFileWatch>(
        path, [this](std::chrono::steady_clock::time_point lastWrite, std::stop_token) {
          QMetaObject::invokeMethod(
              this, [this, lastWrite] { FeedFileSettled(lastWrite); }, Qt::QueuedConnection);
        });
  } catch (const Error& error) {
    // The timer stays the schedule; the log says why a write does not start a step at once.
    emit LogLine(std::string("Not watching the feed file: ") + error.what());
  }
}

void TRunCoordinator::FeedFileSettled(std::chrono::steady_clock::time_point lastWrite) {
  // A step that started after the write (the timer's) has already fetched this change.
  if (!autoScanOn_ || !FeedChangeNeedsStep(lastWrite, scanCycle_->LastStepStart())) return;
  if (runInProgress_ || !scanCycle_->ClaimStep()) {
    pendingFeedChange_ = lastWrite;
    return;
  }
  pendingFeedChange_.reset();
  StartScanStep();
}

void TRunCoordinator::ScanTimerTimer() {
  if (!scanCycle_->TickClaimingStep()) return;
  StartScanStep();
}

void TRunCoordinator::StartScanStep() {
  worker_.Wait();
  runInProgress_ = true;
  runIsScanStep_ = true;
  emit ScanStepStarted();
  PrepareProgressDialog();
  stepProgress_->SetTarget(progressView_.get());
  // The step holds the home folder while it writes and sends (HomeInUse when a service on the
  // same home keeps it).
  worker_.Start(
      this, [this](std::stop_token stop) { return scanCycle_->RunClaimedStep(stop); },
      [this](TScanOutcome outcome) { FinishScanStep(outcome); });
  BridgeProgressStop();
}

void TRunCoordinator::FinishScanStep(TScanOutcome outcome) {
  worker_.Wait();
  stepProgress_->SetTarget(nullptr);
  runInProgress_ = false;
  ReleaseProgressDialog();
  emit ScanStepFinished(outcome);
  // With the feed file watched, a change found while the server was busy is tried again soon
  // rather than at the next ScanInterval, as the scan service does.
  if (outcome == TScanOutcome::ServerBusy && feedWatch_) {
    QTimer::singleShot(kBusyRetryWait, this, [this] {
      if (!autoScanOn_ || runInProgress_ || !feedWatch_ ||
          scanCycle_->LastOutcome() != TScanOutcome::ServerBusy || !scanCycle_->ClaimStep()) {
        return;
      }
      StartScanStep();
    });
  }
  if (pendingFeedChange_) {
    const auto lastWrite = *pendingFeedChange_;
    pendingFeedChange_.reset();
    FeedFileSettled(lastWrite);
  }
}

}  // namespace tavrel::gui
