#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace tavrel {

enum class TTransferDirection { Upload, Download };

// The "File Transfer" dialog without its window: what it shows and how its one button behaves.
// The window (or a terminal progress bar) only draws what this model answers; every decision,
// the captions included, lives here so that it is tested without a display.
class TPFileProgress {
 public:
  // Units of the progress bar: the bar runs from 0 to this value.
  static constexpr int kBarMaximum = 1000;

  using TCancelHandler = std::function<void()>;

  void SetFileName(const std::string& fileName) { fileName_ = fileName; }
  void SetHost(const std::string& host) { host_ = host; }
  void SetDirection(TTransferDirection direction) { direction_ = direction; }
  void SetAutoClose(bool autoClose) { autoClose_ = autoClose; }
  void SetCancelHandler(TCancelHandler handler) { cancelHandler_ = std::move(handler); }

  // Stores the file size; the bar scale follows from it only for a size above 0, so a missing
  // file (size -1) leaves the bar empty while the byte count still shows.
  void SetTotal(std::int64_t bytes);
  // Stores the bytes moved so far; the bar follows through the scale.
  void SetProgress(std::int64_t bytes);
  // The transfer has ended and the dialog waits for the operator; the button turns into OK.
  void SetFinished();
  // The dialog's button: while the transfer runs it cancels it (once), then the dialog closes.
  void ClickButton();

  const std::string& FileName() const { return fileName_; }
  const std::string& Host() const { return host_; }
  TTransferDirection Direction() const { return direction_; }
  bool AutoClose() const { return autoClose_; }
  std::int64_t Total() const { return total_; }
  std::int64_t Done() const { return done_; }
  double Scale() const { return scale_; }
  bool Finished() const { return finished_; }
  bool Closed() const { return closed_; }
  // Bar position: bytes times scale, rounded to the nearest unit and kept within the bar.
  int BarPosition() const;

  // Captions as the dialog shows them.
  std::string Caption() const;
  std::string HostCaption() const;
  std::string TotalCaption() const;
  std::string DirectionCaption() const;
  std::string ProcessedCaption() const;
  std::string ButtonCaption() const;
  std::string StatusLine() const;
  // The button closes the dialog with the result OK once the transfer has finished.
  bool ButtonGivesOk() const { return finished_; }

 private:
  std::string fileName_;
  std::string host_;
  TTransferDirection direction_ = TTransferDirection::Upload;
  bool autoClose_ = true;
  TCancelHandler cancelHandler_;
  std::int64_t total_ = 0;
  std::int64_t done_ = 0;
  double scale_ = 0.0;
  bool finished_ = false;
  bool closed_ = false;
  bool cancelled_ = false;
};

// How an upload shows its progress model. The window implements it with the dialog (letting
// pending window events run in Update, so that the Cancel button works), the command line
// with a bar on the terminal. Every call happens on the thread that runs the transfer.
class TFileProgressView {
 public:
  virtual ~TFileProgressView() = default;
  // The model has its file name, total, host, direction and cancel handler: show it without
  // blocking and paint it once.
  virtual void Show(TPFileProgress& progress) = 0;
  // The byte count changed, or the transfer is waiting: repaint and process pending events.
  virtual void Update(TPFileProgress& progress) = 0;
  // The model is finished and auto close is off: return once the operator closed the dialog
  // (progress.Closed()), waiting in short sleeps that let events run.
  virtual void WaitUntilClosed(TPFileProgress& progress) = 0;
  // The transfer is over: release the dialog.
  virtual void Close(TPFileProgress& progress) = 0;
};

}  // namespace tavrel
