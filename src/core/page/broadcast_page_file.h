#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "page/page_record.h"

namespace tavrel {

// A broadcast page file (".pag") is one record of 24 teletext packets of 42 bytes: packet 0 the
// page header, packets 1..23 the body rows, exactly as transmitted (Hamming 8/4 coded address
// and control bytes, odd-parity characters).
inline constexpr int kPacketBytes = 42;
inline constexpr int kPagRecordBytes = kPageRows * kPacketBytes;  // 1008

// The header packet as read from a broadcast page file, still coded.
struct TPrestPageHeader {
  std::array<std::uint8_t, kPacketBytes> Bytes{};
};

// Reads the first record of a broadcast page file into page and header: cell c of row r is byte
// r * 42 + 2 + c masked to 7 bits (parity is ignored); the character set comes from the
// national option bits of header byte 9; row 0 becomes spaces, the frame colour and the row
// prefix length 0. Answers false, leaving page and header alone, when the file cannot be
// opened. Throws tavrel::Error naming the file when it is shorter than one record or cannot
// be read.
bool ReadPagFile(const std::string& fileName, TPrestPage& page, TPrestPageHeader& header);

}  // namespace tavrel
