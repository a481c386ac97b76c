#include "transfer/progress_dialog_view.h"

#include <QCoreApplication>
#include <chrono>
#include <string>

namespace tavrel::gui {

TProgressDialogView::TProgressDialogView(TPFileProgressDlg* dialog)
    : dialog_(dialog), dialogThread_(dialog->thread()) {
  dialog->SetCancelHandler([stop = stop_]() mutable { stop.request_stop(); });
  auto markClosed = [shared = shared_] {
    std::lock_guard lock(shared->Mutex);
    shared->Closed = true;
    shared->ClosedChanged.notify_all();
  };
  QObject::connect(dialog, &QDialog::finished, dialog, markClosed);
  QObject::connect(dialog, &QObject::destroyed, dialog, markClosed);
}

bool TProgressDialogView::OnDialogThread() const {
  return QThread::currentThread() == dialogThread_;
}

void TProgressDialogView::Post(std::function<void(TPFileProgressDlg&)> change) {
  if (OnDialogThread()) {
    if (dialog_ != nullptr) change(*dialog_);
    // A transfer on the window's thread: let the window paint and the button work.
    QCoreApplication::processEvents();
    return;
  }
  // The context object makes Qt run the call on the dialog's thread and drop it when the
  // dialog is gone.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [dialog = dialog_, change = std::move(change)] {
        if (dialog != nullptr) change(*dialog);
      },
      Qt::QueuedConnection);
}

void TProgressDialogView::Show(TPFileProgress& progress) {
  {
    std::lock_guard lock(shared_->Mutex);
    shared_->Closed = false;
  }
  shared_->Done = progress.Done();
  Post([fileName = progress.FileName(), host = progress.Host(), direction = progress.Direction(),
        total = progress.Total(), autoClose = progress.AutoClose(),
        done = progress.Done()](TPFileProgressDlg& dialog) {
    dialog.SetFileName(fileName);
    dialog.SetHost(host);
    dialog.SetDirection(direction);
    dialog.SetAutoClose(autoClose);
    dialog.SetTotal(total);
    dialog.SetProgress(done);
    dialog.show();
  });
}

void TProgressDialogView::Update(TPFileProgress& progress) {
  shared_->Done = progress.Done();
  // The client library reports many times a second; one queued call at a time is enough, and
  // it shows the latest count when it runs.
  if (!OnDialogThread() && shared_->ProgressPending.exchange(true)) return;
  Post([shared = shared_](TPFileProgressDlg& dialog) {
    shared->ProgressPending = false;
    dialog.SetProgress(shared->Done);
  });
}

void TProgressDialogView::WaitUntilClosed(TPFileProgress& progress) {
  shared_->Done = progress.Done();
  Post([done = progress.Done()](TPFileProgressDlg& dialog) {
    dialog.SetProgress(done);
    dialog.SetFinished();
  });
  if (OnDialogThread()) {
    while (dialog_ != nullptr && dialog_->isVisible()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return;
  }
  std::unique_lock lock(shared_->Mutex);
  shared_->ClosedChanged.wait(lock, [this] { return shared_->Closed; });
}

void TProgressDialogView::Close(TPFileProgress&) {
  Post([](TPFileProgressDlg& dialog) { dialog.hide(); });
}

}  // namespace tavrel::gui
