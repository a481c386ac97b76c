#pragma once

#include <QDialog>
#include <memory>

#include "support/dialog_layout.h"
#include "support/language_texts.h"

class QWidget;

namespace tavrel::gui {

// The language module's message box: caption and button texts in the current language, laid out
// by LayoutMessageBox. The dialog's result is an int(TModalResult).
class TLangMessageDialog : public QDialog {
 public:
  TLangMessageDialog(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext,
                     int top, int left, QWidget* parent = nullptr);

  int HelpContext() const { return helpContext_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The window's close button (and nothing else) ends here.
  void reject() override;

 private:
  TModalResult escapeResult_;
  int helpContext_;
};

// Shows the box modally and answers the button that closed it. top and left of -1 keep it
// centred on the screen.
TModalResult LangMessageDlg(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                            int helpContext = 0, int top = -1, int left = -1,
                            QWidget* parent = nullptr);

// The same, centred, over a parent window: the form most callers want.
TModalResult LangMessageDlg(QWidget* parent, const QString& text, TMsgDlgType kind,
                            TMsgDlgButtons buttons = kButtonsOk);

// Object names of the box's buttons, in TMsgDlgBtn order.
QString MessageButtonObjectName(TMsgDlgBtn button);

}  // namespace tavrel::gui
