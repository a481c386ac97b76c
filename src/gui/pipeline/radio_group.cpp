#include "pipeline/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace tavrel::gui {

TRadioGroup::TRadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), grid_(new QGridLayout(this)), buttons_(new QButtonGroup(this)) {
  connect(buttons_, &QButtonGroup::idClicked, this, &TRadioGroup::ItemClicked);
}

QRadioButton* TRadioGroup::AddItem(const QString& text, int row, int column) {
  auto* button = new QRadioButton(text, this);
  QString name = text;
  name.remove(' ');
  button->setObjectName(objectName() + name);
  buttons_->addButton(button, static_cast<int>(items_.size()));
  items_.append(button);
  grid_->addWidget(button, row, column);
  return button;
}

int TRadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < items_.size()) {
    items_[index]->setChecked(true);
    return;
  }
  // An exclusive group never shows no item checked unless exclusivity is lifted for a moment.
  buttons_->setExclusive(false);
  for (QRadioButton* item : items_) item->setChecked(false);
  buttons_->setExclusive(true);
}

}  // namespace tavrel::gui
