#include "pipeline/dialog_controls.h"

#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <algorithm>

#include "support/qor_button_dlg.h"

namespace tavrel::gui {

QLineEdit* AddLabeledEdit(QGridLayout* grid, int row, int column, const QString& caption,
                          const char* objectName) {
  QWidget* parent = grid->parentWidget();
  auto* label = new QLabel(caption, parent);
  auto* edit = new QLineEdit(parent);
  label->setObjectName(QString::fromLatin1(objectName) + "Label");
  label->setBuddy(edit);
  edit->setObjectName(objectName);
  edit->setAccessibleName(caption);
  grid->addWidget(label, row, column);
  grid->addWidget(edit, row + 1, column);
  return edit;
}

void FitClientToControls(TQorButtonDlg& dialog, int minimumWidth) {
  QLayout* layout = dialog.ClientArea()->layout();
  const QSize wanted = layout != nullptr ? layout->sizeHint() : QSize(0, 0);
  dialog.SetClientSize(std::max(wanted.width(), minimumWidth),
                       wanted.height() + TQorButtonDlg::kButtonPanelHeight);
}

}  // namespace tavrel::gui
