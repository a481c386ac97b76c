#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace tavrel::gui {

// Runs the page format dialog with the show-codes switch and the current format prefix, and
// answers the chosen prefix (control codes, one byte a column) on OK, nothing otherwise.
using TPageFormatRunner = std::function<std::optional<std::string>(QWidget* parent, bool showCodes,
                                                                   const std::string& prefix)>;

// Until the page format dialog joins the program: a small dialog in which the prefix is
// written as hexadecimal codes ("03 0D 1D").
std::optional<std::string> RunPageFormatAdapter(QWidget* parent, bool showCodes,
                                                const std::string& prefix);

}  // namespace tavrel::gui
