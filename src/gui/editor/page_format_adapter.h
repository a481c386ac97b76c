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
// nothing when the operator cancels.
using TPageFormatRunner = std::function<std::optional<TPageFormatChoice>(
    QWidget* parent, bool showCodes, const std::string& prefix)>;

// Until the page format dialog joins the program: a small dialog in which the prefix is
// written as hexadecimal codes ("03 0D 1D").
std::optional<TPageFormatChoice> RunPageFormatAdapter(QWidget* parent, bool showCodes,
                                                      const std::string& prefix);

}  // namespace tavrel::gui
