#include "pipeline/feed_text_check.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "support/error.h"
#include "support/feed_limits.h"
#include "support/file_utils.h"
#include "support/text_encoding.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

bool IsXmlCharacter(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsPredefinedEntity(std::string_view name) {
  return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
}

// The value of a numeric reference's digits ("8", "x1B"); nothing when they are not digits.
bool ReferenceValue(std::string_view digits, std::uint32_t& value) {
  const bool hex = !digits.empty() && digits.front() == 'x';
  if (hex) digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (const char c : digits) {
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return false;
    }
    value = value * (hex ? 16 : 10) + digit;
  }
  return true;
}

bool IsEightBitEncoding(std::string name) {
  for (char& c : name) c = ToUpperAscii(c);
  return name == "WINDOWS-1252" || name == "CP1252" || name.rfind("ISO-8859", 0) == 0 ||
         name == "LATIN1" || name == "ISO_8859-1" || name == "US-ASCII";
}

class TFindings {
 public:
  TFindings(const std::string& path, std::string_view text) : path_(path), text_(text) {}

  void Add(std::size_t offset, const std::string& what) {
    if (++count_ > kMaxFeedTextLines) return;
    // Lines are counted from the last finding on, so the whole scan stays linear.
    for (; lineStart_ < offset; ++lineStart_) {
      const char c = text_[lineStart_];
      if (c == '\n' ||
          (c == '\r' && (lineStart_ + 1 >= text_.size() || text_[lineStart_ + 1] != '\n'))) {
        ++line_;
      }
    }
    Lines.push_back(path_ + ":" + std::to_string(line_) + ": " + what);
  }
  void Finish() {
    if (count_ > kMaxFeedTextLines) {
      Lines.push_back(path_ + ": ... and " + std::to_string(count_ - kMaxFeedTextLines) +
                      " more of these");
    }
  }

  std::vector<std::string> Lines;

 private:
  const std::string& path_;
  std::string_view text_;
  long long count_ = 0;
  std::size_t lineStart_ = 0;
  long line_ = 1;
};

}  // namespace

std::vector<std::string> FeedTextProblems(const std::string& path) {
  std::string bytes;
  try {
    bytes = ReadFileBytes(path, kMaxFeedBytes);
  } catch (const Error&) {
    return {};
  }
  const TDocumentEncoding encoding = DetectDocumentEncoding(bytes);
  const std::string_view body = std::string_view(bytes).substr(encoding.ByteOrderMarkLength);
  std::vector<std::string> lines;
  std::string converted;
  std::string_view text = body;
  if (!encoding.IsUtf8()) {
    if (encoding.Source == TEncodingSource::Declaration && IsEightBitEncoding(encoding.Name)) {
      bool anyMultiByte = false;
      for (const char c : body)
        anyMultiByte = anyMultiByte || static_cast<unsigned char>(c) >= 0x80;
      if (anyMultiByte && FindInvalidUtf8(body) == std::string_view::npos) {
        lines.push_back(path + ": declared as \"" + encoding.Name +
                        "\", but its bytes are valid UTF-8; the declaration looks wrong "
                        "(accented letters would show as two characters each)");
      }
    }
    try {
      TIconv converter("UTF-8", encoding.Name);
      if (converter.Convert(body, converted)) return lines;
    } catch (const Error&) {
      return lines;
    }
    text = converted;
  }

  TFindings findings(path, text);
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // Comments and character data sections hold no references.
    if (c == '<' && text.substr(i, 4) == "<!--") {
      const std::size_t end = text.find("-->", i + 4);
      i = end == std::string_view::npos ? text.size() : end + 3;
      continue;
    }
    if (c == '<' && text.substr(i, 9) == "<![CDATA[") {
      const std::size_t end = text.find("]]>", i + 9);
      const std::size_t stop = end == std::string_view::npos ? text.size() : end;
      for (std::size_t j = i + 9; j < stop; ++j) {
        const unsigned char d = static_cast<unsigned char>(text[j]);
        if (d < 0x20 && d != '\t' && d != '\n' && d != '\r') {
          char what[96];
          std::snprintf(
              what, sizeof what,
              "control character 0x%02X, which XML does not allow; it is shown as a space", d);
          findings.Add(j, what);
        }
      }
      i = end == std::string_view::npos ? text.size() : end + 3;
      continue;
    }
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      char what[96];
      std::snprintf(what, sizeof what,
                    "control character 0x%02X, which XML does not allow; it is shown as a space",
                    c);
      findings.Add(i, what);
    } else if (c == '&') {
      const std::size_t semicolon = text.find(';', i + 1);
      if (semicolon != std::string_view::npos && semicolon - i <= 32) {
        const std::string_view name = text.substr(i + 1, semicolon - i - 1);
        bool isName = !name.empty();
        for (const char n : name) {
          isName = isName &&
                   ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z') || (n >= '0' && n <= '9') ||
                    n == '#' || n == '_' || n == '-' || n == '.' || n == ':');
        }
        if (!isName) {
          ++i;
          continue;
        }
        const std::string reference(text.substr(i, semicolon - i + 1));
        std::uint32_t value = 0;
        if (!name.empty() && name.front() == '#') {
          const bool known = ReferenceValue(name.substr(1), value);
          if (known && value > 0 && value < 0x20 && !IsXmlCharacter(value)) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(value));
            findings.Add(i, "reference " + reference + " stands for control character " + code +
                                ", which XML does not allow; it is shown as a space");
          } else if (!known || !IsXmlCharacter(value)) {
            findings.Add(i, "reference " + reference +
                                " is not a character XML allows; it is shown as written");
          }
        } else if (!IsPredefinedEntity(name)) {
          findings.Add(i, "entity " + reference + " is not defined; it is shown as written");
        }
      }
    }
    ++i;
  }
  findings.Finish();
  lines.insert(lines.end(), findings.Lines.begin(), findings.Lines.end());
  return lines;
}

}  // namespace tavrel
