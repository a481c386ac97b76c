#include "editor/block_text.h"

#include "page/cell_codes.h"
#include "page/national_charset.h"

namespace tavrel {
namespace {

bool IsAttribute(std::uint8_t b) { return b == 0 || (b >= 8 && b <= 31); }

constexpr std::uint8_t kTab = 9;

bool IsLineBreak(std::uint8_t b) { return b == '\n' || b == '\r'; }

bool IsCopiedNational(std::uint8_t b) {
  return b == 35 || b == 36 || (b >= 91 && b <= 96) || (b >= 123 && b <= 126);
}

bool IsPastedNational(std::uint8_t b) {
  return b == 35 || b == 36 || (b >= 91 && b <= 96) || b >= 123;
}

std::string_view Limited(std::string_view text) {
  return text.substr(0, std::min(text.size(), kBlockTextClipboardLimit));
}

}  // namespace

bool BlockHasAttributes(const TEditGrid& grid, const TTextBlock& block) {
  for (int row = block.Top; row <= block.Bottom; ++row) {
    for (int column = block.Left; column <= block.Right; ++column) {
      if (IsAttribute(grid.At(row, column))) return true;
    }
  }
  return false;
}

std::vector<std::string> BlockTextLines(const TEditGrid& grid, const TTextBlock& block) {
  std::vector<std::string> lines;
  for (int row = block.Top; row <= block.Bottom; ++row) {
    std::string line;
    for (int column = block.Left; column <= block.Right; ++column) {
      const std::uint8_t b = grid.At(row, column);
      const bool kept = (b >= 1 && b <= 7) || (b >= 32 && b <= 127);
      line += static_cast<char>(kept ? b : kSpaceCode);
    }
    while (!line.empty() && static_cast<std::uint8_t>(line.back()) < 33) line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

void WriteBackBlockText(TEditGrid& grid, const TTextBlock& block,
                        const std::vector<std::string>& lines) {
  const int width = block.Right - block.Left + 1;
  for (int i = 0; i <= block.Bottom - block.Top; ++i) {
    std::string line = i < static_cast<int>(lines.size()) ? lines[i] : std::string();
    line.resize(static_cast<std::size_t>(width), static_cast<char>(kSpaceCode));
    for (int j = 0; j < width; ++j) {
      std::uint8_t& cell = grid.At(block.Top + i, block.Left + j);
      const auto c = static_cast<std::uint8_t>(line[j]);
      if (c == kSpaceCode && cell <= 9) continue;
      cell = c;
    }
  }
}

bool BlockTextKeyAccepted(TBlockTextKey key, std::uint8_t typed, TBlockTextCaret caret,
                          const TTextBlock& block) {
  if (key == TBlockTextKey::Tab) return false;
  if (key == TBlockTextKey::Character && (typed == 3 || typed == 22 || typed == kTab)) {
    return false;
  }
  const bool lastLine = caret.Line >= block.Bottom - block.Top;
  if (!lastLine) return true;
  const bool atWidth = caret.Column >= block.Right - block.Left + 1;
  switch (key) {
    case TBlockTextKey::PageDown:
    case TBlockTextKey::Down:
    case TBlockTextKey::Enter:
    case TBlockTextKey::LineFeed:
      return false;
    case TBlockTextKey::Right:
    case TBlockTextKey::Character:
      return !atWidth;
    default:
      return true;
  }
}

std::string BlockTextForClipboard(std::string_view selected, int charSet) {
  std::string out;
  for (char c : Limited(selected)) {
    std::string text(1, c);
    if (IsCopiedNational(static_cast<std::uint8_t>(c))) {
      NationalCharText(static_cast<std::uint8_t>(c), charSet, text);
    }
    out += text;
  }
  return out;
}

std::string BlockTextFromClipboard(std::string_view clipboard, int charSet) {
  std::string out;
  for (char c : Limited(clipboard)) {
    const auto b = static_cast<std::uint8_t>(c);
    if (IsPastedNational(b)) {
      out += TranslateChar(b, charSet, true);
    } else if (IsAttribute(b) && !IsLineBreak(b)) {
      out += static_cast<char>(kSpaceCode);
    } else {
      out += c;
    }
  }
  return out;
}

const char* BlockTextFaceName(int charSet) {
  switch (charSet) {
    case 2:
      return "PrestF";
    case 4:
      return "PrestS";
    case 8:
      return "PrestD";
    case 10:
      return "PrestE";
    case 12:
      return "PrestI";
    default:
      return "PrestUK";
  }
}

}  // namespace tavrel
