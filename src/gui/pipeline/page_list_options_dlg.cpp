#include "pipeline/page_list_options_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "pipeline/category_list.h"
#include "support/lang_message_dlg.h"
#include "support/qt_text.h"

namespace tavrel::gui {

namespace {

QPushButton* AddButton(QVBoxLayout* layout, const QString& text, const char* objectName) {
  auto* button = new QPushButton(text, layout->parentWidget());
  button->setObjectName(objectName);
  button->setFixedSize(TQorButtonDlg::kButtonWidth, TQorButtonDlg::kButtonHeight);
  layout->addWidget(button);
  return button;
}

}  // namespace

TRIPageListOptionsDlg::TRIPageListOptionsDlg(TRssTxtPageProperties table,
                                             TCategoryDialogContext context, QWidget* parent)
    : TQorButtonDlg(parent),
      table_(std::move(table)),
      context_(std::move(context)),
      grid_(new QTableWidget(ClientArea())) {
  setObjectName("RIPageListOptionsDlg");
  setWindowTitle("Categories");
  SetShowHelp(false);

  grid_->setObjectName("PageNumberStringGrid");
  grid_->setColumnCount(static_cast<int>(kCategoryGridHeadings.size()));
  QStringList headings;
  for (std::string_view heading : kCategoryGridHeadings) headings << FromWindows1252(heading);
  grid_->setHorizontalHeaderLabels(headings);
  grid_->verticalHeader()->hide();
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->setColumnWidth(1, 84);
  grid_->setColumnWidth(2, 84);
  grid_->setColumnWidth(3, 70);

  auto* layout = new QHBoxLayout(ClientArea());
  layout->setContentsMargins(8, 8, 8, 0);
  layout->addWidget(grid_, 1);
  auto* buttons = new QVBoxLayout;
  layout->addLayout(buttons);
  newButton_ = AddButton(buttons, "New", "NewButton");
  editButton_ = AddButton(buttons, "Edit", "EditButton");
  deleteButton_ = AddButton(buttons, "Delete", "DeleteButton");
  buttons->addStretch();

  connect(newButton_, &QPushButton::clicked, this, [this] { NewCategory(); });
  connect(editButton_, &QPushButton::clicked, this, [this] { EditCategory(); });
  connect(deleteButton_, &QPushButton::clicked, this, [this] { DeleteCategory(); });
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] {
    if (CategoryRowsEditable(table_)) EditCategory();
  });
  grid_->installEventFilter(this);

  SetClientSize(480, 300);
  FillGrid(0);
}

void TRIPageListOptionsDlg::FillGrid(int row) {
  const std::vector<TCategoryGridRow> rows = CategoryGridRows(table_, context_.ProgramDir);
  grid_->clearContents();
  grid_->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].Cells.size(); ++c) {
      auto* item = new QTableWidgetItem(FromWindows1252(rows[r].Cells[c]));
      // Numbers line up on the right, as in every table of numbers.
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (c == 3 && !rows[r].Problem.empty()) item->setToolTip(FromWindows1252(rows[r].Problem));
      grid_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  const bool editable = CategoryRowsEditable(table_);
  editButton_->setEnabled(editable);
  deleteButton_->setEnabled(editable);
  if (CategoryAtRow(table_, row)) {
    grid_->selectRow(row);
  } else {
    grid_->clearSelection();
  }
}

bool TRIPageListOptionsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && key->modifiers() == Qt::NoModifier) {
      if (CategoryRowsEditable(table_)) EditCategory();
      return true;
    }
  }
  return TQorButtonDlg::eventFilter(watched, event);
}

int TRIPageListOptionsDlg::SelectedRow() const {
  const QList<QTableWidgetItem*> selected = grid_->selectedItems();
  return selected.isEmpty() ? -1 : selected.front()->row();
}

void TRIPageListOptionsDlg::NewCategory() {
  TRIPageListEditDlg dialog(table_, std::nullopt, context_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  table_.push_back(dialog.Entry());
  FillGrid(static_cast<int>(table_.size()) - 1);
}

void TRIPageListOptionsDlg::EditCategory() {
  const int row = SelectedRow();
  const std::optional<std::size_t> index = CategoryAtRow(table_, row);
  if (!index) return;
  TRIPageListEditDlg dialog(table_, index, context_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  table_[*index] = dialog.Entry();
  FillGrid(row);
}

void TRIPageListOptionsDlg::DeleteCategory() {
  const std::optional<std::size_t> index = CategoryAtRow(table_, SelectedRow());
  if (!index) return;
  const TModalResult answer = LangMessageDlg(
      this, FromWindows1252(DeleteCategoryQuestion(table_[*index].Category)),
      TMsgDlgType::Confirmation, ButtonBit(TMsgDlgBtn::Yes) | ButtonBit(TMsgDlgBtn::No));
  if (answer != TModalResult::Yes) return;
  table_.erase(table_.begin() + static_cast<std::ptrdiff_t>(*index));
  FillGrid(RowAfterDelete(table_.size()).value_or(-1));
}

}  // namespace tavrel::gui
