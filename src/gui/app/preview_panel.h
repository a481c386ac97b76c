#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/control_file_reader.h"

namespace tavrel::gui {

class TPrestView;

// The main window's preview: the header, page and fastext views over the pages that
// "Control.dat" of the export folder lists, read by the core's reader with the export's
// file-name rule, and paging through them in the file's page order.
class TPreviewPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TPreviewPanel(QWidget* parent = nullptr);
  ~TPreviewPanel() override;

  // (Re)creates the views: with a fastext row over the page's last row, or without.
  void CreateViews(bool useFastext);
  // The size the views need.
  QSize FittedSize() const;

  // Reads exportDir's "Control.dat" again and shows its first page, or nothing. A file that
  // cannot be read is shown in a box and leaves the preview empty.
  void Reload(const std::string& exportDir);
  // Shows the page of a "Control.dat" section ("101.0000"); false, changing nothing, when the
  // entry names no page file of the export folder or the file does not exist.
  bool ShowPage(const std::string& section);
  // Shows the page shown before again, on views made anew.
  void ShowCurrentAgain();
  // A page number clicked on the page or a fastext link: sub-page 0000, else 0001.
  void FollowPageNumber(const QString& number);
  void ShowPreviousPage();
  void ShowNextPage();

  // The shown page's place among PageSections(); -1 when none is shown.
  int PreviewIndex() const { return previewIndex_; }
  bool HasControlFile() const { return controlFile_ != nullptr; }
  // The sections of the last read "Control.dat" (empty when none).
  std::vector<std::string> PageSections() const;
  TPrestView* HeaderView() const { return headerView_; }
  TPrestView* PageView() const { return pageView_; }
  TPrestView* FastextView() const { return fastextView_; }

 signals:
  // The shown page, or the pages to page through, changed.
  void PagesChanged();

 private:
  void ShowError(const std::string& text);

  std::string exportDir_;
  std::unique_ptr<TPTxtControlFile> controlFile_;
  int previewIndex_ = -1;
  TPrestView* headerView_ = nullptr;
  TPrestView* pageView_ = nullptr;
  TPrestView* fastextView_ = nullptr;
};

}  // namespace tavrel::gui
