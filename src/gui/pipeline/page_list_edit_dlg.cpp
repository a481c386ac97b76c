#include "pipeline/page_list_edit_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>
#include <string_view>
#include <vector>

#include "pipeline/category_validation.h"
#include "pipeline/dialog_controls.h"
#include "pipeline/radio_group.h"
#include "support/lang_message_dlg.h"
#include "support/qt_text.h"
#include "support/select_file_frame.h"
#include "support/windows1252_check.h"

namespace tavrel::gui {

namespace {

// The captions of the four prompt edits, which name them in messages.
constexpr std::array<std::string_view, 4> kPromptLabels = {"Prompt 1", "Prompt 2", "Prompt 3",
                                                           "Prompt 4"};

QCheckBox* AddCheckBox(QLayout* layout, const QString& text, const char* objectName) {
  auto* box = new QCheckBox(text, layout->parentWidget());
  box->setObjectName(objectName);
  layout->addWidget(box);
  return box;
}

// A template selector with its caption above it.
TPSelectFileFrame* AddTemplateFrame(QGridLayout* grid, int row, const QString& caption,
                                    const char* objectName) {
  auto* label = new QLabel(caption, grid->parentWidget());
  auto* frame = new TPSelectFileFrame(grid->parentWidget());
  frame->setObjectName(objectName);
  frame->Edit()->setAccessibleName(caption);
  label->setBuddy(frame->Edit());
  grid->addWidget(label, row, 0);
  grid->addWidget(frame, row + 1, 0);
  return frame;
}

}  // namespace

TRIPageListEditDlg::TRIPageListEditDlg(TRssTxtPageProperties table,
                                       std::optional<std::size_t> editIndex,
                                       TCategoryDialogContext context, QWidget* parent)
    : TQorButtonDlg(parent),
      table_(std::move(table)),
      editIndex_(editIndex && *editIndex < table_.size() ? editIndex : std::nullopt),
      context_(std::move(context)) {
  setObjectName("RIPageListEditDlg");
  setWindowTitle("Category properties");
  SetShowHelp(false);
  if (editIndex_) entry_ = table_[*editIndex_];

  // Two columns of groups, and the four fastext keys side by side below them, in the order
  // of the keys on a remote control.
  auto* rows = new QVBoxLayout(ClientArea());
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  rows->addLayout(columns);
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  auto* categoryGroup = new QGroupBox("Category", ClientArea());
  categoryGroup->setObjectName("CategoryGroupBox");
  auto* categoryGrid = new QGridLayout(categoryGroup);
  categoryEdit_ = AddLabeledEdit(categoryGrid, 0, 0, "Category", "CategoryLabeledEdit");
  indexNumberEdit_ =
      AddLabeledEdit(categoryGrid, 2, 0, "Index page Number", "IndexPageNumberLabeledEdit");
  firstNumberEdit_ =
      AddLabeledEdit(categoryGrid, 4, 0, "First message page number", "FirstNumberLabeledEdit");
  left->addWidget(categoryGroup);

  auto* templatesGroup = new QGroupBox("Templates", ClientArea());
  templatesGroup->setObjectName("TemplatesGroupBox");
  auto* templatesGrid = new QGridLayout(templatesGroup);
  indexTemplateFrame_ =
      AddTemplateFrame(templatesGrid, 0, "Index page template", "IndexTemplateFileFrame");
  messageTemplateFrame_ =
      AddTemplateFrame(templatesGrid, 2, "Message page template", "MessageTemplateFileFrame");
  left->addWidget(templatesGroup);
  left->addStretch();

  auto* indexGroup = new QGroupBox("Index page", ClientArea());
  indexGroup->setObjectName("IndexPageGroupBox");
  auto* indexLayout = new QVBoxLayout(indexGroup);
  colorGroup_ = new TRadioGroup("Number color", indexGroup);
  colorGroup_->setObjectName("IndexNumberColorRadioGroup");
  // Two columns of four, read down the columns as the items are numbered.
  for (std::size_t i = 0; i < kIndexNumberColorItems.size(); ++i) {
    colorGroup_->AddItem(FromWindows1252(kIndexNumberColorItems[i]), static_cast<int>(i % 4),
                         static_cast<int>(i / 4));
  }
  indexLayout->addWidget(colorGroup_);
  preserveIndexCharset_ =
      AddCheckBox(indexLayout, "Preserve charset", "PreserveIndexCharsetCheckBox");
  right->addWidget(indexGroup);

  auto* messageGroup = new QGroupBox("Message page", ClientArea());
  messageGroup->setObjectName("MessagePageGroupBox");
  auto* messageLayout = new QVBoxLayout(messageGroup);
  showTitle_ = AddCheckBox(messageLayout, "Show title", "ShowTitleCheckBox");
  titleUppercase_ = AddCheckBox(messageLayout, "Title uppercase", "TitleUppercaseCheckBox");
  emptyRowAfterTitle_ = AddCheckBox(messageLayout, "Empty row after title", "EmptyRowAfterTitle");
  preserveMessageCharset_ =
      AddCheckBox(messageLayout, "Preserve charset", "PreserveMessageCharsetCheckbox");
  right->addWidget(messageGroup);
  connect(showTitle_, &QCheckBox::toggled, this, [this] { UpdateTitleOptions(); });

  fastextGroup_ = new QGroupBox("Fastext", ClientArea());
  fastextGroup_->setObjectName("FastextGroupBox");
  auto* fastextGrid = new QGridLayout(fastextGroup_);
  for (int i = 0; i < 4; ++i) {
    const QString number = QString::number(i + 1);
    promptEdits_[i] = AddLabeledEdit(fastextGrid, 0, i, "Prompt " + number,
                                     qPrintable("Prompt" + number + "LabelEdit"));
    linkEdits_[i] =
        AddLabeledEdit(fastextGrid, 2, i, "Number", qPrintable("LinkNr" + number + "LabeledEdit"));
    linkEdits_[i]->setAccessibleName("Number " + number);
  }
  rows->addWidget(fastextGroup_);
  right->addStretch();

  ShowForm(editIndex_ ? EditCategoryForm(entry_, context_.TemplatesDir) : NewCategoryForm());
  FitClientToControls(*this, 520);
}

void TRIPageListEditDlg::ShowForm(const TCategoryForm& form) {
  setWindowTitle(FromWindows1252(form.Caption));
  categoryEdit_->setText(FromWindows1252(form.Texts.Category));
  indexNumberEdit_->setText(FromWindows1252(form.Texts.IndexNumber));
  firstNumberEdit_->setText(FromWindows1252(form.Texts.FirstNumber));
  for (std::size_t i = 0; i < 4; ++i) {
    promptEdits_[i]->setText(FromWindows1252(form.Prompts[i]));
    linkEdits_[i]->setText(FromWindows1252(form.Texts.LinkNumbers[i]));
  }
  indexTemplateFrame_->SetFileName(FromPath(form.IndexTemplateFileName));
  messageTemplateFrame_->SetFileName(FromPath(form.MessageTemplateFileName));
  for (TPSelectFileFrame* frame : {indexTemplateFrame_, messageTemplateFrame_}) {
    frame->InitialDir = FromPath(form.TemplateInitialDir);
    frame->Filter = FromWindows1252(form.TemplateFilter);
  }
  colorGroup_->SetItemIndex(form.ColorItem);
  preserveIndexCharset_->setChecked(form.PreserveIndexCharset);
  showTitle_->setChecked(form.ShowTitle);
  titleUppercase_->setChecked(form.TitleUpperCase);
  emptyRowAfterTitle_->setChecked(form.EmptyRowAfterTitle);
  preserveMessageCharset_->setChecked(form.PreserveMessageCharset);
  fastextGroup_->setEnabled(context_.UseFastext);
  UpdateTitleOptions();
}

TCategoryForm TRIPageListEditDlg::ReadForm() const {
  TCategoryForm form;
  form.Texts.Category = ToWindows1252(categoryEdit_->text());
  form.Texts.IndexNumber = ToWindows1252(indexNumberEdit_->text());
  form.Texts.FirstNumber = ToWindows1252(firstNumberEdit_->text());
  for (std::size_t i = 0; i < 4; ++i) {
    form.Prompts[i] = ToWindows1252(promptEdits_[i]->text());
    form.Texts.LinkNumbers[i] = ToWindows1252(linkEdits_[i]->text());
  }
  form.IndexTemplateFileName = ToPath(indexTemplateFrame_->FileName());
  form.MessageTemplateFileName = ToPath(messageTemplateFrame_->FileName());
  form.ColorItem = colorGroup_->ItemIndex();
  form.PreserveIndexCharset = preserveIndexCharset_->isChecked();
  form.ShowTitle = showTitle_->isChecked();
  form.TitleUpperCase = titleUppercase_->isChecked();
  form.EmptyRowAfterTitle = emptyRowAfterTitle_->isChecked();
  form.PreserveMessageCharset = preserveMessageCharset_->isChecked();
  return form;
}

void TRIPageListEditDlg::UpdateTitleOptions() {
  titleUppercase_->setEnabled(showTitle_->isChecked());
  emptyRowAfterTitle_->setEnabled(showTitle_->isChecked());
}

QLineEdit* TRIPageListEditDlg::EditOf(TCategoryField field) const {
  switch (field) {
    case TCategoryField::Category:
      return categoryEdit_;
    case TCategoryField::IndexNumber:
      return indexNumberEdit_;
    case TCategoryField::FirstNumber:
      return firstNumberEdit_;
    case TCategoryField::FastextPrompt1:
    case TCategoryField::FastextPrompt2:
    case TCategoryField::FastextPrompt3:
    case TCategoryField::FastextPrompt4:
      return promptEdits_[static_cast<std::size_t>(field) -
                          static_cast<std::size_t>(TCategoryField::FastextPrompt1)];
    case TCategoryField::None:
      break;
  }
  return nullptr;
}

void TRIPageListEditDlg::accept() {
  // The name and the prompts are page text, kept in Windows-1252: refused rather than stored
  // with "?" for each character the code page lacks.
  std::vector<TTextField> texts = {{"Category", Utf32Of(categoryEdit_->text())}};
  std::vector<QLineEdit*> textEdits = {categoryEdit_};
  for (std::size_t i = 0; i < promptEdits_.size(); ++i) {
    texts.push_back({kPromptLabels[i], Utf32Of(promptEdits_[i]->text())});
    textEdits.push_back(promptEdits_[i]);
  }
  if (const TTextFieldsCheck text = CheckWindows1252Fields(texts); !text.Ok) {
    LangMessageDlg(this, FromUtf8(text.Message), TMsgDlgType::Warning);
    textEdits[text.Field]->setFocus();
    return;
  }
  const TCategoryForm form = ReadForm();
  const TCategoryCheck check = ValidateCategoryForm(form, table_, editIndex_, context_.UseFastext);
  if (!check.Ok) {
    for (std::size_t i = 0; i < check.Repeat; ++i) {
      LangMessageDlg(this, FromWindows1252(check.Message), TMsgDlgType::Warning);
    }
    if (QLineEdit* edit = EditOf(check.Field)) edit->setFocus();
    return;
  }
  entry_ = CategoryFromForm(form, entry_);
  TQorButtonDlg::accept();
}

}  // namespace tavrel::gui
