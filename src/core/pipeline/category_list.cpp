#include "pipeline/category_list.h"

#include "support/error.h"
#include "support/text_encoding.h"

namespace tavrel {

std::vector<TCategoryGridRow> CategoryGridRows(const TRssTxtPageProperties& table,
                                               const std::string& programDir) {
  std::vector<TCategoryGridRow> rows;
  for (const TRssTxtPageProperty& entry : table) {
    TCategoryGridRow row;
    row.Cells = {entry.Category, std::to_string(entry.IndexNumber),
                 std::to_string(entry.FirstNumber), "?"};
    try {
      row.Cells[3] = std::to_string(MaxPages(entry, programDir));
    } catch (const Error& error) {
      // A damaged template must not keep the operator from the table that names it.
      // The grid shows the program's text; the message names the template in UTF-8.
      row.Problem = MessageAsWindows1252Text(error.what());
    }
    rows.push_back(std::move(row));
  }
  if (rows.empty()) rows.emplace_back();
  return rows;
}

std::optional<std::size_t> CategoryAtRow(const TRssTxtPageProperties& table, int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= table.size()) return std::nullopt;
  return static_cast<std::size_t>(row);
}

std::string DeleteCategoryQuestion(std::string_view name) {
  return "Delete category \"" + std::string(name) + "\" ?";
}

std::optional<int> RowAfterDelete(std::size_t remaining) {
  if (remaining == 0) return std::nullopt;
  return 0;
}

}  // namespace tavrel
