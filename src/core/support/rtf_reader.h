#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// A reader for the part of the Rich Text Format that the program's help file uses: groups,
// paragraphs (\par), line breaks and tabs, bold, italic and underline, font size (\fs, in half
// points), text colour (\cf over the \colortbl colour table), and characters given as \'hh
// (Windows-1252) or \uN (Unicode, with \ucN fallback characters skipped). Every other control
// word is skipped, and the groups of the font table, the style sheet, the information block,
// pictures and the "\*" destinations are skipped whole. The text comes out as UTF-8, because
// \u can name characters that Windows-1252 lacks.

struct TRtfColour {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  bool operator==(const TRtfColour&) const = default;
};

// A stretch of text in one format. A line break inside a paragraph is "\n", a tab "\t".
struct TRtfRun {
  std::string Text;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  int FontHalfPoints = 24;           // 12 points, the format's default size
  std::optional<TRtfColour> Colour;  // none: the viewer's text colour
  bool operator==(const TRtfRun&) const = default;
};

struct TRtfParagraph {
  std::vector<TRtfRun> Runs;
  bool operator==(const TRtfParagraph&) const = default;
};

struct TRtfDocument {
  std::vector<TRtfParagraph> Paragraphs;
};

// The largest help file read, and the deepest nesting of groups accepted; outside input never
// gets an unbounded read or stack.
inline constexpr std::size_t kMaxRtfFileBytes = 8u << 20;
inline constexpr int kMaxRtfGroupDepth = 256;
// Font sizes are kept within these half points, so a wild \fs cannot make a monstrous font.
inline constexpr int kMinRtfHalfPoints = 2;
inline constexpr int kMaxRtfHalfPoints = 400;

// Reads RTF text. Throws tavrel::Error naming fileName when the text does not begin with
// "{\rtf" or nests groups deeper than kMaxRtfGroupDepth. Unbalanced braces at the end are
// forgiven: what was read is kept.
TRtfDocument ReadRtf(std::string_view rtf, const std::string& fileName);

// Reads an RTF file; throws tavrel::Error naming it when it cannot be read, is larger than
// kMaxRtfFileBytes, or is not RTF.
TRtfDocument ReadRtfFile(const std::string& path);

}  // namespace tavrel
