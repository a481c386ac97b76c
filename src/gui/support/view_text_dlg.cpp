#include "support/view_text_dlg.h"

#include <QFrame>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <exception>

#include "support/file_utils.h"
#include "support/lang_message_dlg.h"
#include "support/qt_text.h"
#include "support/rtf_document.h"
#include "support/rtf_reader.h"
#include "support/text_encoding.h"

namespace tavrel::gui {

TPViewTextDlg::TPViewTextDlg(QWidget* parent) : TQorButtonDlg(parent), editor_(new QTextEdit) {
  setObjectName("PViewTextDlg");
  SetCloseOnly(true);
  SetShowHelp(false);
  SetClientSize(kClientWidth, kClientHeight);

  auto* panel = new QFrame(ClientArea());
  panel->setObjectName("Panel");
  panel->setFrameShape(QFrame::StyledPanel);
  auto* areaLayout = new QVBoxLayout(ClientArea());
  areaLayout->setContentsMargins(8, 8, 8, 0);
  areaLayout->addWidget(panel);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(8, 8, 8, 8);
  editor_->setObjectName("RichEdit");
  editor_->setReadOnly(true);
  editor_->setFrameShape(QFrame::NoFrame);
  // Wide enough for the terms of the help file's two-column lists.
  editor_->setTabStopDistance(kTabStopPixels);
  panelLayout->addWidget(editor_);
}

void TPViewTextDlg::LoadTextFile(const QString& path) {
  const std::string name = path.toStdString();
  const std::string bytes = ReadFileBytes(name, kMaxRtfFileBytes);
  if (bytes.rfind("{\\rtf", 0) == 0) {
    FillTextDocument(*editor_->document(), ReadRtf(bytes, name));
  } else if (FindInvalidUtf8(bytes) == std::string::npos) {
    editor_->setPlainText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
  } else {
    editor_->setPlainText(FromWindows1252(bytes));
  }
  // Filling the document leaves the cursor, and so the view, at its end; a reader starts at
  // the top.
  editor_->moveCursor(QTextCursor::Start);
  fileName_ = path;
}

TRIHelpDlg::TRIHelpDlg(QWidget* parent) : TPViewTextDlg(parent) {
  setObjectName("RIHelpDlg");
  SetClientSize(kClientWidth, kClientHeight);
  Editor()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ShowHelpSubjects(const QString& programFolder, QWidget* parent) {
  TRIHelpDlg dialog(parent);
  dialog.setWindowTitle("Tavrel Help");
  try {
    dialog.LoadTextFile(programFolder + "/" + TRIHelpDlg::kHelpFileName);
  } catch (const std::exception& error) {
    LangMessageDlg(parent, QString::fromLocal8Bit(error.what()), TMsgDlgType::Error);
    return;
  }
  dialog.exec();
}

}  // namespace tavrel::gui
