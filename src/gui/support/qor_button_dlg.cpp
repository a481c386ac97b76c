#include "support/qor_button_dlg.h"

#include <QPushButton>
#include <QResizeEvent>

#include "support/dialog_layout.h"
#include "support/language_texts.h"
#include "support/qt_text.h"

namespace tavrel::gui {

TQorButtonDlg::TQorButtonDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      clientArea_(new QWidget(this)),
      buttonPanel_(new QWidget(this)),
      okButton_(new QPushButton("OK", buttonPanel_)),
      cancelButton_(new QPushButton(buttonPanel_)),
      helpButton_(new QPushButton(buttonPanel_)) {
  setFont(DialogFont());
  clientArea_->setObjectName("ClientArea");
  buttonPanel_->setObjectName("ButtonPanel");
  okButton_->setObjectName("OKButton");
  cancelButton_->setObjectName("CancelButton");
  helpButton_->setObjectName("HelpButton");
  okButton_->setDefault(true);
  for (QPushButton* button : {okButton_, cancelButton_, helpButton_}) {
    button->resize(kButtonWidth, kButtonHeight);
  }
  // Help has no action of its own; descendants connect it when they have help to give.
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  SetClientSize(kBaseClientWidth, kBaseClientHeight);
}

void TQorButtonDlg::SetShowHelp(bool showHelp) {
  showHelp_ = showHelp;
  ArrangeButtons();
}

void TQorButtonDlg::SetCloseOnly(bool closeOnly) {
  closeOnly_ = closeOnly;
  ArrangeButtons();
}

void TQorButtonDlg::SetClientSize(int width, int height) {
  setFixedSize(width, height);
  resizeEvent(nullptr);
}

void TQorButtonDlg::showEvent(QShowEvent* event) {
  cancelButton_->setText(FromWindows1252(DialogText(kDialogCancel)));
  helpButton_->setText(FromWindows1252(DialogText(kDialogHelp)));
  ArrangeButtons();
  QDialog::showEvent(event);
}

void TQorButtonDlg::resizeEvent(QResizeEvent* event) {
  const int w = event != nullptr ? event->size().width() : width();
  const int h = event != nullptr ? event->size().height() : height();
  buttonPanel_->setGeometry(0, h - kButtonPanelHeight, w, kButtonPanelHeight);
  clientArea_->setGeometry(0, 0, w, h - kButtonPanelHeight);
  ArrangeButtons();
  if (event != nullptr) QDialog::resizeEvent(event);
}

void TQorButtonDlg::ArrangeButtons() {
  const TButtonArrangement arrangement =
      tavrel::ArrangeButtons(showHelp_, closeOnly_, buttonPanel_->width());
  okButton_->setText(arrangement.OkCaptionIsClose ? FromWindows1252(DialogText(kDialogClose))
                                                  : QStringLiteral("OK"));
  okButton_->move(arrangement.OkLeft, kButtonTop);
  cancelButton_->setVisible(arrangement.CancelVisible);
  cancelButton_->move(arrangement.CancelLeft, kButtonTop);
  helpButton_->setVisible(arrangement.HelpVisible);
  helpButton_->move(arrangement.HelpLeft, kButtonTop);
}

}  // namespace tavrel::gui
