// Feeds arbitrary bytes as an edit.tf address: a bad one must be refused with an error naming
// the address, and a page that is read must go out as an address and come back the same.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "page/edit_tf_url.h"
#include "support/error.h"

using tavrel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view url(reinterpret_cast<const char*>(data), size);
  tavrel::TEditTfPage page;
  try {
    page = tavrel::TEditTfPage::Parse(url);
  } catch (const tavrel::Error& error) {
    Require(std::string(error.what()).rfind("edit.tf URL: ", 0) == 0, "the error names the URL");
    return 0;
  }
  Require(page.CharacterSet >= 0 && page.CharacterSet <= 7, "a set of the editor");
  for (std::uint8_t cell : page.Cells) Require(cell < 0x80, "cells are 7-bit codes");
  // The address written carries the input's further parts, so it may pass the length limit
  // that the input just kept.
  const std::string written = page.Url();
  if (written.size() > tavrel::TEditTfPage::kMaxUrlLength) return 0;
  const tavrel::TEditTfPage back = tavrel::TEditTfPage::Parse(written);
  Require(back.CharacterSet == page.CharacterSet && back.BlackForeground == page.BlackForeground,
          "the set goes out and comes back");
  Require(std::equal(page.Cells.begin(), page.Cells.begin() + 24 * 40, back.Cells.begin()),
          "rows 0 to 23 go out and come back the same");
  return 0;
}
