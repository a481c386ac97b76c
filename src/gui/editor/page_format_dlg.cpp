#include "editor/page_format_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "render/prest_view.h"
#include "render/teletext_fonts.h"
#include "support/language_texts.h"
#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

// Editor text rows of the dialog's captions.
constexpr int kColorRows[8] = {33, 34, 35, 36, 37, 38, 39, 40};  // Red .. Black
constexpr int kTextRow = 88;
constexpr int kDoubleHeightRow = 46;
constexpr int kGraphicRow = 61;
constexpr int kSeparatedRow = 49;
constexpr int kAttributesRow = 31;
constexpr int kForegroundRow = 85;
constexpr int kBackgroundRow = 86;
constexpr int kSampleTextRow = 87;
constexpr int kStyleRow = 89;
constexpr int kCountRow = 90;
constexpr int kShowRow = 91;
constexpr int kCancelRow = 92;
constexpr int kHelpRow = 78;
constexpr int kTitleRow = 97;

QString Text(int row) { return FromWindows1252(EditorText(row)); }

constexpr int kRadioHeight = 19;
constexpr int kGroupTop = 8;

// A group box of radio items stacked from the top, numbered from 1 in the button group.
QGroupBox* RadioGroup(QWidget* parent, const char* name, const QRect& geometry,
                      const std::vector<QString>& captions, QButtonGroup* group) {
  auto* box = new QGroupBox(parent);
  box->setObjectName(name);
  box->setGeometry(geometry);
  int id = 1;
  for (const QString& caption : captions) {
    auto* radio = new QRadioButton(caption, box);
    radio->setObjectName(QString("%1%2").arg(QString(name).remove("Group")).arg(id));
    radio->setGeometry(8, 18 + (id - 1) * kRadioHeight, geometry.width() - 12, kRadioHeight);
    group->addButton(radio, id++);
  }
  return box;
}

}  // namespace

TDlgPageFormat::TDlgPageFormat(QWidget* parent)
    : TQorButtonDlg(parent),
      foreground_(new QButtonGroup(this)),
      background_(new QButtonGroup(this)),
      style_(new QButtonGroup(this)),
      count_(new QLabel),
      show_(new QCheckBox),
      sample_(nullptr) {
  setObjectName("DlgPageFormat");
  SetClientSize(kClientWidth, kClientHeight);
  QWidget* client = ClientArea();

  std::vector<QString> colours;
  for (int row : kColorRows) colours.push_back(Text(row));
  const int colourGroupHeight = 18 + 8 * kRadioHeight + 6;
  RadioGroup(client, "ForegroundGroup", QRect(8, kGroupTop, 81, colourGroupHeight), colours,
             foreground_)
      ->setTitle(Text(kForegroundRow));
  RadioGroup(client, "BackgroundGroup", QRect(96, kGroupTop, 81, colourGroupHeight), colours,
             background_)
      ->setTitle(Text(kBackgroundRow));
  RadioGroup(client, "StyleGroup", QRect(184, kGroupTop, 149, 98),
             {Text(kTextRow), Text(kTextRow) + " " + Text(kDoubleHeightRow), Text(kGraphicRow),
              Text(kSeparatedRow)},
             style_)
      ->setTitle(Text(kStyleRow));

  auto* attributes = new QGroupBox(Text(kAttributesRow), client);
  attributes->setObjectName("AttributesGroup");
  attributes->setGeometry(184, 112, 149, 66);
  auto* countCaption = new QLabel(Text(kCountRow), attributes);
  countCaption->setObjectName("CountCaption");
  countCaption->setGeometry(10, 20, 60, 17);
  count_->setParent(attributes);
  count_->setObjectName("CountLabel");
  count_->setGeometry(72, 20, 40, 17);
  show_->setParent(attributes);
  show_->setText(Text(kShowRow));
  show_->setObjectName("ShowCheckBox");
  show_->setGeometry(8, 40, 130, 19);

  sample_ = new TPrestView(client);
  sample_->setObjectName("Sample");
  sample_->SetFontSize(kFontSize1216);
  sample_->SetColumns(kSampleColumns);
  sample_->SetRows(kSampleRows);
  sample_->move(8, 184);
  // Part of a 27th column would show at the sample's right; a black strip keeps the edge clean.
  auto* edge = new QWidget(client);
  edge->setObjectName("SampleEdge");
  edge->setAutoFillBackground(true);
  QPalette palette = edge->palette();
  palette.setColor(QPalette::Window, Qt::black);
  edge->setPalette(palette);
  edge->setGeometry(sample_->x() + sample_->width() - kSampleEdgeWidth, sample_->y(),
                    kSampleEdgeWidth, sample_->height());

  connect(foreground_, &QButtonGroup::idClicked, this, [this](int id) {
    format_.Foreground = id;
    Refresh();
  });
  connect(background_, &QButtonGroup::idClicked, this, [this](int id) {
    format_.Background = id;
    Refresh();
  });
  connect(style_, &QButtonGroup::idClicked, this, [this](int id) {
    format_.Style = static_cast<TPageStyle>(id);
    Refresh();
  });
  connect(show_, &QCheckBox::toggled, this, [this](bool checked) {
    showCodes_ = checked;
    Refresh();
  });
  connect(HelpButton(), &QPushButton::clicked, this, [this] {
    if (OnHelp) OnHelp(kHelpContext);
  });
  Refresh();
}

void TDlgPageFormat::SetPrefix(const std::string& prefix) { SetFormat(ReadFormatPrefix(prefix)); }

void TDlgPageFormat::SetFormat(const TPageFormat& format) {
  format_ = format;
  Refresh();
}

void TDlgPageFormat::SetShowCodes(bool showCodes) {
  showCodes_ = showCodes;
  Refresh();
}

void TDlgPageFormat::showEvent(QShowEvent* event) {
  TQorButtonDlg::showEvent(event);
  setWindowTitle(Text(kTitleRow));
  CancelButton()->setText(Text(kCancelRow));
  HelpButton()->setText(Text(kHelpRow));
  Refresh();
}

void TDlgPageFormat::Refresh() {
  setWindowTitle(Text(kTitleRow));
  if (QAbstractButton* b = foreground_->button(format_.Foreground)) b->setChecked(true);
  if (QAbstractButton* b = background_->button(format_.Background)) b->setChecked(true);
  if (QAbstractButton* b = style_->button(static_cast<int>(format_.Style))) b->setChecked(true);
  {
    const QSignalBlocker blocker(show_);
    show_->setChecked(showCodes_);
  }
  const std::string prefix = Prefix();
  count_->setText(QString::number(prefix.size()));
  sample_->SetShowCodes(showCodes_);
  sample_->SetPage(PageFormatSample(prefix, EditorText(kSampleTextRow)));
}

}  // namespace tavrel::gui
