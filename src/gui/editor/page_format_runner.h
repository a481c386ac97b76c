#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace tavrel::gui {

// What the page format dialog answers on OK: the prefix (control codes, one byte a column) and
// the show-codes switch, which the dialog lets the operator change.
struct TPageFormatChoice {
  std::string Prefix;
  bool ShowCodes = false;
};

// Runs the page format dialog with the show-codes switch and the current format prefix;
// nothing when the operator cancels. The editor holds one, so that tests can answer for the
// operator.
using TPageFormatRunner = std::function<std::optional<TPageFormatChoice>(
    QWidget* parent, bool showCodes, const std::string& prefix)>;

// The page format dialog, modal over `parent`; `showHelp` false hides its Help button.
std::optional<TPageFormatChoice> RunPageFormatDialog(QWidget* parent, bool showCodes,
                                                     const std::string& prefix, bool showHelp);

}  // namespace tavrel::gui
