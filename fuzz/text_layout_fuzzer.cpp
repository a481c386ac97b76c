// Drives the layout engine with random text areas and texts. Beyond not crashing: counting
// agrees with splitting, splitting always ends and never loses or invents a byte that is not a
// blank at a piece boundary, and placing text never writes outside the text area.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "render/text_layout.h"
#include "support/error.h"

using tavrel::fuzz::Require;

namespace {

bool IsBlank(char c) { return static_cast<std::uint8_t>(c) <= 0x20; }

// The text without any blanks: splitting may drop blanks between pieces, nothing else.
std::string WithoutBlanks(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (!IsBlank(c)) kept += c;
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int left = input.ConsumeIntegralInRange(-2, 42);
  const int top = input.ConsumeIntegralInRange(-2, 26);
  const int right = input.ConsumeIntegralInRange(-2, 42);
  const int bottom = input.ConsumeIntegralInRange(-2, 26);
  const int rows = input.ConsumeIntegralInRange(-1, 30);
  const int charSet = input.ConsumeIntegralInRange(-1, 16);
  const std::string text = input.ConsumeRemainingBytesAsString();

  tavrel::TPTextToPrestelPageForm form;
  const bool areaFits =
      left >= 0 && top >= 0 && left <= right && top <= bottom && right < 40 && bottom < 24;
  try {
    form.SetTextArea(left, top, right, bottom);
  } catch (const tavrel::Error&) {
    Require(!areaFits, "a block inside the page is accepted");
    return 0;
  }
  Require(areaFits, "a block outside the page is refused");
  form.Page().CharSet = static_cast<std::uint8_t>(charSet < 0 ? 255 : charSet);
  form.SetCharSetFont();

  const int total = form.CountLines(text);
  Require(total >= 0, "a line count is never negative");
  Require(text.empty() == (total == 0) || text.find_first_of("\r\n") != std::string::npos,
          "only an empty text (or bare line breaks) has no lines");

  // Split until empty: every step makes the text shorter, each head is a prefix of what was
  // left and holds at most the rows asked for.
  std::string rest = text;
  std::string joined;
  int pieces = 0;
  while (!rest.empty()) {
    const std::string before = rest;
    const std::string head = form.SplitOffLines(rest, rows);
    Require(rest.size() < before.size(), "each split makes the text shorter");
    Require(before.compare(0, head.size(), head) == 0, "the head is the text's beginning");
    Require(form.CountLines(head) <= (rows < 1 ? 1 : rows), "the head fits the rows asked for");
    joined += head;
    ++pieces;
  }
  Require(WithoutBlanks(joined) == WithoutBlanks(text), "splitting loses no text");
  Require(pieces <= static_cast<int>(text.size()), "no run of empty pieces");

  // Placing text touches only the text area.
  tavrel::TPrestPage& page = form.Page();
  for (int row = 0; row < tavrel::kPageRows; ++row) {
    for (int column = 0; column < tavrel::kPageColumns; ++column) {
      page.Cell(row, column) = static_cast<std::uint8_t>(0x41 + (row + column) % 26);
    }
  }
  const tavrel::TPrestPage original = page;
  form.PlaceText(text);
  for (int row = 0; row < tavrel::kPageRows; ++row) {
    for (int column = 0; column < tavrel::kPageColumns; ++column) {
      const bool inside = row >= top && row <= bottom && column >= left && column <= right;
      if (!inside) {
        Require(page.Cell(row, column) == original.Cell(row, column),
                "cells outside the text area stay");
      }
    }
  }
  return 0;
}
