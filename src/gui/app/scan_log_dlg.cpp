#include "app/scan_log_dlg.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "support/qt_text.h"

namespace tavrel::gui {

namespace {

// Room for a time stamp and a failure of a few words on one line.
constexpr int kLogWidth = 640;
constexpr int kLogHeight = 360;

}  // namespace

TScanLogDlg::TScanLogDlg(QWidget* parent) : QDialog(parent), text_(new QPlainTextEdit(this)) {
  setObjectName("ScanLogDlg");
  setWindowTitle("Scan Log");
  text_->setObjectName("ScanLogText");
  text_->setAccessibleName("Scan log");
  text_->setReadOnly(true);
  // Read-only still lets the operator select with mouse and keyboard and copy with Ctrl+C.
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // A long failure wraps on screen and stays one line when copied.
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  QFont fixed = text_->font();
  fixed.setStyleHint(QFont::Monospace);
  fixed.setFamily("Monospace");
  text_->setFont(fixed);

  auto* copy = new QPushButton("Copy All", this);
  copy->setObjectName("CopyScanLogButton");
  auto* close = new QPushButton("Close", this);
  close->setObjectName("CloseButton");
  close->setDefault(true);
  connect(copy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(Text()); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(copy);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_, 1);
  layout->addLayout(buttons);
  resize(kLogWidth, kLogHeight);
}

void TScanLogDlg::SetLines(const std::vector<std::string>& lines) {
  QStringList shown;
  for (const std::string& line : lines) shown << FromWindows1252(line);
  text_->setPlainText(shown.join('\n'));
}

void TScanLogDlg::AddNewestLine(const std::string& line) {
  // Inserted at the top through a cursor of its own, so that what the operator has selected
  // stays selected while the scan goes on.
  QTextCursor top(text_->document());
  top.movePosition(QTextCursor::Start);
  const bool empty = text_->document()->isEmpty();
  top.insertText(FromWindows1252(line) + (empty ? "" : "\n"));
}

QString TScanLogDlg::Text() const { return text_->toPlainText(); }

}  // namespace tavrel::gui
