// Feeds arbitrary bytes as a TTI page file: a bad file must be refused with an error naming
// it, and a file that is read must write out and read back to the same pages.

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "page/tti_file.h"
#include "support/error.h"

using tavrel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tavrel::TTtiFile file;
  try {
    file = tavrel::TTtiFile::Parse(text, "fuzz.tti");
  } catch (const tavrel::Error& error) {
    Require(std::string(error.what()).rfind("fuzz.tti:", 0) == 0, "the error names the file");
    return 0;
  }
  Require(!file.Pages.empty(), "a file that is read holds a page");
  const tavrel::TTtiFile back = tavrel::TTtiFile::Parse(file.Text(), "back.tti");
  Require(back.Pages.size() == file.Pages.size(), "the pages write out and read back");
  for (std::size_t i = 0; i < file.Pages.size(); ++i) {
    const tavrel::TTtiPage& a = file.Pages[i];
    const tavrel::TTtiPage& b = back.Pages[i];
    for (std::uint8_t cell : a.Cells) Require(cell < 0x80, "cells are 7-bit codes");
    Require(a.Cells == b.Cells, "rows read back the same");
    Require(a.SubCode == b.SubCode && a.PageStatus == b.PageStatus && a.Links == b.Links,
            "sub-code, status and links read back the same");
    if (a.HasPageNumber) {
      Require(a.PageAddress == b.PageAddress && a.SubPageIndex == b.SubPageIndex,
              "page numbers read back the same");
    }
  }
  return 0;
}
