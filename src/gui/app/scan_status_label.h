#pragma once

#include <QLabel>
#include <QString>

namespace tavrel::gui {

// The scan's status in the tool bar. It shows the status's short form, cut with "…" when it is
// still longer than the room left beside the buttons; the whole text is the tooltip (wrapped,
// so a long failure stays on screen) and the accessible description, so nothing is lost at
// the window's edge.
class TScanStatusLabel : public QLabel {
 public:
  explicit TScanStatusLabel(QWidget* parent = nullptr);

  void ShowStatus(const QString& status, const QString& shortForm);
  // The whole status, as given.
  const QString& FullText() const { return fullText_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString fullText_;
  QString shortForm_;
};

}  // namespace tavrel::gui
