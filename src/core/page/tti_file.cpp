#include "page/tti_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "support/error.h"
#include "support/file_utils.h"

namespace tavrel {

namespace {

constexpr std::uint8_t kEscape = 0x1B;
constexpr std::uint8_t kSpace = 0x20;
// Rows 25..29 carry the inserters' enhancement packets (editorial links, colour tables), which
// our pages do not use; they are read past. Anything beyond is no packet of a page.
constexpr int kLastPacketRow = 29;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of 1..maxDigits hexadecimal digits making up all of text, or -1.
int ParseHex(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return -1;
  int value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// The value of 1..maxDigits decimal digits making up all of text, or -1.
int ParseDecimal(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string Quoted(std::string_view text) {
  // Outside input goes into a message: keep it short and free of control bytes.
  std::string shown;
  for (char c : text.substr(0, 40)) {
    shown += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
  }
  if (text.size() > 40) shown += "...";
  return "\"" + shown + "\"";
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(
        text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

std::string Hex(int value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// Reads the tag lines one at a time and builds the file.
class TTtiParser {
 public:
  TTtiParser(std::string_view text, const std::string& sourceName)
      : text_(text), source_(sourceName) {}

  TTtiFile Run() {
    std::size_t start = 0;
    while (start < text_.size()) {
      std::size_t end = text_.find('\n', start);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view line = text_.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNumber_;
      ParseLine(line);
      start = end + 1;
    }
    if (file_.Pages.empty())
      throw FileError(source_, "holds no page (no \"PN\" and no \"OL\" line)");
    return std::move(file_);
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw ParseError(source_, lineNumber_, 1, what);
  }

  TTtiPage& Current() {
    if (file_.Pages.empty()) file_.Pages.emplace_back();
    return file_.Pages.back();
  }

  void ParseLine(std::string_view line) {
    if (line.empty()) return;
    const std::size_t comma = line.find(',');
    const std::string_view tag = line.substr(0, comma);
    const std::string_view value =
        comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    if (tag == "PN") return ParsePageNumber(value);
    if (tag == "SC") return ParseSubCode(value);
    if (tag == "PS") return ParsePageStatus(value);
    if (tag == "CT") return ParseCycleTime(value);
    if (tag == "FL") return ParseLinks(value);
    if (tag == "OL") return ParseRow(value);
    if (tag == "DE") {
      file_.Description = std::string(value.substr(0, 255));
      return;
    }
    // Other tags (DS, SP, RE, MS, ...) belong to other tools' workflows and carry nothing our
    // pages hold.
  }

  void ParsePageNumber(std::string_view value) {
    // mppss: magazine 1..8, page two hexadecimal digits, sub-page two decimal digits. Some
    // writers leave out the sub-page; "mpp" alone means sub-page 0.
    const int magazine = value.empty() ? -1 : ParseDecimal(value.substr(0, 1), 1);
    const int page = value.size() >= 3 ? ParseHex(value.substr(1, 2), 2) : -1;
    const int subPage = value.size() == 5   ? ParseDecimal(value.substr(3, 2), 2)
                        : value.size() == 3 ? 0
                                            : -1;
    if (magazine < 1 || magazine > 8 || page < 0 || subPage < 0) {
      Fail("\"PN\" value " + Quoted(value) +
           " is not a page number mppss (magazine 1 to 8, page 00 to FF, sub-page 00 to 99)");
    }
    // A PN after lines that came without one names that sub-page; otherwise it starts the next.
    if (file_.Pages.empty() || file_.Pages.back().HasPageNumber) file_.Pages.emplace_back();
    TTtiPage& current = file_.Pages.back();
    current.PageAddress = magazine * 0x100 + page;
    current.SubPageIndex = subPage;
    current.HasPageNumber = true;
  }

  void ParseSubCode(std::string_view value) {
    const int code = ParseHex(value, 4);
    if (code < 0)
      Fail("\"SC\" value " + Quoted(value) + " is not a sub-code of 1 to 4 hexadecimal digits");
    Current().SubCode = code;
  }

  void ParsePageStatus(std::string_view value) {
    const int status = ParseHex(value, 4);
    if (status < 0) {
      Fail("\"PS\" value " + Quoted(value) + " is not a page status of 1 to 4 hexadecimal digits");
    }
    Current().PageStatus = status;
  }

  void ParseCycleTime(std::string_view value) {
    const std::vector<std::string_view> parts = SplitCommas(value);
    const int seconds = ParseDecimal(parts[0], 5);
    const bool modeOk =
        parts.size() == 1 || (parts.size() == 2 && (parts[1] == "T" || parts[1] == "C"));
    if (seconds < 0 || !modeOk) {
      Fail("\"CT\" value " + Quoted(value) + " is not a cycle time (a number, then ,T or ,C)");
    }
    // A cycle time given before the first page number is the file's default for its pages,
    // so it goes to the page being built, which the next PN names.
    TTtiPage& page = Current();
    page.CycleTime = seconds;
    page.CycleMode = parts.size() == 2 ? parts[1][0] : 'T';
  }

  void ParseLinks(std::string_view value) {
    const std::vector<std::string_view> parts = SplitCommas(value);
    std::array<int, 6> links{};
    bool valid = parts.size() == links.size();
    for (std::size_t i = 0; valid && i < links.size(); ++i) {
      links[i] = ParseHex(parts[i], 3);
      // 0 is what some editors write for an empty link.
      valid = links[i] == 0 || (links[i] >= 0x100 && links[i] <= 0x8FF);
    }
    if (!valid) {
      Fail("\"FL\" value " + Quoted(value) +
           " is not six page links (red, green, yellow, cyan, link 4, index) of 100 to 8FF");
    }
    Current().Links = links;
  }

  void ParseRow(std::string_view value) {
    const std::size_t comma = value.find(',');
    const std::string_view rowText = value.substr(0, comma);
    const int row = ParseDecimal(rowText, 2);
    if (row < 0 || row > kLastPacketRow) {
      Fail("\"OL\" row " + Quoted(rowText) + " is out of range: rows run from 0 to 24 (25 to " +
           std::to_string(kLastPacketRow) + " hold enhancement data)");
    }
    TTtiPage& page = Current();
    if (row >= kTtiRows) return;
    const std::string_view cells =
        comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    std::array<std::uint8_t, kPageColumns> decoded;
    decoded.fill(kSpace);
    int column = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      auto byte = static_cast<std::uint8_t>(cells[i]);
      if (byte == kEscape) {
        if (i + 1 >= cells.size()) {
          Fail("row " + std::to_string(row) + " ends in an escape without the code it stands for");
        }
        // ESC and the code plus 0x40 stand for a control code.
        byte = static_cast<std::uint8_t>(static_cast<std::uint8_t>(cells[++i]) - 0x40);
      }
      if (column >= kPageColumns) {
        Fail("row " + std::to_string(row) + " holds more than " + std::to_string(kPageColumns) +
             " characters");
      }
      // Writers of "8-bit" files set bit 7 on control codes instead of escaping them.
      decoded[column++] = byte & 0x7F;
    }
    std::copy(decoded.begin(), decoded.end(), page.Cells.begin() + row * kPageColumns);
    page.HasRow[row] = true;
  }

  std::string_view text_;
  const std::string& source_;
  long lineNumber_ = 0;
  TTtiFile file_;
};

}  // namespace

std::string TTtiPage::PageText() const { return Hex(PageAddress, 3); }

std::optional<int> TTtiPage::CharSet() const {
  if (!PageStatus) return std::nullopt;
  // C12..C14 sit at bits 7..9 of the status and at bits 1..3 of the character set code.
  return (*PageStatus >> 6) & 0x0E;
}

TPrestPage TTtiPage::ToPage(int defaultCharSet) const {
  TPrestPage page = TPrestPage::Blank(CharSet().value_or(defaultCharSet));
  std::copy(Cells.begin() + kPageColumns, Cells.begin() + kPageRows * kPageColumns,
            page.Cells.begin() + kPageColumns);
  return page;
}

TTtiFile TTtiFile::Parse(std::string_view text, const std::string& sourceName) {
  return TTtiParser(text, sourceName).Run();
}

TTtiFile TTtiFile::Read(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) throw FileError(path, "no such file");
  if (!S_ISREG(status.st_mode)) throw FileError(path, "not a file");
  return Parse(ReadFileBytes(path, kMaxFileBytes), path);
}

std::string TTtiFile::Text() const {
  std::string text;
  const auto line = [&text](std::string_view tag, std::string_view value) {
    text += tag;
    text += ',';
    text += value;
    text += "\r\n";
  };
  // A line break in the description would end its line and start a tag of its own.
  std::string description = Description;
  std::replace_if(
      description.begin(), description.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  line("DE", description);
  for (const TTtiPage& page : Pages) {
    char number[8];
    std::snprintf(number, sizeof number, "%s%02d", Hex(page.PageAddress, 3).c_str(),
                  std::clamp(page.SubPageIndex, 0, 99));
    line("PN", number);
    if (page.SubCode) line("SC", Hex(*page.SubCode, 4));
    if (page.PageStatus) line("PS", Hex(*page.PageStatus, 4));
    if (page.CycleTime) line("CT", std::to_string(*page.CycleTime) + "," + page.CycleMode);
    for (int row = 0; row < kTtiRows; ++row) {
      const auto first = page.Cells.begin() + row * kPageColumns;
      if (std::all_of(first, first + kPageColumns,
                      [](std::uint8_t c) { return (c & 0x7F) == kSpace; })) {
        continue;
      }
      std::string cells;
      for (int column = 0; column < kPageColumns; ++column) {
        const std::uint8_t code = first[column] & 0x7F;
        if (code < 0x20) {
          cells += static_cast<char>(kEscape);
          cells += static_cast<char>(code + 0x40);
        } else {
          cells += static_cast<char>(code);
        }
      }
      line("OL", std::to_string(row) + "," + cells);
    }
    if (page.Links) {
      std::string links;
      for (std::size_t i = 0; i < page.Links->size(); ++i) {
        if (i > 0) links += ',';
        links += Hex((*page.Links)[i], 3);
      }
      line("FL", links);
    }
  }
  return text;
}

void TTtiFile::Save(const std::string& path) const { ReplaceFileAtomically(path, Text(), 0644); }

}  // namespace tavrel
