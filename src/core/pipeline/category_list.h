#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/category_table.h"

namespace tavrel {

// The column headings of the Categories dialog's grid.
inline constexpr std::array<std::string_view, 4> kCategoryGridHeadings = {
    "Category", "Index number", "First number", "Max pages"};

// One row of the grid: the texts of its four cells, and why "Max pages" could not be read (the
// index template exists but is unreadable; the cell then shows "?").
struct TCategoryGridRow {
  std::array<std::string, 4> Cells;
  std::string Problem;
};

// The rows of the grid: one per entry (name, index number, first number, "Max pages" of its
// index template, relative names taken from programDir), and one empty row for an empty table,
// as the grid always has a row to select.
std::vector<TCategoryGridRow> CategoryGridRows(const TRssTxtPageProperties& table,
                                               const std::string& programDir);

// "Edit" and "Delete" (and a double click) work only on a table that holds entries.
inline bool CategoryRowsEditable(const TRssTxtPageProperties& table) { return !table.empty(); }

// The entry a selected grid row stands for, none for the empty row or no selection.
std::optional<std::size_t> CategoryAtRow(const TRssTxtPageProperties& table, int row);

// The question before an entry is deleted: Delete category "<name>" ?
std::string DeleteCategoryQuestion(std::string_view name);

// The row to select after deleting the entry at `row` from a table that now holds `remaining`
// entries: the first row while entries remain, none otherwise.
std::optional<int> RowAfterDelete(std::size_t remaining);

}  // namespace tavrel
