// Feeds arbitrary bytes as a broadcast page file to ReadPagFile: short files must be refused with
// an error naming the file, and whatever is read must be a page the renderer can take.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "page/broadcast_page_file.h"
#include "support/error.h"

using tavrel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = tavrel::fuzz::Scratch().Write("page.pag", data, size);
  tavrel::TPrestPage page = tavrel::TPrestPage::Blank(tavrel::kCharSetGerman);
  tavrel::TPrestPageHeader header;
  try {
    Require(tavrel::ReadPagFile(path, page, header), "an existing file opens");
  } catch (const tavrel::Error& error) {
    Require(size < static_cast<std::size_t>(tavrel::kPagRecordBytes), "only short files fail");
    Require(std::string(error.what()).find(path) != std::string::npos, "the error names the file");
    return 0;
  }
  Require(size >= static_cast<std::size_t>(tavrel::kPagRecordBytes), "short files fail");
  for (int column = 0; column < tavrel::kPacketBytes; ++column) {
    Require(header.Bytes[column] == data[column], "the header packet is kept as read");
  }
  Require(page.CharSet <= 14 && page.CharSet % 2 == 0, "an even character set code 0..14");
  for (int row = 1; row < tavrel::kPageRows; ++row) {
    for (int column = 0; column < tavrel::kPageColumns; ++column) {
      Require(page.Cell(row, column) == (data[row * tavrel::kPacketBytes + 2 + column] & 0x7F),
              "cells are the packet bytes without parity");
    }
  }
  return 0;
}
