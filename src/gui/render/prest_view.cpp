#include "render/prest_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "render/page_text.h"
#include "render/teletext_fonts.h"
#include "support/qt_text.h"

namespace tavrel::gui {

TPrestView::TPrestView(QWidget* parent) : QWidget(parent), cells_(kCellGridSize, 0) {
  setObjectName("PrestView");
  SetPageNumber(QString());
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  SetFontSize(kFontSize1216);
}

void TPrestView::SetFontSize(int sizeNumber) {
  sizeNumber_ = sizeNumber;
  if (sizeNumber >= kFontSize0608 && sizeNumber <= kFontSize1520) {
    fonts_ = FontSet(sizeNumber);
    geometry_.CellWidth = fonts_.CellWidth;
    geometry_.CellHeight = fonts_.CellHeight;
  }
  ApplySize();
}

void TPrestView::SetColumns(int count) {
  columns_ = std::max(0, count);
  ApplySize();
}

void TPrestView::SetRows(int count) {
  rows_ = std::max(0, count);
  ApplySize();
}

void TPrestView::ApplySize() {
  const TViewSize size = PageViewSize(columns_, rows_, geometry_.CellWidth, geometry_.CellHeight);
  setFixedSize(size.Width, size.Height);
  Redraw();
}

void TPrestView::SetShowCodes(bool on) {
  if (on == showCodes_) return;
  showCodes_ = on;
  std::fill(cells_.begin(), cells_.end(), TPrestCell{0x2020});
  DecodePage(page_.Cells, firstRow_, showCodes_, cells_);
  Redraw();
}

void TPrestView::SetFrameVisible(bool on) {
  frameVisible_ = on;
  Redraw();
}

void TPrestView::SetPage(const TPrestPage& page) {
  page_ = page;
  page_.FrameColor = 0;
  DecodePage(page_.Cells, firstRow_, showCodes_, cells_);
  // A screen reader reads what the view shows, not the picture.
  setAccessibleDescription(FromWindows1252(PageText(page_, firstRow_, firstRow_ + rows_ - 1)));
  Redraw();
}

void TPrestView::SetPageNumber(const QString& number) {
  setAccessibleName(number.isEmpty() ? QString("Teletext page") : "Teletext page " + number);
}

void TPrestView::Clear() {
  TPrestPage page = page_;
  page.Cells.fill(0x20);
  SetPage(page);
}

void TPrestView::SetHeaderText(const std::string& text) {
  TPrestPage page = page_;
  page.Cells.fill(0x20);
  const std::size_t length = std::min<std::size_t>(text.size(), kPageColumns);
  for (std::size_t i = 0; i < length; ++i) {
    page.Cell(1, static_cast<int>(i)) = static_cast<std::uint8_t>(text[i]);
  }
  SetPage(page);
}

void TPrestView::SetFastext(const TFastextTexts& prompts, const TFastextTexts& links) {
  const TFastextRow row = BuildFastextRow(prompts);
  TPrestPage page = page_;
  page.Cells.fill(0x20);
  std::copy(row.begin(), row.end(), page.Cells.begin() + kPageColumns);
  SetPage(page);
  fastextLinks_ = links;
}

bool TPrestView::SetFastextFromControl(const std::string& prompts, const std::string& links) {
  const std::optional<TFastextValues> values = ParseFastextControl(prompts, links);
  if (!values) return false;
  SetFastext(values->Prompts, values->Links);
  return true;
}

QString TPrestView::PageNumberAt(int x, int y) const {
  return FromWindows1252(tavrel::PageNumberAt(page_, geometry_, x, y));
}

void TPrestView::Redraw() {
  const TViewSize size = PageViewSize(columns_, rows_, geometry_.CellWidth, geometry_.CellHeight);
  TRgbaImage picture(size.Width, size.Height);
  if (frameVisible_) {
    DrawFrame(picture, page_.FrameColor, 0, 0, rows_, geometry_.CellWidth, geometry_.CellHeight);
  }
  if (fonts_.Loaded() && geometry_.CellWidth > 0 && geometry_.CellHeight > 0) {
    // Rows below the view's last row fall outside the picture and are clipped by the renderer.
    DrawRows(picture, firstRow_, kPageRows - 1, cells_, page_.CharSet, geometry_.LeftOrigin,
             geometry_.TopOrigin - firstRow_ * geometry_.CellHeight, geometry_.CellWidth,
             geometry_.CellHeight, fonts_, flashPhase_, rowFlash_);
  }
  picture_ = std::move(picture);
  repaint();
}

void TPrestView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The picture's own buffer, not a copy: RGBA bytes in memory order.
  const QImage image(picture_.Bytes(), picture_.Width(), picture_.Height(), picture_.Width() * 4,
                     QImage::Format_RGBA8888);
  // On a high-density screen each font pixel becomes a block of device pixels; smoothing would
  // blur the cell edges.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect(0, 0, picture_.Width(), picture_.Height()), image);
}

bool TPrestView::OverLink(QPoint position) const {
  if (fastextMode_) {
    const std::optional<TCellPosition> cell = CellAt(geometry_, position.x(), position.y());
    return cell && cell->Row == firstRow_ && cell->Column >= 0 && cell->Column < kPageColumns &&
           page_.Cell(1, cell->Column) > 0x20;
  }
  return !PageNumberAt(position.x(), position.y()).isEmpty();
}

void TPrestView::mouseMoveEvent(QMouseEvent* event) {
  const bool hand = linksEnabled_ && OverLink(event->position().toPoint());
  if (hand) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
}

void TPrestView::mousePressEvent(QMouseEvent* event) {
  unsetCursor();
  const QPoint position = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    const std::optional<TCellPosition> cell = CellAt(geometry_, position.x(), position.y());
    if (!cell) return;
    const int index = cell->Column / 10;
    emit OnFastextClick(this, index);
    if (index >= 0 && index < static_cast<int>(fastextLinks_.size())) {
      emit OnFastextLink(this, FromWindows1252(fastextLinks_[index]));
    }
    const QPoint corner(geometry_.LeftOrigin + cell->Column * geometry_.CellWidth,
                        geometry_.TopOrigin + (cell->Row - 1) * geometry_.CellHeight);
    emit OnPageClick(this, Qt::LeftButton, corner, cell->Row, cell->Column,
                     PageNumberAt(position.x(), position.y()));
  } else if (event->button() == Qt::RightButton) {
    emit OnPageClick(this, Qt::RightButton,
                     QPoint(geometry_.LeftOrigin, geometry_.TopOrigin - geometry_.CellHeight), 0, 0,
                     QString());
  }
}

}  // namespace tavrel::gui
