#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "page/page_record.h"

namespace tavrel {

// A template file as a run uses it: looked at, read and examined once.
struct TExaminedTemplate {
  // A regular file (or a link to one) is there under the name.
  bool IsFile = false;
  // The file could be read as a template; the fields below hold what it says.
  bool Read = false;
  // Why a run cannot use it (TemplateProblem), or empty.
  std::string Problem;
  std::array<std::uint8_t, kPageCells> Cells{};  // rows as TPageFile::ReadRows gives them
  TTextBlock Block;                              // key "blocktext1"
  int CharSet = kDefaultCharSet;                 // key "charset" as TPageFile::GetCharSet reads it
};

// Looks at, reads and examines a template file. A missing file gives IsFile false and no
// problem, and is not created.
TExaminedTemplate ExamineTemplate(const std::string& fileName);

// Why a template file cannot be used for a run, or empty when it can or does not exist: a
// folder or other non-file, a file without a "PAGE" section, or a text block that does not lie
// on the page, is inverted, or holds no row below the page header (row 0).
std::string TemplateProblem(const std::string& fileName);

}  // namespace tavrel
