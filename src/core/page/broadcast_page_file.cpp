#include "page/broadcast_page_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support/error.h"
#include "support/file_utils.h"

namespace tavrel {

namespace {

// Header byte 9 carries C11..C14 as the Hamming 8/4 data bits D1..D4, which sit at bit
// positions 1, 3, 5 and 7 of the coded byte. The character set code puts C12, C13 and C14 at
// its bits 1, 2 and 3; C11 (magazine serial) is no part of it.
constexpr int CharSetFromHeaderByte(std::uint8_t coded) {
  return ((coded & 0x08) ? 2 : 0) + ((coded & 0x20) ? 4 : 0) + ((coded & 0x80) ? 8 : 0);
}
static_assert(CharSetFromHeaderByte(0xC7) == kCharSetGerman);
static_assert(CharSetFromHeaderByte(0x02) == kCharSetEnglish);

}  // namespace

bool ReadPagFile(const std::string& fileName, TPrestPage& page, TPrestPageHeader& header) {
  UniqueFile file = OpenFile(fileName, "rb");
  if (!file) return false;

  std::array<std::uint8_t, kPagRecordBytes> record{};
  const std::size_t got = std::fread(record.data(), 1, record.size(), file.get());
  if (got < record.size()) {
    if (std::ferror(file.get())) {
      throw FileError(fileName, std::string("cannot read: ") + std::strerror(errno));
    }
    throw FileError(fileName, "too short for a broadcast page: " + std::to_string(got) +
                                  " bytes, a page needs " + std::to_string(kPagRecordBytes));
  }

  std::memcpy(header.Bytes.data(), record.data(), kPacketBytes);
  for (int column = 0; column < kPageColumns; ++column) page.Cell(0, column) = 0x20;
  for (int row = 1; row < kPageRows; ++row) {
    for (int column = 0; column < kPageColumns; ++column) {
      page.Cell(row, column) = record[row * kPacketBytes + 2 + column] & 0x7F;
    }
  }
  page.CharSet = static_cast<std::uint8_t>(CharSetFromHeaderByte(record[9]));
  page.FrameColor = 0;
  page.RowPrefixLength = 0;
  return true;
}

}  // namespace tavrel
