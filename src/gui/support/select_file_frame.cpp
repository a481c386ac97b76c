#include "support/select_file_frame.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStringList>
#include <QToolButton>

#include "support/lang_message_dlg.h"
#include "support/qt_text.h"

namespace tavrel::gui {

TPSelectFileFrame::TPSelectFileFrame(QWidget* parent)
    : QFrame(parent), edit_(new QLineEdit(this)), browseButton_(new QToolButton(this)) {
  setObjectName("PSelectFileFrame");
  setFont(DialogFont());
  setFixedHeight(kHeight);
  edit_->setObjectName("FileNameEdit");
  browseButton_->setObjectName("BrowseButton");
  browseButton_->setText("...");
  browseButton_->setToolTip("Browse");
  browseButton_->setFixedWidth(kBrowseButtonWidth);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_);
  layout->addWidget(browseButton_);
  connect(browseButton_, &QToolButton::clicked, this, [this] { Browse(); });
}

QString TPSelectFileFrame::FileName() {
  fileName_ = edit_->text();
  return fileName_;
}

void TPSelectFileFrame::SetFileName(const QString& fileName) {
  fileName_ = fileName;
  edit_->setText(fileName);
}

void TPSelectFileFrame::SetEnabled(bool enabled) {
  setEnabled(enabled);
  edit_->setEnabled(enabled);
}

bool TPSelectFileFrame::ValidateFile() {
  if (!fileName_.isEmpty() && QFileInfo(fileName_).isFile()) return true;
  LangMessageDlg(this, "File not found.", TMsgDlgType::Custom);
  edit_->setFocus();
  return false;
}

void TPSelectFileFrame::Browse() {
  QFileDialog dialog(this, QString(), InitialDir, QtFileFilter(Filter));
  dialog.setObjectName("OpenDialog");
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (!fileName_.isEmpty()) dialog.selectFile(fileName_);
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    edit_->setText(dialog.selectedFiles().front());
  }
}

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString masks = parts[i + 1];
    masks.replace(';', ' ');
    filters << parts[i] + " (" + masks + ")";
  }
  return filters.join(";;");
}

}  // namespace tavrel::gui
