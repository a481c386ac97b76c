#pragma once

// Helpers shared by the generator's two halves: planning and checking a run
// (page_generator.cpp) and laying the messages onto pages (page_generator_pages.cpp).

#include <string>
#include <string_view>

#include "page/broadcast_encoder.h"
#include "pipeline/category_table.h"
#include "pipeline/control_file.h"

namespace tavrel::generator_detail {

// A text in double quotes, as report lines show names.
std::string Quoted(std::string_view text);
// "1 message", "2 messages".
std::string CountOf(long long count, const char* one, const char* many);
// A feed text as a report line shows it: cut, so that a huge one cannot flood the log.
std::string Shown(std::string_view text);
// A title as one row of text: each run of CR and LF becomes one space.
std::string OneLineTitle(std::string_view title);
// "101-0000.pag".
std::string PageFileName(int number, int subPage);
// The category's fastext prompts and links as the control file carries them.
TControlFastext FastextOf(const TRssTxtPageProperty& entry);
// Writes a whole page file; throws FileError naming it on failure.
void WriteWholeFile(const std::string& path, const TBroadcastRecord& bytes);

}  // namespace tavrel::generator_detail
