#include "render/page_view_rules.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace tavrel {
namespace {

constexpr int kPromptRoom = kPageColumns - 4;
constexpr std::array<std::uint8_t, 4> kPromptColours = {0x01, 0x02, 0x03, 0x06};

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits at any of the separators; empty pieces are dropped.
std::vector<std::string> Split(std::string_view text, std::string_view separators) {
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : text) {
    if (separators.find(c) != std::string_view::npos) {
      if (!piece.empty()) pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) pieces.push_back(std::move(piece));
  return pieces;
}

std::size_t TotalLength(const TFastextTexts& texts) {
  return std::accumulate(
      texts.begin(), texts.end(), std::size_t{0},
      [](std::size_t sum, const std::string& text) { return sum + text.size(); });
}

bool IsLinkNumber(std::string_view group) {
  const std::string_view digits = Trimmed(group);
  if (digits.empty() || digits.size() > 3) return false;
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  int number = 0;
  for (char c : digits) number = number * 10 + (c - '0');
  return number > kLinkNumberAbove && number < kLinkNumberBelow;
}

// Five cells of a page row around a column; cells off the row (or off the page) are "x".
std::string Window(const TPrestPage& page, int row, int column) {
  std::string window(5, 'x');
  if (row < 0 || row >= kPageRows) return window;
  for (int i = 0; i < 5; ++i) {
    const int c = column - 2 + i;
    if (c >= 0 && c < kPageColumns) window[i] = static_cast<char>(page.Cell(row, c));
  }
  return window;
}

}  // namespace

TFastextRow BuildFastextRow(const TFastextTexts& prompts) {
  TFastextTexts texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    texts[i] = std::string(Trimmed(prompts[i]));
    std::replace(texts[i].begin(), texts[i].end(), '_', ' ');
  }
  while (TotalLength(texts) > kPromptRoom) {
    // max_element answers the first of equal longest.
    auto longest = std::max_element(texts.begin(), texts.end(), [](const auto& a, const auto& b) {
      return a.size() < b.size();
    });
    longest->pop_back();
  }
  for (std::size_t next = 0; TotalLength(texts) < kPromptRoom; next = (next + 1) % texts.size()) {
    texts[next] += ' ';
  }
  TFastextRow row{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    row[at++] = kPromptColours[i];
    for (char c : texts[i]) row[at++] = static_cast<std::uint8_t>(c);
  }
  return row;
}

std::optional<TFastextValues> ParseFastextControl(std::string_view prompts,
                                                  std::string_view links) {
  std::string joined;
  for (std::size_t i = 0; i < prompts.size(); ++i) {
    if (prompts.substr(i, 3) == "\" \"") {
      joined += ';';
      i += 2;
    } else if (prompts[i] != '"') {
      joined += prompts[i];
    }
  }
  const std::vector<std::string> promptPieces = Split(joined, "; ");
  const std::vector<std::string> linkPieces = Split(links, " ");
  if (promptPieces.size() != 4 || linkPieces.size() != 4) return std::nullopt;
  TFastextValues values;
  std::copy(promptPieces.begin(), promptPieces.end(), values.Prompts.begin());
  std::copy(linkPieces.begin(), linkPieces.end(), values.Links.begin());
  return values;
}

std::optional<TCellPosition> CellAt(const TPageViewGeometry& geometry, int x, int y) {
  if (geometry.CellWidth <= 0 || geometry.CellHeight <= 0) return std::nullopt;
  return TCellPosition{(y - geometry.TopOrigin) / geometry.CellHeight + 1,
                       (x - geometry.LeftOrigin) / geometry.CellWidth};
}

std::string PageNumberAt(const TPrestPage& page, const TPageViewGeometry& geometry, int x, int y) {
  const std::optional<TCellPosition> cell = CellAt(geometry, x, y);
  if (!cell) return {};
  // Window positions 2-4, 3-5 and 1-3, counted from 1.
  constexpr std::array<std::size_t, 3> kGroupStarts = {1, 2, 0};
  const std::string windows[2] = {
      Window(page, cell->Row, cell->Column),
      cell->Row > 1 ? Window(page, cell->Row - 1, cell->Column) : std::string(5, 'x')};
  for (const std::string& window : windows) {
    for (std::size_t start : kGroupStarts) {
      const std::string group = window.substr(start, 3);
      if (IsLinkNumber(group)) return group;
    }
  }
  return {};
}

std::vector<TPageNumberLink> PageNumberLinks(std::string_view line) {
  std::vector<TPageNumberLink> links;
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t at = 0;
  while (at < line.size()) {
    if (!isDigit(line[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < line.size() && isDigit(line[end])) ++end;
    if (end - at == 3 && IsLinkNumber(line.substr(at, 3))) {
      links.push_back({static_cast<int>(at), std::string(line.substr(at, 3))});
    }
    at = end;
  }
  return links;
}

std::array<TFastextSpan, 4> FastextSpans(const TFastextRow& row) {
  std::array<TFastextSpan, 4> spans{};
  std::size_t prompt = 0;
  for (int column = 0; column < kPageColumns && prompt < spans.size(); ++column) {
    if (row[static_cast<std::size_t>(column)] == kPromptColours[prompt]) {
      if (prompt > 0) spans[prompt - 1].End = column;
      spans[prompt++].First = column;
    }
  }
  if (prompt > 0) spans[prompt - 1].End = kPageColumns;
  return spans;
}

TViewSize PageViewSize(int columns, int rows, int cellWidth, int cellHeight) {
  return {columns * cellWidth + 2 * kFrameThickness, rows * cellHeight + 2 * kFrameThickness};
}

}  // namespace tavrel
