#include "page/template_file.h"

#include <utility>

#include "support/text_utils.h"

namespace tavrel {

TPageFile::TPageFile(std::string fileName, int charSet) : TPIniFile(std::move(fileName)) {
  if (!Existed()) {
    SetTitle("");
    SetCharSet(charSet);
  }
}

void TPageFile::SetTitle(std::string_view title) {
  title_ = std::string(title);
  WriteString(kSection, "title", title);
}

std::string TPageFile::RowKey(int row) { return "row" + ZeroPadInt(row, 2); }

void TPageFile::ReadRows(TPrestPage& page) const {
  for (int column = 0; column < kPageColumns; ++column) page.Cell(0, column) = 0x20;
  for (int row = 1; row < kPageRows; ++row) {
    const std::string value = ReadString(kSection, RowKey(row), "");
    for (int column = 0; column < kPageColumns; ++column) {
      const auto cell = static_cast<std::size_t>(column) < value.size()
                            ? static_cast<std::uint8_t>(value[column])
                            : std::uint8_t{0x20};
      page.Cell(row, column) = cell & 0x7F;
    }
  }
  page.FrameColor = 0;
  page.RowPrefixLength = 0;
}

void TPageFile::WriteRows(const TPrestPage& page) {
  for (int row = 1; row < kPageRows; ++row) {
    std::string value(kPageColumns, '\0');
    for (int column = 0; column < kPageColumns; ++column) {
      value[column] = static_cast<char>((page.Cell(row, column) & 0x7F) | 0x80);
    }
    WriteString(kSection, RowKey(row), value);
  }
}

void TPageFile::SetCharSet(int code) {
  charSet_ = code;
  WriteInteger(kSection, "charset", code);
}

int TPageFile::GetCharSet() {
  charSet_ = ReadInteger(kSection, "charset", kDefaultCharSet);
  return charSet_;
}

TTextBlock TPageFile::GetBlockText() const {
  const std::string value = ReadString(kSection, "blocktext1", kDefaultBlockText);
  auto piece = [&](std::size_t index) {
    const std::size_t start = index * 2;
    return start < value.size() ? StrToIntOrZero(std::string_view(value).substr(start, 2)) : 0;
  };
  return TTextBlock{piece(0), piece(1), piece(2), piece(3)};
}

void TPageFile::SetBlockText(const TTextBlock& block) {
  WriteString(kSection, "blocktext1",
              ZeroPadInt(block.Left, 2) + ZeroPadInt(block.Top, 2) + ZeroPadInt(block.Right, 2) +
                  ZeroPadInt(block.Bottom, 2));
}

}  // namespace tavrel
