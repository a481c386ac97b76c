#include "transfer/file_progress_dlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  label->setAlignment(alignment);
  return label;
}

}  // namespace

TPFileProgressDlg::TPFileProgressDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("FileProgressDlg");
  setFont(DialogFont());
  setModal(false);
  setFixedSize(kClientWidth, kClientHeight);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  hostGroup_ = new QGroupBox(this);
  hostGroup_->setObjectName("HostGroup");
  hostGroup_->setGeometry(8, 6, kClientWidth - 16, 132);

  constexpr int kCaptionLeft = 12;
  constexpr int kValueLeft = 128;
  constexpr int kValueWidth = 120;
  constexpr int kRowHeight = 17;
  directionLabel_ = MakeLabel(hostGroup_, "DirectionLabel", {kCaptionLeft, 20, 112, kRowHeight});
  fileNameLabel_ = MakeLabel(hostGroup_, "FileNameLabel", {kValueLeft, 20, 245, kRowHeight});
  totalCaption_ = MakeLabel(hostGroup_, "TotalCaption", {kCaptionLeft, 40, 112, kRowHeight});
  totalLabel_ = MakeLabel(hostGroup_, "TotalLabel", {kValueLeft, 40, kValueWidth, kRowHeight},
                          Qt::AlignRight | Qt::AlignVCenter);
  processedCaption_ =
      MakeLabel(hostGroup_, "ProcessedCaption", {kCaptionLeft, 60, 112, kRowHeight});
  processedLabel_ =
      MakeLabel(hostGroup_, "ProcessedLabel", {kValueLeft, 60, kValueWidth, kRowHeight},
                Qt::AlignRight | Qt::AlignVCenter);
  bar_ = new QProgressBar(hostGroup_);
  bar_->setObjectName("ProgressBar");
  bar_->setGeometry(kCaptionLeft, 84, hostGroup_->width() - 2 * kCaptionLeft, 16);
  bar_->setRange(0, TPFileProgress::kBarMaximum);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  statusLabel_ = MakeLabel(hostGroup_, "StatusLabel",
                           {kCaptionLeft, 106, hostGroup_->width() - 2 * kCaptionLeft, kRowHeight});

  button_ = new QPushButton(this);
  button_->setObjectName("ProgressButton");
  button_->setGeometry((kClientWidth - 75) / 2, 148, 75, 25);
  button_->setDefault(true);
  connect(button_, &QPushButton::clicked, this, &TPFileProgressDlg::ClickButton);

  Refresh();
  // The byte labels start empty: nothing has been set yet.
  totalLabel_->clear();
  processedLabel_->clear();
  fileNameLabel_->clear();
  statusLabel_->clear();
}

void TPFileProgressDlg::SetFileName(const std::string& fileName) {
  model_.SetFileName(fileName);
  Refresh();
}

void TPFileProgressDlg::SetHost(const std::string& host) {
  model_.SetHost(host);
  Refresh();
}

void TPFileProgressDlg::SetDirection(TTransferDirection direction) {
  model_.SetDirection(direction);
  Refresh();
}

void TPFileProgressDlg::SetCancelHandler(TPFileProgress::TCancelHandler handler) {
  model_.SetCancelHandler(std::move(handler));
}

void TPFileProgressDlg::SetTotal(std::int64_t bytes) {
  model_.SetTotal(bytes);
  Refresh();
}

void TPFileProgressDlg::SetProgress(std::int64_t bytes) {
  model_.SetProgress(bytes);
  Refresh();
  repaint();
}

void TPFileProgressDlg::SetFinished() {
  model_.SetFinished();
  Refresh();
}

void TPFileProgressDlg::Refresh() {
  setWindowTitle(FromWindows1252(model_.Caption()));
  hostGroup_->setTitle(FromWindows1252(model_.HostCaption()));
  directionLabel_->setText(FromWindows1252(model_.DirectionCaption()));
  fileNameLabel_->setText(FromWindows1252(model_.FileName()));
  totalCaption_->setText(FromWindows1252(model_.TotalCaption()));
  totalLabel_->setText(QString::number(model_.Total()));
  processedCaption_->setText(FromWindows1252(model_.ProcessedCaption()));
  processedLabel_->setText(QString::number(model_.Done()));
  bar_->setValue(model_.BarPosition());
  statusLabel_->setText(FromWindows1252(model_.StatusLine()));
  button_->setText(FromWindows1252(model_.ButtonCaption()));
}

void TPFileProgressDlg::showEvent(QShowEvent* event) {
  Refresh();
  if (parentWidget() == nullptr && screen() != nullptr) {
    move(screen()->availableGeometry().center() - rect().center());
  }
  QDialog::showEvent(event);
}

void TPFileProgressDlg::ClickButton() {
  const bool ok = model_.ButtonGivesOk();
  model_.ClickButton();
  done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void TPFileProgressDlg::reject() {
  if (model_.Closed()) {
    QDialog::reject();
    return;
  }
  ClickButton();
}

}  // namespace tavrel::gui
