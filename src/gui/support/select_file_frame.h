#pragma once

#include <QFrame>
#include <QString>

class QLineEdit;
class QToolButton;

namespace tavrel::gui {

// An embeddable file-path edit with a browse button and an existence check.
class TPSelectFileFrame : public QFrame {
 public:
  static constexpr int kHeight = 37;
  static constexpr int kBrowseButtonWidth = 15;

  explicit TPSelectFileFrame(QWidget* parent = nullptr);

  // Reading takes the edit's text into FileName first, as the caller reads before validating.
  QString FileName();
  void SetFileName(const QString& fileName);
  // The browse dialog's filter in the "description|mask|description|mask" form, such as
  // "xml|*.xml".
  QString Filter;
  QString InitialDir;

  void SetEnabled(bool enabled);
  // True when a file named FileName exists; otherwise the plain message "File not found.",
  // the focus on the edit, and false.
  bool ValidateFile();

  QLineEdit* Edit() const { return edit_; }

 private:
  void Browse();

  QString fileName_;
  QLineEdit* edit_;
  QToolButton* browseButton_;
};

// "xml|*.xml|All|*.*" as a Qt file dialog filter: "xml (*.xml);;All (*.*)". A trailing
// description without a mask is dropped.
QString QtFileFilter(const QString& filter);

}  // namespace tavrel::gui
