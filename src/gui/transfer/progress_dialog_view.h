#pragma once

#include <QPointer>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

#include "transfer/file_progress_dlg.h"
#include "transfer/transfer_progress.h"

namespace tavrel::gui {

// Shows an upload's progress in a TPFileProgressDlg, whichever thread runs the upload. The
// transfer calls this view on its own thread; the view hands each change to the dialog's thread
// as a queued call, so the window keeps painting and its Cancel button keeps working. When the
// transfer runs on the dialog's own thread, the view updates the dialog directly and lets
// pending window events run, as a blocking transfer must.
//
// The dialog's Cancel button requests a stop through StopToken(): pass that token to the
// transfer (UploadUpdate's stop, TPFTP::StopToken). The stop source belongs to this view, so a
// click after the transfer has ended touches nothing of the transfer.
//
// Create it and the dialog on the window's thread and keep both until the transfer has ended.
class TProgressDialogView : public TFileProgressView {
 public:
  explicit TProgressDialogView(TPFileProgressDlg* dialog);

  std::stop_token StopToken() const { return stop_.get_token(); }
  // What the Cancel button does; safe from any thread.
  void RequestStop() { stop_.request_stop(); }

  void Show(TPFileProgress& progress) override;
  void Update(TPFileProgress& progress) override;
  void WaitUntilClosed(TPFileProgress& progress) override;
  void Close(TPFileProgress& progress) override;

 private:
  bool OnDialogThread() const;
  void Post(std::function<void(TPFileProgressDlg&)> change);

  // What the dialog's thread and the transfer's thread share. The dialog's handlers and queued
  // calls hold it too, so they stay safe when they run after this view is gone.
  struct TShared {
    std::atomic<std::int64_t> Done = 0;
    // A queued progress call is on its way; later reports only move Done.
    std::atomic<bool> ProgressPending = false;
    std::mutex Mutex;
    std::condition_variable ClosedChanged;
    bool Closed = false;
  };

  // Only dereferenced on the dialog's thread, inside the queued calls.
  QPointer<TPFileProgressDlg> dialog_;
  QThread* dialogThread_;
  std::stop_source stop_;
  std::shared_ptr<TShared> shared_ = std::make_shared<TShared>();
};

}  // namespace tavrel::gui
