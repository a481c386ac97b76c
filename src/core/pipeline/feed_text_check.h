#pragma once

#include <string>
#include <vector>

namespace tavrel {

// What a feed holds that the reader lets through but that would not go on air as written, one
// line each naming the file and, where there is one, the line: a raw control character other
// than tab and line breaks (XML forbids them; the pages show a space), a character reference
// to a character XML forbids ("&#8;") and an entity that XML does not define ("&bogus;"), both
// of which stay as written, and a declaration of an 8-bit encoding on a document whose bytes
// are UTF-8 (its accented letters would come out as two wrong characters each). At most
// kMaxFeedTextLines findings are named, then one line counts the rest. A file that cannot be
// read or converted gives no lines: reading it reports that.
std::vector<std::string> FeedTextProblems(const std::string& path);

inline constexpr int kMaxFeedTextLines = 20;

}  // namespace tavrel
