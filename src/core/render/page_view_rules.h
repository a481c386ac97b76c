#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_record.h"
#include "render/page_renderer.h"

namespace tavrel {

// The decisions of the page view control that do not need a window: the fastext prompt row,
// the fastext values of a control file, the page number under the pointer and the view's size.

// The four coloured prompts (red, green, yellow, cyan) or their four link targets.
using TFastextTexts = std::array<std::string, 4>;

// Cells of the prompt row: four colour codes and 36 prompt characters.
using TFastextRow = std::array<std::uint8_t, kPageColumns>;

// The prompt row of a fastext view: each prompt trimmed of spaces and control characters at
// both ends with "_" turned into spaces; the longest prompt (the first of equal ones) losing its
// last character while the four together exceed 36; then one space at a time appended to the
// prompts in turn until they fill 36; each prompt preceded by alphanumeric red, green, yellow
// and cyan (0x01, 0x02, 0x03, 0x06).
TFastextRow BuildFastextRow(const TFastextTexts& prompts);

// The fastext entry of a control file: the quoted prompts and the links.
struct TFastextValues {
  TFastextTexts Prompts;
  TFastextTexts Links;
};

// Reads the prompts value (quoted prompts such as "Index" "Sport" ...) and the links value
// (page numbers separated by spaces). In the prompts every `" "` separates, the remaining
// quotes go, and the rest splits at ";" and at spaces; empty pieces do not count. Answers
// nothing unless both values give exactly four pieces, so a prompt with a space in it (which
// splits in two) changes nothing: prompts write spaces as "_".
std::optional<TFastextValues> ParseFastextControl(std::string_view prompts, std::string_view links);

// Where a view draws its cells: the pixel position of the first cell and the cell size.
struct TPageViewGeometry {
  int LeftOrigin = kFrameThickness;
  int TopOrigin = kFrameThickness;
  int CellWidth = 0;
  int CellHeight = 0;
};

// A page row and column under a pixel position. The view draws from page row 1, so the first
// drawn row is row 1. Division truncates toward zero, so a pointer on the frame just above or
// left of the first cell counts as that cell.
struct TCellPosition {
  int Row = 0;
  int Column = 0;
};

// The cell under (x, y); nothing when the geometry has no cell size (a font set that was never
// loaded), which would otherwise divide by zero.
std::optional<TCellPosition> CellAt(const TPageViewGeometry& geometry, int x, int y);

// The lowest and highest page numbers a view offers as links, both excluded.
inline constexpr int kLinkNumberAbove = 100;
inline constexpr int kLinkNumberBelow = 898;

// The page number under (x, y): three characters of the page's row under the pointer around the
// pointer's column (columns c-1..c+1, then c..c+2, then c-2..c), then the same three groups of
// the row above, so that the lower half of a double-height number finds it. The first group
// that, trimmed, is a whole number above 100 and below 898 is the answer, as it stands; empty
// when none is.
std::string PageNumberAt(const TPrestPage& page, const TPageViewGeometry& geometry, int x, int y);

// A page number in a line of page text, as a reader of the page follows it: its first column
// and its three digits.
struct TPageNumberLink {
  int Column = 0;
  std::string Number;
  bool operator==(const TPageNumberLink&) const = default;
};

// The page numbers of one line of page text (PageText: a character per cell, control codes and
// mosaics read as spaces): every run of exactly three digits whose number lies above 100 and
// below 898, the numbers PageNumberAt finds under the pointer. A longer run of digits (a year,
// a score) is not a page number.
std::vector<TPageNumberLink> PageNumberLinks(std::string_view line);

// Where each prompt of a fastext row (BuildFastextRow) lies: the column of its colour code and
// the column after its last cell, prompts in the order red, green, yellow, cyan.
struct TFastextSpan {
  int First = 0;
  int End = 0;
};
std::array<TFastextSpan, 4> FastextSpans(const TFastextRow& row);

// Size in pixels of a view of columns x rows cells with room for the frame all round.
struct TViewSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TViewSize&) const = default;
};
TViewSize PageViewSize(int columns, int rows, int cellWidth, int cellHeight);

}  // namespace tavrel
