#pragma once

#include <QDialog>

class QPushButton;
class QWidget;

namespace tavrel::gui {

// The base of the settings dialogs and the text viewers: a fixed dialog with a bottom panel of
// OK, Cancel and Help buttons, arranged by ShowHelp and CloseOnly. Descendants put their
// controls on ClientArea().
class TQorButtonDlg : public QDialog {
 public:
  static constexpr int kBaseClientWidth = 388;
  static constexpr int kBaseClientHeight = 246;
  static constexpr int kButtonPanelHeight = 40;
  static constexpr int kButtonTop = 8;
  static constexpr int kButtonWidth = 72;
  static constexpr int kButtonHeight = 25;

  explicit TQorButtonDlg(QWidget* parent = nullptr);

  bool ShowHelp() const { return showHelp_; }
  bool CloseOnly() const { return closeOnly_; }
  void SetShowHelp(bool showHelp);
  void SetCloseOnly(bool closeOnly);

  // Sets the fixed client size; the button row follows the new width.
  void SetClientSize(int width, int height);

  QWidget* ClientArea() const { return clientArea_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QPushButton* HelpButton() const { return helpButton_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ArrangeButtons();

  bool showHelp_ = true;
  bool closeOnly_ = false;
  QWidget* clientArea_;
  QWidget* buttonPanel_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
  QPushButton* helpButton_;
};

}  // namespace tavrel::gui
