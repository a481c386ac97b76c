#pragma once

#include <string>

#include "page/page_record.h"

namespace tavrel {

// The text a page shows, for screen readers and other tools that read rather than look: page
// rows firstRow..lastRow as lines joined by "\n", in Windows-1252. Control codes, mosaics, the
// solid block and the lower halves of double-height rows read as spaces; national positions read as
// the page's character set shows them ("#" is "£" on an English page). Spaces at the end of a line
// are dropped, so an empty row is an empty line. Both rows are clamped to 0..23; a last row above
// the first gives the first row alone.
std::string PageText(const TPrestPage& page, int firstRow = 0, int lastRow = kPageRows - 1);

}  // namespace tavrel
