#include "app/preview_panel.h"

#include <QPalette>
#include <QRegion>
#include <algorithm>
#include <filesystem>

#include "page/broadcast_page_file.h"
#include "pipeline/control_file.h"
#include "render/page_renderer.h"
#include "render/prest_view.h"
#include "support/error.h"
#include "support/lang_message_dlg.h"
#include "support/qt_text.h"

namespace tavrel::gui {

namespace {

// The preview's geometry: the views sit 8 pixels in from the panel's corner, the page view a
// header row below the header view, and the fastext view over the page's last row.
constexpr int kViewMargin = 8;
constexpr int kHeaderRowStep = 24;
constexpr int kFastextOverlap = 28;
constexpr int kBottomMargin = 12;
constexpr int kBottomMarginWithoutFastext = 4;

}  // namespace

TPreviewPanel::TPreviewPanel(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
}

TPreviewPanel::~TPreviewPanel() = default;

void TPreviewPanel::ShowError(const std::string& text) {
  LangMessageDlg(window(), FromWindows1252(text), TMsgDlgType::Error);
}

void TPreviewPanel::CreateViews(bool useFastext) {
  delete headerView_;
  delete pageView_;
  delete fastextView_;
  fastextView_ = nullptr;

  const auto makeView = [this](const char* name, int rows) {
    auto* view = new TPrestView(this);
    view->setObjectName(name);
    view->SetFontSize(3);
    view->SetRows(rows);
    view->SetLinksEnabled(true);
    view->show();
    return view;
  };
  headerView_ = makeView("HeaderView", 1);
  headerView_->SetFastextMode(true);
  headerView_->move(kViewMargin, kViewMargin);

  pageView_ = makeView("PageView", kPageRows - 1);
  pageView_->move(kViewMargin, headerView_->y() + kHeaderRowStep);
  connect(pageView_, &TPrestView::OnPageClick, this,
          [this](TPrestView*, Qt::MouseButton button, QPoint, int, int, const QString& number) {
            if (button == Qt::LeftButton) FollowPageNumber(number);
          });

  if (useFastext) {
    pageView_->SetRows(kPageRows);
    fastextView_ = makeView("FastextView", 1);
    fastextView_->SetFrameVisible(false);
    fastextView_->SetFastextMode(true);
    fastextView_->move(pageView_->x(), pageView_->y() + pageView_->height() - kFastextOverlap);
    // The fastext row lies over the page's last row, but its hidden frame would still cover the
    // foot of the row above it: only the row itself and the sides and foot of the frame are
    // drawn over the page.
    fastextView_->setMask(QRegion(0, kFrameThickness, fastextView_->width(),
                                  fastextView_->height() - kFrameThickness));
    connect(fastextView_, &TPrestView::OnFastextLink, this,
            [this](TPrestView*, const QString& link) { FollowPageNumber(link); });
  }
  headerView_->Clear();
  pageView_->Clear();
  if (fastextView_ != nullptr) fastextView_->Clear();
}

QSize TPreviewPanel::FittedSize() const {
  const TPrestView* lowest = fastextView_ != nullptr ? fastextView_ : pageView_;
  const int width = pageView_->x() + pageView_->width() + kViewMargin;
  int height = lowest->y() + lowest->height() + kBottomMargin;
  if (fastextView_ == nullptr) height -= kBottomMarginWithoutFastext;
  return {width, height};
}

std::vector<std::string> TPreviewPanel::PageSections() const {
  return controlFile_ ? controlFile_->PageSections() : std::vector<std::string>{};
}

bool TPreviewPanel::ShowPage(const std::string& section) {
  if (!controlFile_) return false;
  const TControlEntry entry = controlFile_->Entry(section);
  if (entry.FileName.empty()) return false;
  const std::string path = exportDir_ + entry.FileName;
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) return false;

  TPrestPage page{};
  TPrestPageHeader header{};
  try {
    if (!ReadPagFile(path, page, header)) return false;
  } catch (const Error& error) {
    // A broken page file must not end the program; the operator learns which file it is.
    ShowError(error.what());
    return false;
  }
  page.CharSet = static_cast<std::uint8_t>(entry.CharSet);

  headerView_->SetHeaderText("\x03" + section.substr(0, 3));
  pageView_->SetPage(page);
  pageView_->SetPageNumber(FromWindows1252(section.substr(0, 3)));
  if (fastextView_ != nullptr) {
    fastextView_->SetPage(page);
    // Prompts that cannot be read back (a space inside one, from a settings file edited by
    // hand) leave an empty row, never the page's own row 1 with the last page's links.
    if (!fastextView_->SetFastextFromControl(entry.Prompts.value_or(""),
                                             entry.Links.value_or(""))) {
      fastextView_->SetFastext({}, {});
    }
  }
  const std::vector<std::string>& sections = controlFile_->PageSections();
  const auto found = std::find(sections.begin(), sections.end(), section);
  previewIndex_ = found == sections.end() ? -1 : static_cast<int>(found - sections.begin());
  emit PagesChanged();
  return true;
}

void TPreviewPanel::ShowCurrentAgain() {
  if (controlFile_ && previewIndex_ >= 0) {
    ShowPage(controlFile_->PageSections()[static_cast<std::size_t>(previewIndex_)]);
  }
}

void TPreviewPanel::FollowPageNumber(const QString& number) {
  if (number.isEmpty()) return;
  const std::string page = ToWindows1252(number);
  if (!ShowPage(page + ".0000")) ShowPage(page + ".0001");
}

void TPreviewPanel::Reload(const std::string& exportDir) {
  exportDir_ = exportDir;
  controlFile_.reset();
  previewIndex_ = -1;
  try {
    controlFile_ = std::make_unique<TPTxtControlFile>(exportDir_ + kControlFileName);
  } catch (const Error& error) {
    ShowError(error.what());
  }
  headerView_->Clear();
  pageView_->Clear();
  pageView_->SetPageNumber(QString());
  if (fastextView_ != nullptr) fastextView_->Clear();
  if (controlFile_ && !controlFile_->PageSections().empty()) {
    ShowPage(controlFile_->PageSections().front());
  }
  emit PagesChanged();
}

void TPreviewPanel::ShowPreviousPage() {
  if (!controlFile_ || previewIndex_ <= 0) return;
  ShowPage(controlFile_->PageSections()[static_cast<std::size_t>(previewIndex_ - 1)]);
}

void TPreviewPanel::ShowNextPage() {
  if (!controlFile_ || previewIndex_ < 0) return;
  const auto& sections = controlFile_->PageSections();
  if (previewIndex_ >= static_cast<int>(sections.size()) - 1) return;
  ShowPage(sections[static_cast<std::size_t>(previewIndex_ + 1)]);
}

}  // namespace tavrel::gui
