#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "transfer/transfer_progress.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrel::gui {

// The non-modal "File Transfer" dialog of an upload: file name, total bytes, bytes sent, a bar
// of 1000 units and one button that cancels while the transfer runs and closes once it has
// finished. What it shows comes from the core's progress model; the dialog only draws it.
// Lives on the window's thread; a transfer on a worker reaches it through TProgressDialogView.
class TPFileProgressDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 401;
  static constexpr int kClientHeight = 183;

  explicit TPFileProgressDlg(QWidget* parent = nullptr);

  // Field writes before showing (texts in Windows-1252, as the core keeps them).
  void SetFileName(const std::string& fileName);
  void SetHost(const std::string& host);
  void SetDirection(TTransferDirection direction);
  void SetAutoClose(bool autoClose) { model_.SetAutoClose(autoClose); }
  // Called by the button while the transfer runs; it must be safe to call from this thread.
  void SetCancelHandler(TPFileProgress::TCancelHandler handler);

  void SetTotal(std::int64_t bytes);
  // Bar and byte count follow at once.
  void SetProgress(std::int64_t bytes);
  // The button turns into OK and only closes the dialog.
  void SetFinished();

  const TPFileProgress& Model() const { return model_; }
  QPushButton* Button() const { return button_; }

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape and the window's close button act as the button does.
  void reject() override;

 private:
  void ClickButton();
  void Refresh();

  TPFileProgress model_;
  QGroupBox* hostGroup_;
  QLabel* directionLabel_;
  QLabel* fileNameLabel_;
  QLabel* totalCaption_;
  QLabel* totalLabel_;
  QLabel* processedCaption_;
  QLabel* processedLabel_;
  QProgressBar* bar_;
  QLabel* statusLabel_;
  QPushButton* button_;
};

}  // namespace tavrel::gui
