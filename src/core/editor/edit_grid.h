#pragma once

#include <array>
#include <cstdint>

#include "page/page_record.h"

namespace tavrel {

// The working copy of a page while it is edited: 48 rows of 80 bytes. Rows 0..23 and columns
// 0..39 are the page; the columns right of 39 and the rows below 23 are room into which insert
// typing, Insert Line and Paste push text, so that deleting again brings it back. Only the
// page part is ever shown or stored.
inline constexpr int kEditGridRows = 48;
inline constexpr int kEditGridColumns = 80;
// The header row 0 belongs to the transmission system: editing starts at row 1.
inline constexpr int kFirstEditRow = 1;
inline constexpr int kLastEditRow = kPageRows - 1;

using TEditRow = std::array<std::uint8_t, kEditGridColumns>;

struct TEditGrid {
  std::array<TEditRow, kEditGridRows> Rows{};

  std::uint8_t& At(int row, int column) { return Rows[row][column]; }
  std::uint8_t At(int row, int column) const { return Rows[row][column]; }

  void FillSpaces() {
    for (TEditRow& row : Rows) row.fill(0x20);
  }
  bool operator==(const TEditGrid&) const = default;
};

}  // namespace tavrel
