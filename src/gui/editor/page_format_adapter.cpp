#include "editor/page_format_adapter.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavrel::gui {

std::optional<TPageFormatChoice> RunPageFormatAdapter(QWidget* parent, bool showCodes,
                                                      const std::string& prefix) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Format Foreground/Background Color");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("Control codes (hexadecimal, at most 7):"));
  QStringList codes;
  for (char c : prefix) {
    codes << QString("%1").arg(static_cast<unsigned char>(c), 2, 16, QChar('0')).toUpper();
  }
  auto* edit = new QLineEdit(codes.join(' '));
  edit->setObjectName("PrefixCodesEdit");
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::string chosen;
  for (const QString& word : edit->text().split(' ', Qt::SkipEmptyParts)) {
    bool ok = false;
    const int code = word.toInt(&ok, 16);
    if (ok && code >= 0 && code < 0x20 && chosen.size() < 7) chosen += static_cast<char>(code);
  }
  return TPageFormatChoice{chosen, showCodes};
}

}  // namespace tavrel::gui
