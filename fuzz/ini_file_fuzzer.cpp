// Feeds arbitrary bytes as a template file to TPIniFile and TPageFile. Beyond not crashing:
// rows written back and saved read back as the same cells, a saved file reads back line for
// line, and the header fields read without surprises.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "page/template_file.h"
#include "page/page_record.h"

using tavrel::fuzz::Require;

namespace {

TAVREL_FUZZ_HARNESS void RequireSevenBitCells(const tavrel::TPrestPage& page) {
  for (int row = 0; row < tavrel::kPageRows; ++row) {
    for (int column = 0; column < tavrel::kPageColumns; ++column) {
      Require(page.Cell(row, column) < 0x80, "cells read as 7-bit codes");
    }
  }
}

TAVREL_FUZZ_HARNESS void RequireSameCells(const tavrel::TPrestPage& back,
                                          const tavrel::TPrestPage& page) {
  for (int row = 0; row < tavrel::kPageRows; ++row) {
    for (int column = 0; column < tavrel::kPageColumns; ++column) {
      Require(back.Cell(row, column) == page.Cell(row, column), "written rows read back");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = tavrel::fuzz::Scratch().Write("page.tpg", data, size);

  tavrel::TPrestPage page = tavrel::TPrestPage::Blank(tavrel::kCharSetGerman);
  {
    tavrel::TPageFile file(path);
    Require(file.Existed(), "the scratch file exists");
    Require(!file.Modified(), "opening an existing file changes nothing");
    (void)file.GetCharSet();
    const tavrel::TTextBlock block = file.GetBlockText();
    // Two characters each: "-9" .. "99". Whether the block fits the page is the layout's check.
    for (const int piece : {block.Left, block.Top, block.Right, block.Bottom}) {
      Require(piece >= -9 && piece <= 99, "block text pieces are two-character numbers or 0");
    }
    const std::string title = file.ReadString(tavrel::TPageFile::kSection, "title", "");
    Require(title.size() <= tavrel::TPIniFile::kMaxValueLength, "values are capped");
    file.ReadRows(page);
    RequireSevenBitCells(page);

    // Saving what was read and reading it again gives the same lines.
    const auto lines = file.Lines();
    file.Save();
    const tavrel::TPIniFile reread(path);
    Require(reread.Lines() == lines, "a saved file reads back line for line");

    // The title comes from the feed: any bytes, and the rows and fields stay as they were.
    file.SetTitle(title + "\r\n[PAGE]\nrow01=x");
    file.WriteRows(page);
    file.Save();
  }
  const tavrel::TPageFile again(path);
  tavrel::TPrestPage back = tavrel::TPrestPage::Blank(tavrel::kCharSetEnglish);
  again.ReadRows(back);
  RequireSameCells(back, page);
  return 0;
}
