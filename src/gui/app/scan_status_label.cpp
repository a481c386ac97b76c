#include "app/scan_status_label.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace tavrel::gui {

TScanStatusLabel::TScanStatusLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  // The label takes the room the tool bar has left, however long its text: the text is cut to
  // fit instead of widening the fixed-size window.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setMinimumWidth(0);
}

void TScanStatusLabel::ShowStatus(const QString& status) {
  fullText_ = status;
  setAccessibleName("Scan status");
  setAccessibleDescription(status);
  Elide();
}

void TScanStatusLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void TScanStatusLabel::Elide() {
  const QString shown = fontMetrics().elidedText(fullText_, Qt::ElideRight, contentsRect().width());
  setText(shown);
  setToolTip(fullText_);
}

}  // namespace tavrel::gui
