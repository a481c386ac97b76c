#include "support/about_dlg.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <ctime>
#include <vector>

#include "page/page_record.h"
#include "page/row_decoder.h"
#include "render/page_renderer.h"
#include "render/teletext_fonts.h"
#include "support/file_utils.h"
#include "support/language_texts.h"
#include "support/qt_text.h"
#include "support/version_info.h"

namespace tavrel::gui {

namespace {

constexpr int kFrameWidth = 3;
constexpr int kBodyWidth = 420;
constexpr int kTitlePixels = 37;
constexpr int kShadowOffset = 3;
const QColor kFrameBlue(0, 0, 160);

// The logo's four rows of 13 cells: a yellow stripe, the name in yellow double height on blue,
// and a second stripe. The attributes that start the blue background take the first columns,
// and the last one ends it; the about box shows columns 2 to 11, where the stripes and the
// name sit centred on the blue.
constexpr int kLogoColumns = 13;
constexpr int kLogoRows = 4;
constexpr int kLogoFirstShownColumn = 2;
constexpr int kLogoShownColumns = 10;
constexpr std::uint8_t kLogo[kLogoRows][kLogoColumns] = {
    {0x14, 0x1D, 0x13, 0x70, 0x70, 0x70, 0x70, 0x70, 0x70, 0x70, 0x70, ' ', 0x1C},
    {0x04, 0x1D, 0x0D, 0x03, 'T', 'A', 'V', 'R', 'E', 'L', ' ', ' ', 0x1C},
    {0x04, 0x1D, 0x0D, 0x03, 'T', 'A', 'V', 'R', 'E', 'L', ' ', ' ', 0x1C},
    {0x14, 0x1D, 0x13, 0x23, 0x23, 0x23, 0x23, 0x23, 0x23, 0x23, 0x23, ' ', 0x1C},
};

}  // namespace

void PutTeletextLogo(TPrestPage& page, int firstRow, int firstColumn) {
  for (int row = 0; row < kLogoRows && firstRow + row < kPageRows; ++row) {
    for (int column = 0; column < kLogoColumns && firstColumn + column < kPageColumns; ++column) {
      page.Cell(firstRow + row, firstColumn + column) = kLogo[row][column];
    }
  }
}

QImage TeletextLogo() {
  TPrestPage page = TPrestPage::Blank(kCharSetEnglish);
  PutTeletextLogo(page, 1, 0);
  const TFontSet& fonts = FontSet(kFontSize1216);
  const int cellWidth = fonts.Loaded() ? fonts.CellWidth : 12;
  const int cellHeight = fonts.Loaded() ? fonts.CellHeight : 16;
  std::vector<TPrestCell> cells(kCellGridSize, 0x0720);
  DecodePage(page.Cells, 0, false, cells);
  TRgbaImage image(kLogoShownColumns * cellWidth, kLogoRows * cellHeight);
  TRowFlags flash{};
  DrawRows(image, 1, kLogoRows, cells, page.CharSet, -kLogoFirstShownColumn * cellWidth,
           -cellHeight, cellWidth, cellHeight, fonts, false, flash);
  const TRgbaImage scaled = image.Scaled(2);
  return QImage(scaled.Bytes(), scaled.Width(), scaled.Height(), scaled.Width() * 4,
                QImage::Format_RGBA8888)
      .copy();
}

QString ProgramFileDateText() {
  const std::int32_t packed =
      GetFileDate(QCoreApplication::applicationFilePath().toLocal8Bit().toStdString());
  if (packed == -1) return QString();
  const auto date = static_cast<std::uint32_t>(packed) >> 16;
  std::tm time{};
  time.tm_year = static_cast<int>(date >> 9) + 80;
  time.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
  time.tm_mday = static_cast<int>(date & 0x1F);
  char text[64];
  const std::size_t length = std::strftime(text, sizeof text, "%x", &time);
  return QString::fromLocal8Bit(text, static_cast<qsizetype>(length));
}

TPAboutDlg::TPAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      logo_(new QLabel),
      title_(new QLabel),
      shadow_(new QLabel),
      titleLine_(new QLabel),
      versionLabel_(new QLabel),
      closeButton_(new QPushButton) {
  setObjectName("PAboutDlg");
  setFont(DialogFont());
  setAutoFillBackground(true);
  QPalette framePalette = palette();
  framePalette.setColor(QPalette::Window, kFrameBlue);
  setPalette(framePalette);

  auto* body = new QWidget(this);
  body->setObjectName("BodyPanel");
  body->setAutoFillBackground(true);
  QPalette white = body->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  body->setPalette(white);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(kFrameWidth, kFrameWidth, kFrameWidth, kFrameWidth);
  outer->addWidget(body);

  logo_->setObjectName("LogoImage");
  logo_->setPixmap(QPixmap::fromImage(TeletextLogo()));
  logo_->setAlignment(Qt::AlignHCenter);

  // The title and its grey shadow share one cell of their own panel; the shadow sits 3 pixels
  // right and down, behind the title.
  auto* titlePanel = new QWidget;
  titlePanel->setObjectName("TitlePanel");
  QFont titleFont(QStringList{"DejaVu Sans"});
  titleFont.setPixelSize(kTitlePixels);
  titleFont.setBold(true);
  for (QLabel* label : {shadow_, title_}) {
    label->setParent(titlePanel);
    label->setFont(titleFont);
  }
  title_->setObjectName("ProductTitleLabel");
  shadow_->setObjectName("ProductShadowLabel");
  QPalette blue = title_->palette();
  blue.setColor(QPalette::WindowText, kFrameBlue);
  title_->setPalette(blue);
  QPalette grey = shadow_->palette();
  grey.setColor(QPalette::WindowText, QColor(160, 160, 160));
  shadow_->setPalette(grey);
  titlePanel->setFixedHeight(kTitlePixels + 2 * kShadowOffset + 12);

  titleLine_->setObjectName("TitleLineLabel");
  titleLine_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  titleLine_->setWordWrap(true);
  versionLabel_->setObjectName("VersionLabel");
  const TVersionInfo version;
  versionLabel_->setText(FromWindows1252(AboutVersionLine(version, "")) + ProgramFileDateText());

  auto* buttonPanel = new QWidget;
  buttonPanel->setObjectName("ButtonPanel");
  closeButton_->setObjectName("CloseButton");
  closeButton_->setFixedSize(75, 25);
  auto* buttonLayout = new QHBoxLayout(buttonPanel);
  buttonLayout->addStretch();
  buttonLayout->addWidget(closeButton_);
  buttonLayout->addStretch();
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(8, 12, 8, 8);
  layout->setSpacing(4);
  layout->addWidget(logo_);
  layout->addWidget(titlePanel);
  layout->addWidget(titleLine_);
  layout->addSpacing(8);
  layout->addWidget(versionLabel_);
  layout->addWidget(buttonPanel);
  setFixedWidth(kBodyWidth + 2 * kFrameWidth);
}

void TPAboutDlg::SetProductTitle(const QString& title) {
  title_->setText(title);
  shadow_->setText(title);
  title_->adjustSize();
  shadow_->adjustSize();
  const int panelWidth = kBodyWidth - 16;
  const int left = (panelWidth - title_->width()) / 2;
  title_->move(left, 6);
  shadow_->move(left + kShadowOffset, 6 + kShadowOffset);
  title_->raise();
}

QString TPAboutDlg::VersionLine() const { return versionLabel_->text(); }

void TPAboutDlg::showEvent(QShowEvent* event) {
  titleLine_->setText(FromWindows1252(SharedTitleLineText()));
  closeButton_->setText(FromWindows1252(DialogText(kDialogClose)));
  closeButton_->setFocus();
  QDialog::showEvent(event);
}

void TPAboutDlg::keyPressEvent(QKeyEvent* event) {
  event->accept();
  accept();
}

}  // namespace tavrel::gui
