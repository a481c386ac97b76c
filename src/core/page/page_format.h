#pragma once

#include <string>
#include <string_view>

#include "page/page_record.h"

namespace tavrel {

// A page-wide format as the page format dialog offers it. Colours run 1..8 in the order red,
// green, yellow, blue, magenta, cyan, white, black: 1..7 are the teletext colour numbers and 8
// stands for black, because byte 0 cannot live in the editor's prefix text.
inline constexpr int kFormatBlack = 8;
inline constexpr int kFormatWhite = 7;

enum class TPageStyle : int { Text = 1, DoubleHeight = 2, Graphics = 3, SeparatedGraphics = 4 };

struct TPageFormat {
  int Foreground = kFormatWhite;
  int Background = kFormatBlack;
  TPageStyle Style = TPageStyle::Text;
  bool operator==(const TPageFormat&) const = default;
};

// The longest prefix the builder makes.
inline constexpr std::size_t kMaxFormatPrefixLength = 4;

// The shortest run of control codes that sets the format at the start of a row (at most four):
// a background other than black as colour, New Background; then the foreground as text or
// graphics colour; then double height or separated graphics. White text on black needs
// nothing. An alphanumeric black stays the byte 8 (the editor writes it into the grid as 0).
// A black graphics foreground is the graphics-black code 16: adding 16 to 8 would give 24,
// Conceal, which hides the row instead of colouring it.
std::string BuildFormatPrefix(const TPageFormat& format);

// The format a prefix stands for, by its length, as the builder writes them; codes that match
// nothing leave the defaults (white text on black), and so does an empty prefix. The graphics
// black code 16 reads back as black, so every built prefix reads back to its own format.
TPageFormat ReadFormatPrefix(std::string_view prefix);

// The page the dialog's sample shows: spaces, `sampleText` in row 2 from column 5, and the
// prefix in columns 0 onward of rows 1 to 4, a code 8 written as 0 (alphanumeric black) and the
// double-height code only in row 2, so that row 3 holds the lower halves.
TPrestPage PageFormatSample(std::string_view prefix, std::string_view sampleText);

}  // namespace tavrel
