#include "support/rtf_reader.h"

#include <algorithm>
#include <array>

#include "support/error.h"
#include "support/file_utils.h"
#include "support/windows1252.h"

namespace tavrel {

namespace {

enum class TDestination { Text, Skip, ColourTable };

// Character formatting and destination, saved and restored with every group.
struct TGroupState {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  int FontHalfPoints = 24;
  int ColourIndex = 0;
  int FallbackCount = 1;  // \uc: characters after \uN that stand in for readers without Unicode
  TDestination Destination = TDestination::Text;
};

// Groups whose content is no text of the document.
constexpr std::array<std::string_view, 14> kSkippedDestinations = {
    "fonttbl",   "stylesheet",        "info",      "pict",    "header", "footer",   "object",
    "listtable", "listoverridetable", "generator", "filetbl", "revtbl", "xmlnstbl", "themedata"};

constexpr char32_t kReplacementCharacter = 0xFFFD;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class TRtfParser {
 public:
  TRtfParser(std::string_view rtf, const std::string& fileName) : rtf_(rtf), fileName_(fileName) {}

  TRtfDocument Parse() {
    std::size_t start = 0;
    while (start < rtf_.size() && (rtf_[start] == ' ' || rtf_[start] == '\r' ||
                                   rtf_[start] == '\n' || rtf_[start] == '\t')) {
      ++start;
    }
    if (rtf_.substr(start, 5) != "{\\rtf") {
      throw FileError(fileName_, "not a rich text file (it does not begin with {\\rtf)");
    }
    document_.Paragraphs.emplace_back();
    pos_ = start;
    while (pos_ < rtf_.size()) {
      const char c = rtf_[pos_++];
      if (c == '{') {
        OpenGroup();
      } else if (c == '}') {
        if (!CloseGroup()) break;  // the document's own group has ended
      } else if (c == '\\') {
        ControlSequence();
      } else if (c == '\r' || c == '\n') {
        // Line ends in the file carry no meaning.
      } else {
        Character(Windows1252ToUnicode(static_cast<std::uint8_t>(c)), true);
      }
    }
    FlushSurrogate();
    if (document_.Paragraphs.size() > 1 && document_.Paragraphs.back().Runs.empty()) {
      document_.Paragraphs.pop_back();  // the \par that ends the last paragraph
    }
    return std::move(document_);
  }

 private:
  void OpenGroup() {
    if (static_cast<int>(stack_.size()) >= kMaxRtfGroupDepth) {
      throw FileError(fileName_, "groups are nested deeper than " +
                                     std::to_string(kMaxRtfGroupDepth) + " levels at byte " +
                                     std::to_string(pos_ - 1));
    }
    stack_.push_back(state_);
  }

  bool CloseGroup() {
    if (state_.Destination == TDestination::ColourTable && colourHasValue_) EndColour();
    if (stack_.empty()) return false;
    state_ = stack_.back();
    stack_.pop_back();
    return !stack_.empty();
  }

  void ControlSequence() {
    if (pos_ >= rtf_.size()) return;
    const char c = rtf_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      ControlSymbol(c);
      return;
    }
    std::size_t end = pos_;
    while (end < rtf_.size() && IsLetter(rtf_[end]) && end - pos_ < 32) ++end;
    const std::string_view word = rtf_.substr(pos_, end - pos_);
    pos_ = end;
    bool hasParameter = false;
    bool negative = false;
    long long parameter = 0;
    if (pos_ < rtf_.size() && rtf_[pos_] == '-' && pos_ + 1 < rtf_.size() &&
        IsDigit(rtf_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    while (pos_ < rtf_.size() && IsDigit(rtf_[pos_])) {
      hasParameter = true;
      // Clamped, so that a run of digits cannot overflow.
      parameter = std::min<long long>(parameter * 10 + (rtf_[pos_] - '0'), 1'000'000'000);
      ++pos_;
    }
    if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;  // the delimiting space
    ControlWord(word, hasParameter, static_cast<int>(negative ? -parameter : parameter));
  }

  void ControlSymbol(char c) {
    switch (c) {
      case '\'': {
        const int high = pos_ < rtf_.size() ? HexValue(rtf_[pos_]) : -1;
        const int low = pos_ + 1 < rtf_.size() ? HexValue(rtf_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) {  // a broken escape is skipped with its digit
          if (high >= 0) ++pos_;
          return;
        }
        pos_ += 2;
        Character(Windows1252ToUnicode(static_cast<std::uint8_t>(high * 16 + low)), true);
        return;
      }
      case '{':
      case '}':
      case '\\':
        Character(static_cast<unsigned char>(c), true);
        return;
      case '~':
        Character(0xA0, true);
        return;
      case '_':
        Character(0x2011, true);
        return;
      case '*':
        // Optional destinations: none of them holds text we show.
        state_.Destination = TDestination::Skip;
        return;
      case '\r':
      case '\n':
        NewParagraph();
        return;
      default:
        return;  // \- (optional hyphen) and unknown symbols
    }
  }

  void ControlWord(std::string_view word, bool hasParameter, int parameter) {
    const bool on = !hasParameter || parameter != 0;
    if (word == "par") {
      NewParagraph();
    } else if (word == "line") {
      Character('\n', false);
    } else if (word == "tab") {
      Character('\t', false);
    } else if (word == "b") {
      state_.Bold = on;
    } else if (word == "i") {
      state_.Italic = on;
    } else if (word == "ul") {
      state_.Underline = on;
    } else if (word == "ulnone") {
      state_.Underline = false;
    } else if (word == "plain") {
      state_.Bold = state_.Italic = state_.Underline = false;
      state_.FontHalfPoints = 24;
      state_.ColourIndex = 0;
    } else if (word == "fs" && hasParameter) {
      state_.FontHalfPoints = std::clamp(parameter, kMinRtfHalfPoints, kMaxRtfHalfPoints);
    } else if (word == "cf" && hasParameter) {
      state_.ColourIndex = parameter;
    } else if (word == "uc" && hasParameter) {
      state_.FallbackCount = std::clamp(parameter, 0, 16);
    } else if (word == "u" && hasParameter) {
      UnicodeCharacter(parameter);
    } else if (word == "colortbl") {
      state_.Destination = TDestination::ColourTable;
      colours_.clear();
      colour_ = {};
      colourHasValue_ = false;
    } else if (state_.Destination == TDestination::ColourTable && hasParameter &&
               (word == "red" || word == "green" || word == "blue")) {
      const auto value = static_cast<std::uint8_t>(std::clamp(parameter, 0, 255));
      (word == "red" ? colour_.Red : word == "green" ? colour_.Green : colour_.Blue) = value;
      colourHasValue_ = true;
    } else if (std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) !=
               kSkippedDestinations.end()) {
      state_.Destination = TDestination::Skip;
    }
  }

  void UnicodeCharacter(int parameter) {
    // Values above 32767 are written as negative 16-bit numbers.
    char32_t unit = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter) & 0xFFFF;
    if (unit >= 0xDC00 && unit <= 0xDFFF && pendingHighSurrogate_ != 0) {
      const char32_t combined =
          0x10000 + ((pendingHighSurrogate_ - 0xD800) << 10) + (unit - 0xDC00);
      pendingHighSurrogate_ = 0;
      Emit(combined);
    } else {
      FlushSurrogate();
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        pendingHighSurrogate_ = unit;
      } else {
        Emit(unit >= 0xDC00 && unit <= 0xDFFF ? kReplacementCharacter : unit);
      }
    }
    fallbackToSkip_ = state_.FallbackCount;
  }

  void FlushSurrogate() {
    if (pendingHighSurrogate_ != 0) {
      pendingHighSurrogate_ = 0;
      Emit(kReplacementCharacter);
    }
  }

  // A character of the document; `fallbackable` characters may be the stand-ins after \uN.
  void Character(char32_t c, bool fallbackable) {
    if (fallbackable && fallbackToSkip_ > 0) {
      --fallbackToSkip_;
      return;
    }
    if (state_.Destination == TDestination::ColourTable) {
      if (c == ';') EndColour();
      return;
    }
    FlushSurrogate();
    Emit(c);
  }

  void Emit(char32_t c) {
    if (state_.Destination != TDestination::Text) return;
    if (c == 0) return;
    std::vector<TRtfRun>& runs = document_.Paragraphs.back().Runs;
    TRtfRun format;
    format.Bold = state_.Bold;
    format.Italic = state_.Italic;
    format.Underline = state_.Underline;
    format.FontHalfPoints = state_.FontHalfPoints;
    if (state_.ColourIndex > 0 && static_cast<std::size_t>(state_.ColourIndex) < colours_.size()) {
      format.Colour = colours_[static_cast<std::size_t>(state_.ColourIndex)];
    }
    if (runs.empty() || runs.back().Bold != format.Bold || runs.back().Italic != format.Italic ||
        runs.back().Underline != format.Underline ||
        runs.back().FontHalfPoints != format.FontHalfPoints ||
        runs.back().Colour != format.Colour) {
      runs.push_back(std::move(format));
    }
    AppendUtf8(runs.back().Text, c);
  }

  void NewParagraph() {
    fallbackToSkip_ = 0;
    if (state_.Destination != TDestination::Text) return;
    FlushSurrogate();
    document_.Paragraphs.emplace_back();
  }

  void EndColour() {
    // An entry without values is the "automatic" colour: it keeps its index but no colour.
    colours_.push_back(colourHasValue_ ? std::optional<TRtfColour>(colour_) : std::nullopt);
    colour_ = {};
    colourHasValue_ = false;
    if (colours_.size() > 4096) state_.Destination = TDestination::Skip;
  }

  std::string_view rtf_;
  const std::string& fileName_;
  std::size_t pos_ = 0;
  TGroupState state_;
  std::vector<TGroupState> stack_;
  std::vector<std::optional<TRtfColour>> colours_;
  TRtfColour colour_;
  bool colourHasValue_ = false;
  int fallbackToSkip_ = 0;
  char32_t pendingHighSurrogate_ = 0;
  TRtfDocument document_;
};

}  // namespace

TRtfDocument ReadRtf(std::string_view rtf, const std::string& fileName) {
  return TRtfParser(rtf, fileName).Parse();
}

TRtfDocument ReadRtfFile(const std::string& path) {
  return ReadRtf(ReadFileBytes(path, kMaxRtfFileBytes), path);
}

}  // namespace tavrel
