#pragma once

#include <array>
#include <vector>

#include "pipeline/xml_schema.h"
#include "pipeline/xml_schema_sample.h"
#include "support/qor_button_dlg.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tavrel::gui {

// "XML Schema": the element names of the feed, with a sample document that follows every
// keystroke. It edits its own copy of the schema and hands it back through Schema() on OK:
//
//   TRIXmlSchemaDlg dialog(globals.XmlSchema, this);
//   if (dialog.exec() == QDialog::Accepted) {
//     globals.XmlSchema = dialog.Schema();
//     globals.SaveSettings();
//   }
class TRIXmlSchemaDlg : public TQorButtonDlg {
 public:
  explicit TRIXmlSchemaDlg(TXMLSchema schema, QWidget* parent = nullptr);

  // The schema as handed in until OK, then as confirmed.
  const TXMLSchema& Schema() const { return schema_; }

 protected:
  // Closes only when the names pass ValidateXmlSchema; otherwise a warning box names the
  // element and the focus goes to its edit.
  void accept() override;

 private:
  // The schema as the controls stand.
  TXMLSchema ReadSchema() const;
  // Redraws the sample's tags and enables the channel and category edits and tags.
  void UpdateSample();

  TXMLSchema schema_;
  // The edits by TSchemaElement.
  std::array<QLineEdit*, kSchemaElementCount> edits_{};
  QCheckBox* useChannel_;
  QCheckBox* useCategory_;
  QCheckBox* htmlTexts_;
  // One label per piece of the sample, in the order of XmlSchemaSample's lines and pieces.
  std::vector<QLabel*> sampleLabels_;
};

}  // namespace tavrel::gui
