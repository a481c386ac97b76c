#include "pipeline/xml_schema_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "pipeline/dialog_controls.h"
#include "pipeline/xml_schema_validation.h"
#include "support/lang_message_dlg.h"
#include "support/qt_text.h"

namespace tavrel::gui {

namespace {

// The edits in the order the dialog shows them, with their captions and object names; the
// sample's tag labels are named after the same element ("RootOpenTagLabel").
struct TElementControl {
  TSchemaElement Element;
  const char* Caption;
  const char* EditName;
  const char* TagName;
};
constexpr std::array<TElementControl, kSchemaElementCount> kElementControls = {{
    {TSchemaElement::Root, "Root", "RootLabeledEdit", "Root"},
    {TSchemaElement::Channel, "Channel", "ChannelLabeledEdit", "Channel"},
    {TSchemaElement::Message, "Message", "MessageLabeledEdit", "Message"},
    {TSchemaElement::Category, "Category", "CategoryLabeledEdit", "Category"},
    {TSchemaElement::Title, "Title", "TitleLabeledEdit", "Title"},
    {TSchemaElement::Text, "Text", "TextLabeledEdit", "Text"},
}};

// Indentation of one nesting level of the sample, in pixels.
constexpr int kSampleIndent = 14;

QString TagLabelName(const TSchemaSampleSpan& span) {
  const TElementControl& control = kElementControls[static_cast<std::size_t>(*span.Element)];
  return QString::fromLatin1(control.TagName) + (span.Closing ? "CloseTagLabel" : "OpenTagLabel");
}

}  // namespace

TRIXmlSchemaDlg::TRIXmlSchemaDlg(TXMLSchema schema, QWidget* parent)
    : TQorButtonDlg(parent), schema_(std::move(schema)) {
  setObjectName("RIXmlSchemaDlg");
  setWindowTitle("XML Schema");
  SetShowHelp(false);

  auto* outer = new QVBoxLayout(ClientArea());
  auto* group = new QGroupBox("XML Elements", ClientArea());
  group->setObjectName("XmlElementsGroupBox");
  outer->addWidget(group);
  auto* columns = new QHBoxLayout(group);
  auto* editGrid = new QGridLayout;
  columns->addLayout(editGrid);
  columns->addSpacing(16);

  const auto names = SchemaElementNames(schema_);
  for (std::size_t i = 0; i < kElementControls.size(); ++i) {
    const TElementControl& control = kElementControls[i];
    const auto element = static_cast<std::size_t>(control.Element);
    QLineEdit* edit =
        AddLabeledEdit(editGrid, 2 * static_cast<int>(i), 0, control.Caption, control.EditName);
    edit->setText(FromWindows1252(names[element]));
    edits_[element] = edit;
    connect(edit, &QLineEdit::textChanged, this, [this] { UpdateSample(); });
  }
  // The two optional elements are switched on and off beside their edits.
  // Each box says what it switches, beside the edit it belongs to.
  useChannel_ = new QCheckBox("Use channel", group);
  useChannel_->setObjectName("UseChannelCheckBox");
  useChannel_->setToolTip("The feed has a channel element");
  useChannel_->setAccessibleName("Use channel element");
  useChannel_->setChecked(schema_.UseChannelElement);
  editGrid->addWidget(useChannel_, 3, 1);
  useCategory_ = new QCheckBox("Use category", group);
  useCategory_->setObjectName("UseCategoryCheckBox");
  useCategory_->setToolTip("Messages carry a category element");
  useCategory_->setAccessibleName("Use category element");
  useCategory_->setChecked(schema_.UseCategoryElement);
  editGrid->addWidget(useCategory_, 7, 1);
  for (QCheckBox* box : {useChannel_, useCategory_}) {
    connect(box, &QCheckBox::toggled, this, [this] { UpdateSample(); });
  }
  editGrid->setRowStretch(2 * static_cast<int>(kElementControls.size()), 1);

  // The sample: one row of labels per line, indented by its level.
  auto* sample = new QWidget(group);
  sample->setObjectName("SampleDocument");
  auto* lines = new QVBoxLayout(sample);
  lines->setSpacing(2);
  for (const TSchemaSampleLine& line : XmlSchemaSample(schema_)) {
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addSpacing(line.Level * kSampleIndent);
    for (const TSchemaSampleSpan& span : line.Spans) {
      auto* label = new QLabel(sample);
      label->setTextFormat(Qt::PlainText);
      label->setObjectName(span.Element
                               ? TagLabelName(span)
                               : "SampleTextLabel" + QString::number(sampleLabels_.size()));
      row->addWidget(label);
      sampleLabels_.push_back(label);
    }
    row->addStretch();
    lines->addLayout(row);
  }
  lines->addStretch();
  columns->addWidget(sample, 1);

  // Real feeds put HTML into their texts; this reads titles and texts as HTML.
  htmlTexts_ = new QCheckBox("Titles and texts are HTML", ClientArea());
  htmlTexts_->setObjectName("HtmlTextsCheckBox");
  htmlTexts_->setToolTip(
      "Remove tags, break lines at paragraphs, line breaks and list items, and decode HTML's "
      "character references");
  htmlTexts_->setChecked(schema_.HtmlTexts);
  outer->addWidget(htmlTexts_);

  UpdateSample();
  FitClientToControls(*this, 560);
}

TXMLSchema TRIXmlSchemaDlg::ReadSchema() const {
  const auto text = [this](TSchemaElement element) {
    return ToWindows1252(edits_[static_cast<std::size_t>(element)]->text());
  };
  TXMLSchema schema = schema_;
  schema.RootElement = text(TSchemaElement::Root);
  schema.ChannelElement = text(TSchemaElement::Channel);
  schema.MessageElement = text(TSchemaElement::Message);
  schema.CategoryElement = text(TSchemaElement::Category);
  schema.TitleElement = text(TSchemaElement::Title);
  schema.TextElement = text(TSchemaElement::Text);
  schema.UseChannelElement = useChannel_->isChecked();
  schema.UseCategoryElement = useCategory_->isChecked();
  schema.HtmlTexts = htmlTexts_->isChecked();
  return schema;
}

void TRIXmlSchemaDlg::UpdateSample() {
  const TXMLSchema schema = ReadSchema();
  std::size_t next = 0;
  for (const TSchemaSampleLine& line : XmlSchemaSample(schema)) {
    for (const TSchemaSampleSpan& span : line.Spans) {
      QLabel* label = sampleLabels_[next++];
      label->setText(FromWindows1252(span.Text));
      label->setEnabled(!span.Element || SchemaElementEnabled(schema, *span.Element));
    }
  }
  // An edit's caption greys out with it.
  for (const TElementControl& control : kElementControls) {
    const bool enabled = SchemaElementEnabled(schema, control.Element);
    QLineEdit* edit = edits_[static_cast<std::size_t>(control.Element)];
    edit->setEnabled(enabled);
    if (auto* caption = findChild<QLabel*>(QString::fromLatin1(control.EditName) + "Label")) {
      caption->setEnabled(enabled);
    }
  }
}

void TRIXmlSchemaDlg::accept() {
  const TXMLSchema schema = ReadSchema();
  const TXmlSchemaCheck check = ValidateXmlSchema(schema);
  if (!check.Ok) {
    LangMessageDlg(this, FromWindows1252(check.Message), TMsgDlgType::Warning);
    if (check.Field) edits_[static_cast<std::size_t>(*check.Field)]->setFocus();
    return;
  }
  schema_ = schema;
  TQorButtonDlg::accept();
}

}  // namespace tavrel::gui
