#include "render/text_layout.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "support/error.h"

namespace tavrel {
namespace {

// Font face of the window's text box per character set code. The codes that name no language
// of the system (6 and 14) show the English glyphs.
struct CharSetFace {
  int CharSet;
  std::string_view Face;
};
constexpr CharSetFace kCharSetFaces[] = {
    {0, "PrestUK"}, {6, "PrestUK"}, {14, "PrestUK"}, {2, "PrestF"},
    {4, "PrestS"},  {8, "PrestD"},  {10, "PrestE"},  {12, "PrestI"},
};

bool IsBlank(char c) { return static_cast<std::uint8_t>(c) <= 0x20; }
bool IsSentenceEnd(char c) { return c == '!' || c == '.' || c == '?'; }

// One row of wrapped text: the bytes [Begin, End) of the text. End stops before a line break
// and after the spaces that hang at a soft break.
struct WrappedLine {
  std::size_t Begin = 0;
  std::size_t End = 0;
};

// Walks the rows of a text wrapped to a width, one at a time, so that callers wrap only as far
// as they need. Every byte is looked at a bounded number of times: each row scans back at most
// one width from its right edge, and the line break search remembers where the next CR and LF
// are, so a text with only one kind of break is not searched again for the other.
class LineWrapper {
 public:
  LineWrapper(std::string_view text, int width)
      : text_(text), width_(static_cast<std::size_t>(width)) {}

  // The next row, or false after the last. An empty last line is not a row.
  bool Next(WrappedLine& line) {
    if (!inParagraph_) {
      if (pos_ >= text_.size()) return false;
      paragraphEnd_ = std::min(NextOf('\r', nextCr_), NextOf('\n', nextLf_));
      inParagraph_ = true;
    }
    const std::size_t begin = pos_;
    const std::size_t end = paragraphEnd_;
    line.Begin = begin;
    if (end - begin <= width_) {
      line.End = end;
      LeaveParagraph();
      return true;
    }
    std::size_t cut = begin + width_;
    if (text_[cut] == ' ') {
      // The row is full up to a space: the spaces hang on this row.
      while (cut < end && text_[cut] == ' ') ++cut;
      line.End = cut;
      if (cut == end) {
        LeaveParagraph();
      } else {
        pos_ = cut;
      }
      return true;
    }
    // The row ends inside a word: break before that word, or inside it when it fills the row.
    while (cut > begin && text_[cut - 1] != ' ') --cut;
    if (cut == begin) cut = begin + width_;
    line.End = cut;
    pos_ = cut;
    return true;
  }

 private:
  static constexpr std::size_t kUnknown = std::string_view::npos;

  // Position of the next `c` at or after pos_ (the text's size when there is none).
  std::size_t NextOf(char c, std::size_t& cached) {
    if (cached == kUnknown || cached < pos_) {
      const std::size_t found = text_.find(c, pos_);
      cached = found == std::string_view::npos ? text_.size() : found;
    }
    return cached;
  }

  // Steps over the line break that ends the paragraph (CR LF counts as one).
  void LeaveParagraph() {
    std::size_t next = paragraphEnd_;
    if (next < text_.size()) {
      next += text_[next] == '\r' && next + 1 < text_.size() && text_[next + 1] == '\n' ? 2 : 1;
    }
    pos_ = next;
    inParagraph_ = false;
  }

  std::string_view text_;
  std::size_t width_;
  std::size_t pos_ = 0;
  std::size_t paragraphEnd_ = 0;
  bool inParagraph_ = false;
  std::size_t nextCr_ = kUnknown;
  std::size_t nextLf_ = kUnknown;
};

}  // namespace

TPTextToPrestelPageForm::TPTextToPrestelPageForm() { SetCharSetFont(); }

void TPTextToPrestelPageForm::SetTextArea(int left, int top, int right, int bottom) {
  if (left < 0 || top < 0 || left > right || top > bottom || right >= kPageColumns ||
      bottom >= kPageRows) {
    throw Error("text block left " + std::to_string(left) + ", top " + std::to_string(top) +
                ", right " + std::to_string(right) + ", bottom " + std::to_string(bottom) +
                " does not lie within the page of columns 0 to 39 and rows 0 to 23");
  }
  area_ = TTextBlock{left, top, right, bottom};
}

void TPTextToPrestelPageForm::SetCharSetFont() {
  for (const CharSetFace& entry : kCharSetFaces) {
    if (entry.CharSet == page_.CharSet) fontFace_ = entry.Face;
  }
}

int TPTextToPrestelPageForm::CountLines(std::string_view text) const {
  LineWrapper wrapper(text, Width());
  WrappedLine line;
  int count = 0;
  while (wrapper.Next(line) && count < INT_MAX) ++count;
  return count;
}

std::string TPTextToPrestelPageForm::SplitOffLines(std::string& text, int n) const {
  const int rows = std::max(n, 1);
  std::vector<WrappedLine> lines;
  lines.reserve(static_cast<std::size_t>(std::min(rows, 64)));
  LineWrapper wrapper(text, Width());
  WrappedLine line;
  while (static_cast<int>(lines.size()) < rows && wrapper.Next(line)) lines.push_back(line);

  std::size_t cut = lines.empty() ? 0 : lines.back().End;
  bool found = false;
  for (auto row = lines.rbegin(); row != lines.rend() && !found; ++row) {
    for (std::size_t p = row->End; p > row->Begin; --p) {
      if (IsSentenceEnd(text[p - 1])) {
        cut = p;
        found = true;
        break;
      }
    }
  }

  std::string head = text.substr(0, cut);
  std::size_t restBegin = cut;
  std::size_t restEnd = text.size();
  while (restBegin < restEnd && IsBlank(text[restBegin])) ++restBegin;
  while (restEnd > restBegin && IsBlank(text[restEnd - 1])) --restEnd;
  text.erase(restEnd);
  text.erase(0, restBegin);
  return head;
}

void TPTextToPrestelPageForm::PlaceText(std::string_view text) {
  lastText_.assign(text);
  for (int row = area_.Top; row <= area_.Bottom; ++row) {
    for (int column = area_.Left; column <= area_.Right; ++column) page_.Cell(row, column) = 0x20;
  }
  LineWrapper wrapper(text, Width());
  WrappedLine line;
  for (int k = 0; k < Height() && wrapper.Next(line); ++k) {
    std::size_t end = line.End;
    while (end > line.Begin && IsBlank(text[end - 1])) --end;
    const std::size_t length = std::min(end - line.Begin, static_cast<std::size_t>(Width()));
    for (std::size_t i = 0; i < length; ++i) {
      page_.Cell(area_.Top + k, area_.Left + static_cast<int>(i)) =
          static_cast<std::uint8_t>(text[line.Begin + i]);
    }
  }
}

}  // namespace tavrel
