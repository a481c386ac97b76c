#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "pipeline/category_form.h"
#include "pipeline/category_table.h"
#include "support/qor_button_dlg.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace tavrel::gui {

class TPSelectFileFrame;
class TRadioGroup;

// What the category dialogs need to know besides the table.
struct TCategoryDialogContext {
  // Relative template names are taken from here (the settings file's folder), for "Max pages".
  std::string ProgramDir;
  // Where the template selectors open when an entry is edited.
  std::string TemplatesDir;
  // The "Fastext" group is enabled only while fastext is in use.
  bool UseFastext = true;
};

// "Category properties": one entry of the category table. It works on its own copies of the
// entry and of the whole table (for the uniqueness checks) and hands the entry back through
// Entry() once OK has passed the checks:
//
//   TRIPageListEditDlg dialog(table, editIndex, context, this);
//   if (dialog.exec() == QDialog::Accepted) table[*editIndex] = dialog.Entry();
//
// editIndex empty makes a new entry; otherwise the entry at *editIndex of table is edited (an
// index past the table's end is taken as a new entry).
class TRIPageListEditDlg : public TQorButtonDlg {
 public:
  TRIPageListEditDlg(TRssTxtPageProperties table, std::optional<std::size_t> editIndex,
                     TCategoryDialogContext context, QWidget* parent = nullptr);

  bool IsNew() const { return !editIndex_; }
  std::optional<std::size_t> EditIndex() const { return editIndex_; }
  // The entry as handed in (a new one: the record's defaults) until OK passes the checks, then
  // as confirmed.
  const TRssTxtPageProperty& Entry() const { return entry_; }

 protected:
  // Reads the controls and closes only when they pass ValidateCategoryForm; each failure is a
  // warning box (one per clashing entry) and the focus goes to the edit it concerns.
  void accept() override;

 private:
  void ShowForm(const TCategoryForm& form);
  TCategoryForm ReadForm() const;
  void UpdateTitleOptions();
  // The edit a failed check points at, or null.
  QLineEdit* EditOf(TCategoryField field) const;

  TRssTxtPageProperties table_;
  std::optional<std::size_t> editIndex_;
  TCategoryDialogContext context_;
  TRssTxtPageProperty entry_;

  QLineEdit* categoryEdit_;
  QLineEdit* indexNumberEdit_;
  QLineEdit* firstNumberEdit_;
  TPSelectFileFrame* indexTemplateFrame_;
  TPSelectFileFrame* messageTemplateFrame_;
  TRadioGroup* colorGroup_;
  QCheckBox* preserveIndexCharset_;
  QCheckBox* showTitle_;
  QCheckBox* titleUppercase_;
  QCheckBox* emptyRowAfterTitle_;
  QCheckBox* preserveMessageCharset_;
  QGroupBox* fastextGroup_;
  std::array<QLineEdit*, 4> promptEdits_{};
  std::array<QLineEdit*, 4> linkEdits_{};
};

}  // namespace tavrel::gui
