#include "page/edit_tf_url.h"

#include <algorithm>
#include <cctype>

#include "support/error.h"

namespace tavrel {

namespace {

constexpr const char* kUrlSource = "edit.tf URL";
constexpr int kBitsPerCell = 7;
constexpr int kBitsPerRow = kPageColumns * kBitsPerCell;  // 280

// The base64url alphabet (RFC 4648, table 2), in digit order.
constexpr std::string_view kBase64Url =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Maps each byte to its base64url digit value, or -1.
constexpr std::array<int, 256> kDigitValue = [] {
  std::array<int, 256> table{};
  table.fill(-1);
  for (std::size_t i = 0; i < kBase64Url.size(); ++i) {
    table[static_cast<unsigned char>(kBase64Url[i])] = static_cast<int>(i);
  }
  return table;
}();
static_assert(kDigitValue['A'] == 0 && kDigitValue['_'] == 63 && kDigitValue['+'] == -1);

// The editor's character generator sets mapped to our character set codes (-1: none of ours).
// Index: the editor's set 0..7 (English, German, Swedish, Italian, Belgian, US ASCII, Hebrew,
// Cyrillic). The Belgian generator has the French national characters.
constexpr std::array<int, 8> kCharSetOfEditTf = {
    kCharSetEnglish, kCharSetGerman, kCharSetSwedish, kCharSetItalian, kCharSetFrench, -1, -1, -1};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

Error UrlError(const std::string& what) { return Error(std::string(kUrlSource) + ": " + what); }

}  // namespace

int TEditTfPage::CharSetFromEditTf(int characterSet) {
  if (characterSet < 0 || characterSet >= static_cast<int>(kCharSetOfEditTf.size())) return -1;
  return kCharSetOfEditTf[characterSet];
}

int TEditTfPage::EditTfFromCharSet(int charSet) {
  const auto found = std::find(kCharSetOfEditTf.begin(), kCharSetOfEditTf.end(), charSet);
  return found == kCharSetOfEditTf.end() ? -1 : static_cast<int>(found - kCharSetOfEditTf.begin());
}

TEditTfPage TEditTfPage::Parse(std::string_view url) {
  if (url.size() > kMaxUrlLength) {
    throw UrlError("too long for a page address (" + std::to_string(url.size()) +
                   " characters, at most " + std::to_string(kMaxUrlLength) + ")");
  }
  // A pasted address often brings a line break or blanks along.
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.front())))
    url.remove_prefix(1);
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.back()))) url.remove_suffix(1);
  std::string_view hash = url;
  if (const std::size_t mark = url.find('#'); mark != std::string_view::npos) {
    hash = url.substr(mark + 1);
  } else if (url.find("://") != std::string_view::npos) {
    throw UrlError("the address has no \"#\" part: the page travels after the \"#\"");
  }
  const std::size_t colon = hash.find(':');
  if (colon == std::string_view::npos) {
    throw UrlError("no page in the address: the part after \"#\" must be <digit>:<data>");
  }
  const std::string_view setPart = hash.substr(0, colon);
  std::string_view data = hash.substr(colon + 1);
  std::string_view more;
  if (const std::size_t next = data.find(':'); next != std::string_view::npos) {
    more = data.substr(next);
    data = data.substr(0, next);
  }

  TEditTfPage page;
  const int nibble = setPart.size() == 1 ? HexDigit(setPart[0]) : -1;
  if (nibble < 0) {
    throw UrlError("the character set part \"" + std::string(setPart.substr(0, 8)) +
                   "\" is not one hexadecimal digit");
  }
  page.CharacterSet = nibble & 7;
  page.BlackForeground = (nibble & 8) != 0;

  if (data.size() != kDigits24Rows && data.size() != kDigits25Rows) {
    throw UrlError("the page data part holds " + std::to_string(data.size()) +
                   " base64 digits; a page has " + std::to_string(kDigits24Rows) +
                   " (24 rows) or " + std::to_string(kDigits25Rows) + " (25 rows)");
  }
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (kDigitValue[static_cast<unsigned char>(data[i])] < 0) {
      const unsigned char c = static_cast<unsigned char>(data[i]);
      const std::string shown = (c >= 0x21 && c < 0x7F) ? std::string(1, static_cast<char>(c))
                                                        : "byte " + std::to_string(c);
      throw UrlError("the page data part holds '" + shown + "' at digit " + std::to_string(i + 1) +
                     ", which is not a base64url digit (A-Z a-z 0-9 - _)");
    }
  }

  const int rows = static_cast<int>(data.size() * 6 / kBitsPerRow);
  // Bit n of the data is bit 5 - n % 6 of digit n / 6.
  const auto bit = [&data](int n) {
    return (kDigitValue[static_cast<unsigned char>(data[n / 6])] >> (5 - n % 6)) & 1;
  };
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < kPageColumns; ++column) {
      const int first = row * kBitsPerRow + column * kBitsPerCell;
      int code = 0;
      for (int b = 0; b < kBitsPerCell; ++b) code = code << 1 | bit(first + b);
      page.Cell(row, column) = static_cast<std::uint8_t>(code);
    }
  }
  page.MoreParts = std::string(more);
  return page;
}

std::string TEditTfPage::Fragment() const {
  constexpr int kRowsWritten = kDigits24Rows * 6 / kBitsPerRow;  // 24
  std::string data;
  data.reserve(kDigits24Rows);
  int accumulator = 0;
  int bits = 0;
  for (int row = 0; row < kRowsWritten; ++row) {
    for (int column = 0; column < kPageColumns; ++column) {
      accumulator = accumulator << kBitsPerCell | (Cell(row, column) & 0x7F);
      bits += kBitsPerCell;
      while (bits >= 6) {
        bits -= 6;
        data += kBase64Url[(accumulator >> bits) & 0x3F];
      }
      accumulator &= (1 << bits) - 1;
    }
  }
  const int nibble = (CharacterSet & 7) | (BlackForeground ? 8 : 0);
  const char digit = "0123456789abcdef"[nibble];
  return std::string("#") + digit + ":" + data + MoreParts;
}

std::string TEditTfPage::Url() const { return "https://edit.tf/" + Fragment(); }

TPrestPage TEditTfPage::ToPage(int charSet) const {
  TPrestPage page = TPrestPage::Blank(charSet);
  std::copy(Cells.begin() + kPageColumns, Cells.begin() + kPageRows * kPageColumns,
            page.Cells.begin() + kPageColumns);
  return page;
}

TEditTfPage TEditTfPage::FromPage(const TPrestPage& page) {
  TEditTfPage result;
  for (int i = 0; i < kPageCells; ++i) result.Cells[i] = page.Cells[i] & 0x7F;
  result.CharacterSet = std::max(0, EditTfFromCharSet(page.CharSet));
  return result;
}

}  // namespace tavrel
