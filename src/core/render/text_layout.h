#pragma once

#include <string>
#include <string_view>

#include "page/page_record.h"

namespace tavrel {

// Lays message text out in the text block of a page, as a word-wrapping text box set in the
// 12-pixel teletext font would: the page generator counts the rows a text needs, splits long
// texts into page-sized pieces that end at a sentence end, and places a piece into a page.
//
// The text is teletext text already (one byte per cell). Wrapping follows these rules:
// - a line holds Width() cells, one per byte, control bytes included;
// - CR LF, a lone LF and a lone CR each end a line (a paragraph break);
// - a line breaks at the last space before the first word that does not fit; the spaces at a
//   break stay at the end of the line (they hang past the right edge and are never shown), and
//   the next line starts with the next word;
// - a word longer than a whole line is broken after the last cell that fits;
// - an empty last line does not count, so an empty text has no lines.
// Only the space 0x20 separates words; every other byte belongs to a word.
//
// The engine never draws: the font face and the format correction are stored for the window,
// which sets its own text box from them.
class TPTextToPrestelPageForm {
 public:
  // The text area starts as columns 0..39 and rows 0..22, the page as a blank German page.
  TPTextToPrestelPageForm();

  // Sets the text block: inclusive bounds in columns and rows. Throws tavrel::Error when the
  // block is empty or reaches outside the 40 x 24 page, because a page could not hold its text.
  void SetTextArea(int left, int top, int right, int bottom);

  // Chooses the font face of the page's character set, as a name for the window's text box:
  // "PrestUK" for 0, 6 and 14, "PrestF" 2, "PrestS" 4, "PrestD" 8, "PrestE" 10, "PrestI" 12.
  // Any other code keeps the face. All faces have the same cell width, so wrapping never
  // depends on the face.
  void SetCharSetFont();

  // The number of rows the text needs in the text area. Linear in the length of the text.
  int CountLines(std::string_view text) const;

  // Splits a head of at most n rows off the front of `text` and answers it. When those rows
  // hold a sentence end ("!", "." or "?"), the head ends just after the last one; otherwise it
  // is the n rows entire. The head is always the exact beginning of `text`, line breaks
  // included; `text` becomes what follows it, trimmed of leading and trailing bytes 0x00..0x20.
  // Only the head is wrapped, so the cost is the head plus one copy of the rest.
  //
  // An n of zero or less counts as one: every call on a text that is not empty makes it
  // shorter, so a caller that splits until the text is empty always ends, and never receives a
  // run of empty pieces. A head is empty only when the text begins with a line break and n is
  // at most one; the break is trimmed off with it. An empty text answers an empty head and
  // stays empty.
  std::string SplitOffLines(std::string& text, int n) const;

  // Blanks the text area of Page() and writes the text's rows into it from the top-left cell
  // on. Trailing bytes 0x00..0x20 of a row are not written (the cells stay spaces), rows past
  // the bottom of the area and bytes past its right column are dropped.
  void PlaceText(std::string_view text);

  // The page that PlaceText fills; callers load a template's cells before and take the page
  // after.
  TPrestPage& Page() { return page_; }
  const TPrestPage& Page() const { return page_; }

  const TTextBlock& TextArea() const { return area_; }
  int Width() const { return area_.Width(); }
  int Height() const { return area_.Height(); }
  const std::string& LastText() const { return lastText_; }
  const std::string& FontFace() const { return fontFace_; }

  // Pixels the window adds to its text box width to make up for the box's inner margins. The
  // engine wraps by cells, so the value is only kept for the window.
  int FormatCorrection() const { return formatCorrection_; }
  void SetFormatCorrection(int pixels) { formatCorrection_ = pixels; }

 private:
  TPrestPage page_ = TPrestPage::Blank(kCharSetGerman);
  TTextBlock area_{0, 0, 39, 22};
  std::string lastText_;
  std::string fontFace_;
  int formatCorrection_ = 0;
};

}  // namespace tavrel
