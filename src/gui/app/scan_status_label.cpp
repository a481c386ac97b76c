#include "app/scan_status_label.h"

#include <QFontMetrics>
#include <QResizeEvent>
#include <QStringList>
#include <QToolTip>
#include <string>
#include <string_view>

#include "support/dialog_layout.h"

namespace tavrel::gui {

namespace {

// As wide as the window's page area, so the tooltip of a failure lies over the window.
constexpr int kToolTipWidth = 480;

}  // namespace

TScanStatusLabel::TScanStatusLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  // The label takes the room the tool bar has left, however long its text: the text is cut to
  // fit instead of widening the fixed-size window.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setMinimumWidth(0);
}

void TScanStatusLabel::ShowStatus(const QString& status, const QString& shortForm) {
  fullText_ = status;
  shortForm_ = shortForm;
  setAccessibleName("Scan status");
  setAccessibleDescription(status);
  // Wrapped by the message boxes' rule, so a long failure reads as a few lines rather than one
  // that runs off the screen.
  const QFontMetrics metrics(QToolTip::font());
  QStringList lines;
  for (const std::string& line :
       WrapMessageText(status.toStdString(), kToolTipWidth, [&metrics](std::string_view piece) {
         return metrics.horizontalAdvance(
             QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())));
       })) {
    lines << QString::fromStdString(line);
  }
  setToolTip(lines.join('\n'));
  Elide();
}

void TScanStatusLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void TScanStatusLabel::Elide() {
  setText(fontMetrics().elidedText(shortForm_, Qt::ElideRight, contentsRect().width()));
}

}  // namespace tavrel::gui
