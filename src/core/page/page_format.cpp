#include "page/page_format.h"

#include <algorithm>

#include "page/cell_codes.h"

namespace tavrel {
namespace {

constexpr bool IsFormatColor(int code) { return code >= 1 && code <= kFormatBlack; }

// Graphics colour codes the reader takes as a foreground: 16 (black, see the builder) to 23.
constexpr bool IsGraphicsColor(int code) { return code >= kGraphicBlack && code <= kGraphicWhite; }

int GraphicsForeground(int code) { return code == kGraphicBlack ? kFormatBlack : code - 16; }

std::uint8_t GraphicsCode(int foreground) {
  return static_cast<std::uint8_t>(foreground == kFormatBlack ? kGraphicBlack : foreground + 16);
}

int Code(std::string_view prefix, std::size_t index) {
  return static_cast<unsigned char>(prefix[index]);
}

}  // namespace

std::string BuildFormatPrefix(const TPageFormat& format) {
  const auto f = static_cast<char>(format.Foreground);
  std::string prefix;
  if (format.Background != kFormatBlack) {
    prefix += static_cast<char>(format.Background);
    prefix += static_cast<char>(kNewBackground);
  }
  const bool onBlack = prefix.empty();
  switch (format.Style) {
    case TPageStyle::Text:
      if (!(onBlack && format.Foreground == kFormatWhite)) prefix += f;
      break;
    case TPageStyle::DoubleHeight:
      if (!(onBlack && format.Foreground == kFormatWhite)) prefix += f;
      prefix += static_cast<char>(kDoubleHeight);
      break;
    case TPageStyle::Graphics:
      prefix += static_cast<char>(GraphicsCode(format.Foreground));
      break;
    case TPageStyle::SeparatedGraphics:
      prefix += static_cast<char>(GraphicsCode(format.Foreground));
      prefix += static_cast<char>(kSeparatedGraphics);
      break;
  }
  return prefix;
}

TPageFormat ReadFormatPrefix(std::string_view prefix) {
  TPageFormat format;
  if (prefix.size() == 1 || prefix.size() == 2) {
    // A lone first code is the foreground; a second code means double height or separated.
    const bool two = prefix.size() == 2;
    const int c = Code(prefix, 0);
    if (IsFormatColor(c)) {
      format.Foreground = c;
      format.Style = two ? TPageStyle::DoubleHeight : TPageStyle::Text;
    } else if (c == kDoubleHeight) {
      format.Style = TPageStyle::DoubleHeight;
    } else if (IsGraphicsColor(c)) {
      format.Foreground = GraphicsForeground(c);
      format.Style = two ? TPageStyle::SeparatedGraphics : TPageStyle::Graphics;
    }
  } else if (prefix.size() >= 3) {
    const int background = Code(prefix, 0);
    if (IsFormatColor(background)) format.Background = background;
    const int c = Code(prefix, 2);
    if (IsFormatColor(c)) {
      format.Foreground = c;
      format.Style = TPageStyle::Text;
    } else if (IsGraphicsColor(c)) {
      format.Foreground = GraphicsForeground(c);
      format.Style = TPageStyle::Graphics;
    }
    if (prefix.size() >= 4) {
      const int last = Code(prefix, 3);
      if (last == kDoubleHeight) format.Style = TPageStyle::DoubleHeight;
      if (last == kSeparatedGraphics) format.Style = TPageStyle::SeparatedGraphics;
    }
  }
  return format;
}

TPrestPage PageFormatSample(std::string_view prefix, std::string_view sampleText) {
  TPrestPage page = TPrestPage::Blank();
  constexpr int kTextRow = 2;
  constexpr int kTextColumn = 5;
  const auto textLength = std::min<std::size_t>(sampleText.size(), kPageColumns - kTextColumn);
  for (std::size_t i = 0; i < textLength; ++i) {
    page.Cell(kTextRow, kTextColumn + static_cast<int>(i)) =
        static_cast<std::uint8_t>(sampleText[i]) & kCellValueMask;
  }
  const std::size_t length = std::min<std::size_t>(prefix.size(), kPageColumns);
  for (int row = 1; row <= 4; ++row) {
    for (std::size_t column = 0; column < length; ++column) {
      auto code = static_cast<std::uint8_t>(Code(prefix, column) & kCellValueMask);
      if (code == kFormatBlack) code = kAlphaBlack;
      if (code == kDoubleHeight && row != kTextRow) continue;
      page.Cell(row, static_cast<int>(column)) = code;
    }
  }
  return page;
}

}  // namespace tavrel
