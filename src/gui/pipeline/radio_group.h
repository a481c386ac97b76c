#pragma once

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace tavrel::gui {

// A captioned group of radio buttons of which one item (or none) is checked, answering the
// checked item's position as ItemIndex. Further controls may share its grid (Grid()).
class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit TRadioGroup(const QString& caption, QWidget* parent = nullptr);

  // Adds an item at the given cell of the grid; items count in the order they are added. The
  // button is named after the group and the item's text ("RssSourceRadioGroupWeb"), so that a
  // test or a screen reader finds it by what it says.
  QRadioButton* AddItem(const QString& text, int row, int column);

  int ItemIndex() const;
  // -1 unchecks every item.
  void SetItemIndex(int index);
  const QList<QRadioButton*>& Items() const { return items_; }
  QGridLayout* Grid() const { return grid_; }

 signals:
  // The operator checked another item (not sent by SetItemIndex).
  void ItemClicked(int index);

 private:
  QGridLayout* grid_;
  QButtonGroup* buttons_;
  QList<QRadioButton*> items_;
};

}  // namespace tavrel::gui
