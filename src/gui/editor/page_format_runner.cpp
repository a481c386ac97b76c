#include "editor/page_format_runner.h"

#include "editor/page_format_dlg.h"

namespace tavrel::gui {

std::optional<TPageFormatChoice> RunPageFormatDialog(QWidget* parent, bool showCodes,
                                                     const std::string& prefix, bool showHelp) {
  TDlgPageFormat dialog(parent);
  dialog.SetShowHelp(showHelp);
  dialog.SetPrefix(prefix);
  dialog.SetShowCodes(showCodes);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return TPageFormatChoice{dialog.Prefix(), dialog.ShowCodes()};
}

}  // namespace tavrel::gui
