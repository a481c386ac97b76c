#include "transfer/transfer_progress.h"

#include <cmath>

#include "transfer/transfer_texts.h"

namespace tavrel {

void TPFileProgress::SetTotal(std::int64_t bytes) {
  total_ = bytes;
  if (bytes > 0) scale_ = static_cast<double>(kBarMaximum) / static_cast<double>(bytes);
}

void TPFileProgress::SetProgress(std::int64_t bytes) { done_ = bytes; }

void TPFileProgress::SetFinished() { finished_ = true; }

void TPFileProgress::ClickButton() {
  // A second click while the abort is on its way must not abort twice.
  if (!finished_ && !cancelled_ && cancelHandler_) {
    cancelled_ = true;
    cancelHandler_();
  }
  closed_ = true;
}

int TPFileProgress::BarPosition() const {
  const double position = std::round(static_cast<double>(done_) * scale_);
  if (!(position > 0.0)) return 0;
  if (position >= kBarMaximum) return kBarMaximum;
  return static_cast<int>(position);
}

std::string TPFileProgress::Caption() const { return TransferText(TTransferText::ProgressCaption); }

std::string TPFileProgress::HostCaption() const {
  return TransferText(TTransferText::ProgressHost) + host_;
}

std::string TPFileProgress::TotalCaption() const {
  return TransferText(TTransferText::ProgressTotal);
}

std::string TPFileProgress::DirectionCaption() const {
  return TransferText(direction_ == TTransferDirection::Upload ? TTransferText::ProgressUpload
                                                               : TTransferText::ProgressDownload);
}

std::string TPFileProgress::ProcessedCaption() const {
  return TransferText(direction_ == TTransferDirection::Upload ? TTransferText::ProgressTransmitted
                                                               : TTransferText::ProgressReceived);
}

std::string TPFileProgress::ButtonCaption() const {
  return TransferText(finished_ ? TTransferText::ProgressOk : TTransferText::ProgressCancel);
}

std::string TPFileProgress::StatusLine() const {
  return TransferText(finished_ ? TTransferText::ProgressCompleted
                                : TTransferText::ProgressRunning);
}

}  // namespace tavrel
