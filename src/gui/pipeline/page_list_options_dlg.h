#pragma once

#include "pipeline/category_table.h"
#include "pipeline/page_list_edit_dlg.h"
#include "support/qor_button_dlg.h"

class QPushButton;
class QTableWidget;

namespace tavrel::gui {

// "Categories": the category table in a grid with New, Edit and Delete. It edits its own copy of
// the table; the caller takes the copy back on OK and saves the settings:
//
//   TRIPageListOptionsDlg dialog(globals.Categories, {globals.ProgramDir,
//                                globals.TemplatesDir, globals.UseFastext}, this);
//   if (dialog.exec() == QDialog::Accepted) {
//     globals.Categories = dialog.Categories();
//     globals.SaveSettings();
//   }
class TRIPageListOptionsDlg : public TQorButtonDlg {
 public:
  TRIPageListOptionsDlg(TRssTxtPageProperties table, TCategoryDialogContext context,
                        QWidget* parent = nullptr);

  // The copy with every change made so far; meant to be taken only after OK.
  const TRssTxtPageProperties& Categories() const { return table_; }

  // The three commands, as the buttons run them.
  void NewCategory();
  void EditCategory();
  void DeleteCategory();

 protected:
  // Enter on the grid edits the selected row, as a double click does, instead of pressing OK.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Refills the grid from the copy and selects `row` when it is an entry's row.
  void FillGrid(int row);
  int SelectedRow() const;

  TRssTxtPageProperties table_;
  TCategoryDialogContext context_;
  QTableWidget* grid_;
  QPushButton* newButton_;
  QPushButton* editButton_;
  QPushButton* deleteButton_;
};

}  // namespace tavrel::gui
