#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "page/page_record.h"
#include "page/row_decoder.h"
#include "render/page_renderer.h"
#include "render/page_view_rules.h"
#include "render/rgba_image.h"

namespace tavrel::gui {

// One teletext page in teletext fonts: the main window's header, page and fastext views and
// the editor's format preview. The view keeps its own copy of the page and the display cells
// decoded from it, draws them with the core renderer whenever the page changes, and on a
// repaint only shows that picture, scaled by whole device pixels without smoothing.
class TPrestView : public QWidget {
  Q_OBJECT

 public:
  explicit TPrestView(QWidget* parent = nullptr);

  // Takes the cell size and faces of a font set (1 to 4) of the program's fonts and resizes;
  // a set that was never loaded has no cell size, so the view shrinks to its frame.
  void SetFontSize(int sizeNumber);
  void SetColumns(int count);
  void SetRows(int count);
  // Control cells as code symbols (as the editor shows them) or as spaces.
  void SetShowCodes(bool on);
  void SetFrameVisible(bool on);
  // Pointer feedback over links: page numbers, or in fastext mode the prompts of row 1.
  void SetLinksEnabled(bool on) { linksEnabled_ = on; }
  void SetFastextMode(bool on) { fastextMode_ = on; }

  // Shows a copy of the page (its frame colour set to black), decoded and drawn at once.
  void SetPage(const TPrestPage& page);
  // All 960 cells spaces; character set and row prefix length stay.
  void Clear();
  // Row 1 shows the text (at most 40 cells, Windows-1252 / teletext codes), the rest spaces.
  void SetHeaderText(const std::string& text);
  // Row 1 shows the prompt row of the four prompts; the links are kept for OnFastextLink.
  void SetFastext(const TFastextTexts& prompts, const TFastextTexts& links);
  // The fastext entry of a control file; values that do not give four prompts and four links
  // leave the view as it is. Answers whether the view changed.
  bool SetFastextFromControl(const std::string& prompts, const std::string& links);
  // The page number under a position in the view's pixels, or empty.
  QString PageNumberAt(int x, int y) const;
  // The number of the page shown ("101"), for screen readers: the view's accessible name is
  // "Teletext page 101", or "Teletext page" without a number. Its accessible description is
  // always the text of the rows it shows.
  void SetPageNumber(const QString& number);

  int FontSize() const { return sizeNumber_; }
  int Columns() const { return columns_; }
  int Rows() const { return rows_; }
  bool ShowCodes() const { return showCodes_; }
  const TPrestPage& Page() const { return page_; }
  const std::vector<TPrestCell>& Cells() const { return cells_; }
  const TFastextTexts& FastextLinks() const { return fastextLinks_; }
  const TPageViewGeometry& Geometry() const { return geometry_; }
  // The picture the view shows, at one pixel per font pixel.
  const TRgbaImage& Picture() const { return picture_; }

 signals:
  // Left button: the clicked cell's top-left pixel, page row and column and the page number
  // there (possibly empty). Right button: row 0, column 0, the position above the first cell.
  void OnPageClick(tavrel::gui::TPrestView* view, Qt::MouseButton button, QPoint cellCorner,
                   int row, int column, const QString& pageNumber);
  // Left button: the prompt under the pointer, column div 10.
  void OnFastextClick(tavrel::gui::TPrestView* view, int promptIndex);
  // Left button on prompt 0 to 3: its link.
  void OnFastextLink(tavrel::gui::TPrestView* view, const QString& link);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void ApplySize();
  void Decode();
  void Redraw();
  bool OverLink(QPoint position) const;

  TPrestPage page_{};
  std::vector<TPrestCell> cells_;
  int sizeNumber_ = 3;
  TFontSet fonts_;
  TPageViewGeometry geometry_;
  int columns_ = kPageColumns;
  int rows_ = kPageRows - 1;
  int firstRow_ = 1;
  bool showCodes_ = false;
  bool frameVisible_ = true;
  bool flashPhase_ = false;
  TRowFlags rowFlash_{};
  bool linksEnabled_ = false;
  bool fastextMode_ = false;
  TFastextTexts fastextLinks_;
  TRgbaImage picture_;
};

}  // namespace tavrel::gui
