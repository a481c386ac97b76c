#pragma once

// An export folder as the page generator leaves it, made with the real encoder and control
// file writer: pages in two magazines and magazine 8, a carousel of sub-pages, control codes,
// a row left out of its page file, and fastext links when asked for.

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "page/broadcast_encoder.h"
#include "pipeline/control_file.h"

namespace tavrel {

struct TTestExportPage {
  int Number = 0;
  int SubPage = 0;
  int CharSet = 0;
  std::array<int, 4> Links{};
  std::vector<std::string> Rows;  // rows 1.. of text; the rest stays spaces
  bool SkipBlankRows = false;
  std::string FileName;
  TBroadcastRecord Record{};
};

inline std::string ZeroPadded(int subPage) {
  char text[8];
  std::snprintf(text, sizeof text, "%04d", subPage);
  return text;
}

// Writes the pages and "Control.dat" into folder (ending in "/") and answers them in page
// order, as the export must list them. Text is plain ASCII away from the national positions,
// so any decoder shows the same characters whatever the set.
inline std::vector<TTestExportPage> WriteTestExport(const std::string& folder, bool fastext) {
  const auto page = [](int number, int subPage, int charSet, std::array<int, 4> links,
                       std::vector<std::string> rows, bool skipBlankRows = false) {
    TTestExportPage made;
    made.Number = number;
    made.SubPage = subPage;
    made.CharSet = charSet;
    made.Links = links;
    made.Rows = std::move(rows);
    made.SkipBlankRows = skipBlankRows;
    return made;
  };
  std::vector<TTestExportPage> pages = {
      page(200, 0, kCharSetEnglish, {201, 202, 203, 100},
           {"\x01"
            "MAGAZINE TWO",
            "", "\x07white"}),
      page(100, 0, kCharSetEnglish, {101, 200, 898, 898},
           {"\x03"
            "INDEX",
            "\x17\x7f\x2c\x23"}),
      page(101, 2, kCharSetEnglish, {100, 898, 898, 898}, {"SECOND OF TWO", "", "", "page 2/2"},
           true),
      page(101, 1, kCharSetGerman, {100, 898, 898, 898}, {"FIRST OF TWO", "Text 1/2"}),
      page(899, 0, kCharSetSwedish, {100, 898, 898, 898}, {"LAST PAGE"}),
  };
  TControlFileWriter control(fastext);
  for (TTestExportPage& page : pages) {
    TTransPage encoder;
    for (std::size_t i = 0; i < page.Rows.size(); ++i) {
      for (std::size_t c = 0; c < page.Rows[i].size() && c < 40; ++c) {
        encoder.Cells[(i + 1) * 40 + c] = static_cast<std::uint8_t>(page.Rows[i][c]);
      }
    }
    encoder.PageText = std::to_string(page.Number);
    encoder.SubPageText = ZeroPadded(page.SubPage);
    encoder.SetCharset(page.CharSet);
    encoder.SkipBlankRows = page.SkipBlankRows;
    page.Record = encoder.Encode();
    page.FileName = std::to_string(page.Number) + "-" + ZeroPadded(page.SubPage) + ".pag";
    std::ofstream(folder + page.FileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(page.Record.data()), page.Record.size());
    TControlFastext links;
    links.Links = page.Links;
    control.AddPageEntry(page.Number, page.SubPage, links, page.FileName, page.CharSet);
  }
  control.Save(folder);
  std::sort(pages.begin(), pages.end(), [](const TTestExportPage& a, const TTestExportPage& b) {
    return a.Number != b.Number ? a.Number < b.Number : a.SubPage < b.SubPage;
  });
  return pages;
}

}  // namespace tavrel
