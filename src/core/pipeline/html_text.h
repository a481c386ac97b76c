#pragma once

#include <string>
#include <string_view>

namespace tavrel {

class TWindows1252Transliterator;

// The text of an HTML fragment, as web feeds put it into titles and descriptions (often in a
// CDATA section, whose character references XML leaves alone), for a teletext page: tags and
// comments removed (with the content of script and style), p, br, div, li and h1 to h6 made
// line breaks (CR LF; several in a row count as one), named and numeric character references
// decoded, every other run of white space made one space, the white space around the whole
// text left out. Takes and gives Windows-1252; a character the code page lacks is
// transliterated as the feed reader does. A "<" or "&" that starts no tag or reference stays.
std::string HtmlToText(std::string_view html, TWindows1252Transliterator& transliterator);

}  // namespace tavrel
