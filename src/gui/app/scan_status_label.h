#pragma once

#include <QLabel>
#include <QString>

namespace tavrel::gui {

// The scan's status in the tool bar. A status longer than the room left beside the buttons
// (a failure naming a file and what went wrong) is shown cut with "…", and the whole text is
// the tooltip and the accessible description, so nothing is lost at the window's edge.
class TScanStatusLabel : public QLabel {
 public:
  explicit TScanStatusLabel(QWidget* parent = nullptr);

  void ShowStatus(const QString& status);
  // The whole status, as given.
  const QString& FullText() const { return fullText_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString fullText_;
};

}  // namespace tavrel::gui
