#include "render/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/error.h"

namespace tavrel {
namespace {

const std::string kForty = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";

// A page whose every cell is '*', so that cells written by mistake show.
TPrestPage StarPage() {
  TPrestPage page;
  page.Cells.fill('*');
  return page;
}

// The rows of a text wrapped to a width as [begin, end) spans, worked out word by word the way
// a reader would wrap by hand: an independent reference for the engine's single-pass wrapper.
// Stops after maxRows rows.
std::vector<std::pair<std::size_t, std::size_t>> ReferenceRows(const std::string& text,
                                                               std::size_t width,
                                                               std::size_t maxRows = SIZE_MAX) {
  std::vector<std::pair<std::size_t, std::size_t>> rows;
  std::size_t i = 0;
  while (i < text.size() && rows.size() < maxRows) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string::npos) end = text.size();
    std::size_t rowBegin = i, column = 0, p = i;
    while (p < end) {
      if (text[p] == ' ') {
        ++column, ++p;
        continue;
      }
      std::size_t wordEnd = p;
      while (wordEnd < end && text[wordEnd] != ' ') ++wordEnd;
      std::size_t length = wordEnd - p;
      if (column + length > width) {
        if (column > 0) rows.emplace_back(rowBegin, p), rowBegin = p;
        for (; length > width; length -= width, p += width, rowBegin = p) {
          rows.emplace_back(rowBegin, p + width);
        }
        column = 0;
      }
      column += length;
      p = wordEnd;
    }
    rows.emplace_back(rowBegin, end);
    if (end == text.size()) break;
    i = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return rows;
}

// What a row shows: its bytes without trailing bytes up to 0x20, padded to the width.
std::string Shown(std::string row, std::size_t width) {
  while (!row.empty() && static_cast<unsigned char>(row.back()) <= 0x20) row.pop_back();
  return row.append(width - row.size(), ' ');
}

std::string RowOf(const TPrestPage& page, int row, int left, int right) {
  return std::string(page.Cells.begin() + row * 40 + left,
                     page.Cells.begin() + row * 40 + right + 1);
}

TEST(TextLayout, WrapsCountsAndPlacesRows) {
  struct Case {
    std::string text;
    int width;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"", 36, {}},
      {"abc", 36, {"abc"}},
      {"abc\r\n", 36, {"abc"}},
      {"abc\r\n\r\n", 36, {"abc", ""}},
      {"\r\n", 36, {""}},
      {"First.\r\n\r\nSecond.", 36, {"First.", "", "Second."}},
      {"a\nb\rc\n\rd", 36, {"a", "b", "c", "", "d"}},
      {kForty, 36, {kForty.substr(0, 36), "KLMN"}},
      {"x " + kForty, 36, {"x", kForty.substr(0, 36), "KLMN"}},
      {kForty.substr(0, 36) + "   ", 36, {kForty.substr(0, 36)}},
      {kForty.substr(0, 36) + " b", 36, {kForty.substr(0, 36), "b"}},
      {"aaaa bbbb cccc", 10, {"aaaa bbbb", "cccc"}},
      {"      abc", 4, {"", "abc"}},
      // Digits and letters after a control byte are escaped too, or they would extend it.
      {"\x03\x31\x30\x31 Title text", 10, {"\x03\x31\x30\x31 Title", "text"}},
      {std::string("a\0b\x07\x63\x64", 6), 3, {std::string("a\0b", 3), "\x07\x63\x64"}},
      {"ab   \r\ncd  ", 5, {"ab", "cd"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TPTextToPrestelPageForm form;
    form.SetTextArea(0, 1, c.width - 1, 23);
    EXPECT_EQ(form.CountLines(c.text), static_cast<int>(c.rows.size()));
    form.Page() = StarPage();
    form.PlaceText(c.text);
    EXPECT_EQ(form.LastText(), c.text);
    for (int k = 0; k < 23; ++k) {
      SCOPED_TRACE(k);
      const std::string expected = k < static_cast<int>(c.rows.size()) ? c.rows[k] : "";
      EXPECT_EQ(RowOf(form.Page(), 1 + k, 0, 39),
                Shown(expected, c.width) + std::string(40 - c.width, '*'));
    }
    EXPECT_EQ(RowOf(form.Page(), 0, 0, 39), std::string(40, '*'));
  }
}

TEST(TextLayout, PlaceTextKeepsToTheBlock) {
  TPTextToPrestelPageForm form;
  form.SetTextArea(3, 6, 38, 8);
  form.Page() = StarPage();
  form.PlaceText("One\r\nTwo  \r\n\r\nFour\r\nFive");
  for (int row = 0; row < 24; ++row) {
    SCOPED_TRACE(row);
    std::string expected(40, '*');
    if (row >= 6 && row <= 8) expected.replace(3, 36, std::string(36, ' '));
    if (row == 6) expected.replace(3, 3, "One");
    if (row == 7) expected.replace(3, 3, "Two");
    EXPECT_EQ(RowOf(form.Page(), row, 0, 39), expected);
  }
}

TEST(TextLayout, SplitOffLinesCutsAfterTheLastSentenceEnd) {
  struct Case {
    std::string text;
    int width, n;
    std::string head, rest;
  };
  const Case cases[] = {
      {"Short first sentence.\r\nThen comes a second row that has no sentence end, but this "
       "one. Has a full stop too.",
       36, 3,
       "Short first sentence.\r\nThen comes a second row that has no sentence end, but this one.",
       "Has a full stop too."},
      {"alpha beta gamma delta epsilon zeta eta theta iota kappa", 20, 2,
       "alpha beta gamma delta epsilon zeta ", "eta theta iota kappa"},
      {"Go on. Then more text", 10, 2, "Go on.", "Then more text"},
      {"Go on. Then more text", 10, 0, "Go on.", "Then more text"},
      {"Go on. Then more text", 10, -7, "Go on.", "Then more text"},
      {"Why? Yes! No", 36, 1, "Why? Yes!", "No"},
      {"Done.  \x03 Next\r\n \x07", 36, 1, "Done.", "Next"},
      {"A. b", 36, 5, "A.", "b"},
      {"abc def", 36, 3, "abc def", ""},
      {kForty, 36, 1, kForty.substr(0, 36), "KLMN"},
      {"\r\n\r\nHello.", 36, 1, "", "Hello."},
      {"", 36, 3, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " n=" + std::to_string(c.n));
    TPTextToPrestelPageForm form;
    form.SetTextArea(0, 0, c.width - 1, 22);
    std::string text = c.text;
    EXPECT_EQ(form.SplitOffLines(text, c.n), c.head);
    EXPECT_EQ(text, c.rest);
  }
}

// Random texts against the reference wrapper: counting, placing, and splitting a text down to
// nothing, which must end and never hand out empty pieces after the first.
TEST(TextLayout, RandomTextsAgreeWithTheReferenceAndSplittingEnds) {
  std::mt19937 random(20240611);
  const std::vector<std::string> separators = {" ", " ", " ", "  ", "\r\n", "\n", "\r", "\r\n\r\n"};
  const std::string letters = "abcdefghij.!?\x03";
  for (int round = 0; round < 600; ++round) {
    const int width = 1 + round % 40;
    const int n = round % 6 - 1;
    std::string text = round % 7 == 0 ? "  " : "";
    for (int words = random() % 60; words > 0; --words) {
      for (int length = 1 + random() % (round % 3 == 0 ? 50 : 9); length > 0; --length) {
        text += letters[random() % letters.size()];
      }
      text += separators[random() % separators.size()];
    }
    SCOPED_TRACE("round " + std::to_string(round) + ": " + text);
    TPTextToPrestelPageForm form;
    form.SetTextArea(0, 0, width - 1, 22);
    const auto rows = ReferenceRows(text, width);
    ASSERT_EQ(form.CountLines(text), static_cast<int>(rows.size()));
    form.PlaceText(text);
    for (int k = 0; k < 23 && k < static_cast<int>(rows.size()); ++k) {
      const std::string row = text.substr(rows[k].first, rows[k].second - rows[k].first);
      ASSERT_EQ(RowOf(form.Page(), k, 0, width - 1), Shown(row, width).substr(0, width)) << k;
    }

    std::string rest = text;
    for (std::size_t pieces = 0; !rest.empty(); ++pieces) {
      ASSERT_LE(pieces, text.size());
      const auto restRows = ReferenceRows(rest, width, std::max(n, 1));
      const std::size_t keep = std::min<std::size_t>(std::max(n, 1), restRows.size());
      std::size_t cut = restRows[keep - 1].second;
      const std::size_t end = rest.find_last_of(".!?", cut - (cut > 0));
      if (cut > 0 && end != std::string::npos) cut = end + 1;
      const std::string before = rest;
      const std::string head = form.SplitOffLines(rest, n);
      ASSERT_EQ(head, before.substr(0, cut));
      ASSERT_TRUE(pieces == 0 || !head.empty());
      ASSERT_LT(rest.size(), before.size());
      std::size_t restBegin = cut, restEnd = before.size();
      while (restBegin < restEnd && static_cast<unsigned char>(before[restBegin]) <= 0x20)
        ++restBegin;
      while (restEnd > restBegin && static_cast<unsigned char>(before[restEnd - 1]) <= 0x20)
        --restEnd;
      ASSERT_EQ(rest, before.substr(restBegin, restEnd - restBegin));
    }
  }
}

TEST(TextLayout, TextAreaMustLieOnThePageAndFontFollowsCharSet) {
  struct Area {
    int left, top, right, bottom;
    bool valid;
  };
  const Area areas[] = {{0, 0, 39, 23, true},   {3, 6, 38, 22, true},  {5, 5, 5, 5, true},
                        {5, 6, 4, 22, false},   {3, 9, 38, 8, false},  {-1, 6, 38, 22, false},
                        {3, -1, 38, 22, false}, {3, 6, 40, 22, false}, {3, 6, 38, 24, false}};
  for (const Area& a : areas) {
    SCOPED_TRACE(testing::Message() << a.left << " " << a.top << " " << a.right << " " << a.bottom);
    TPTextToPrestelPageForm form;
    if (a.valid) {
      form.SetTextArea(a.left, a.top, a.right, a.bottom);
      EXPECT_EQ(form.Width(), a.right - a.left + 1);
      EXPECT_EQ(form.Height(), a.bottom - a.top + 1);
    } else {
      EXPECT_THROW(form.SetTextArea(a.left, a.top, a.right, a.bottom), Error);
    }
  }
  try {
    TPTextToPrestelPageForm().SetTextArea(3, 6, 40, 22);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(),
                 "text block left 3, top 6, right 40, bottom 22 does not lie within the page of "
                 "columns 0 to 39 and rows 0 to 23");
  }

  struct Face {
    int charSet;
    std::string face;
  };
  // Applied in order on one form: a code that names no face keeps the one before.
  const Face faces[] = {{0, "PrestUK"}, {2, "PrestF"},  {4, "PrestS"},   {1, "PrestS"},
                        {6, "PrestUK"}, {8, "PrestD"},  {255, "PrestD"}, {10, "PrestE"},
                        {12, "PrestI"}, {14, "PrestUK"}};
  TPTextToPrestelPageForm form;
  EXPECT_EQ(form.FontFace(), "PrestD");
  EXPECT_EQ(form.Page().CharSet, 8);
  for (const Face& f : faces) {
    SCOPED_TRACE(f.charSet);
    form.Page().CharSet = static_cast<std::uint8_t>(f.charSet);
    form.SetCharSetFont();
    EXPECT_EQ(form.FontFace(), f.face);
  }
}

}  // namespace
}  // namespace tavrel
