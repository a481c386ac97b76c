#include "pipeline/error_list_dlg.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "support/qt_text.h"

namespace tavrel::gui {

TPErrorListDlg::TPErrorListDlg(const std::vector<std::string>& lines, QWidget* parent)
    : TQorButtonDlg(parent), memo_(new QPlainTextEdit(ClientArea())) {
  setObjectName("PErrorListDlg");
  setWindowTitle("Errors");
  SetCloseOnly(true);
  SetShowHelp(false);
  memo_->setObjectName("ErrorMemo");
  // The operator reads and may copy the lines; changing them would mean nothing.
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  for (const std::string& line : lines) memo_->appendPlainText(FromWindows1252(line));
  memo_->moveCursor(QTextCursor::Start);
  auto* layout = new QVBoxLayout(ClientArea());
  layout->setContentsMargins(8, 8, 8, 0);
  layout->addWidget(memo_);
  SetClientSize(520, 320);
}

}  // namespace tavrel::gui
