#include "support/text_encoding.h"

#include <locale.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "support/error.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

// The byte order marks an XML document may begin with, longest first so that the UTF-32
// little-endian mark is not taken for the UTF-16 one it starts with.
struct TByteOrderMark {
  std::string_view Bytes;
  const char* Encoding;
};
constexpr std::array<TByteOrderMark, 5> kByteOrderMarks = {{
    {std::string_view("\x00\x00\xFE\xFF", 4), "UTF-32BE"},
    {std::string_view("\xFF\xFE\x00\x00", 4), "UTF-32LE"},
    {std::string_view("\xEF\xBB\xBF", 3), "UTF-8"},
    {std::string_view("\xFE\xFF", 2), "UTF-16BE"},
    {std::string_view("\xFF\xFE", 2), "UTF-16LE"},
}};

// The first bytes of a declaration "<?" in the wide encodings, for documents without a mark.
constexpr std::array<TByteOrderMark, 4> kWideDeclarationStarts = {{
    {std::string_view("\x3C\x00\x00\x00", 4), "UTF-32LE"},
    {std::string_view("\x00\x00\x00\x3C", 4), "UTF-32BE"},
    {std::string_view("\x3C\x00\x3F\x00", 4), "UTF-16LE"},
    {std::string_view("\x00\x3C\x00\x3F", 4), "UTF-16BE"},
}};

// How far into a document the XML declaration may reach before we stop looking for its end.
constexpr std::size_t kDeclarationSearchLimit = 1024;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsEncodingNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-' || c == ':';
}

// The value of encoding="..." in a declaration that starts at the beginning of `text`, or
// empty when there is no well-formed declaration naming an encoding.
std::string DeclaredEncoding(std::string_view text) {
  constexpr std::string_view kOpen = "<?xml";
  if (text.substr(0, kOpen.size()) != kOpen || text.size() <= kOpen.size() ||
      !IsXmlSpace(text[kOpen.size()])) {
    return {};
  }
  std::string_view head = text.substr(0, kDeclarationSearchLimit);
  std::size_t end = head.find("?>");
  if (end == std::string_view::npos) return {};
  std::string_view declaration = head.substr(0, end);
  for (std::size_t at = declaration.find("encoding"); at != std::string_view::npos;
       at = declaration.find("encoding", at + 1)) {
    if (!IsXmlSpace(declaration[at - 1])) continue;
    std::size_t i = at + 8;
    while (i < declaration.size() && IsXmlSpace(declaration[i])) ++i;
    if (i >= declaration.size() || declaration[i] != '=') continue;
    ++i;
    while (i < declaration.size() && IsXmlSpace(declaration[i])) ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) continue;
    char quote = declaration[i++];
    std::size_t close = declaration.find(quote, i);
    if (close == std::string_view::npos || close == i) return {};
    std::string_view name = declaration.substr(i, close - i);
    if (!std::all_of(name.begin(), name.end(), IsEncodingNameCharacter)) return {};
    return std::string(name);
  }
  return {};
}

// The locale whose transliteration table //TRANSLIT should use. Made once and kept for the
// whole run; null when the system has no UTF-8 C locale, in which case iconv still converts
// but replaces more characters by "?".
locale_t TransliterationLocale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t made = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr))) {
        return made;
      }
    }
    return static_cast<locale_t>(nullptr);
  }();
  return locale;
}

// Switches the calling thread to the transliteration locale for the lifetime of the object.
class TTransliterationLocaleScope {
 public:
  TTransliterationLocaleScope() {
    if (locale_t locale = TransliterationLocale()) Previous = uselocale(locale);
  }
  ~TTransliterationLocaleScope() {
    if (Previous) uselocale(Previous);
  }
  TTransliterationLocaleScope(const TTransliterationLocaleScope&) = delete;
  TTransliterationLocaleScope& operator=(const TTransliterationLocaleScope&) = delete;

 private:
  locale_t Previous = nullptr;
};

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

}  // namespace

bool TDocumentEncoding::IsUtf8() const {
  return EqualsIgnoreCase(Name, "UTF-8") || EqualsIgnoreCase(Name, "UTF8");
}

TDocumentEncoding DetectDocumentEncoding(std::string_view document) {
  for (const TByteOrderMark& mark : kByteOrderMarks) {
    if (document.substr(0, mark.Bytes.size()) == mark.Bytes) {
      return {mark.Encoding, mark.Bytes.size(), TEncodingSource::ByteOrderMark};
    }
  }
  for (const TByteOrderMark& start : kWideDeclarationStarts) {
    if (document.substr(0, start.Bytes.size()) == start.Bytes) {
      return {start.Encoding, 0, TEncodingSource::FirstBytes};
    }
  }
  std::string declared = DeclaredEncoding(document);
  if (!declared.empty()) return {declared, 0, TEncodingSource::Declaration};
  return {};
}

TIconv::TIconv(const std::string& toEncoding, const std::string& fromEncoding)
    : Descriptor(iconv_open(toEncoding.c_str(), fromEncoding.c_str())) {
  if (Descriptor == kNoDescriptor) {
    throw Error("iconv cannot convert from \"" + fromEncoding + "\" to \"" + toEncoding + "\"");
  }
}

TIconv::~TIconv() {
  if (Descriptor != kNoDescriptor) iconv_close(Descriptor);
}

TIconv::TIconv(TIconv&& other) noexcept
    : Descriptor(std::exchange(other.Descriptor, kNoDescriptor)) {}

TIconv& TIconv::operator=(TIconv&& other) noexcept {
  if (this != &other) {
    if (Descriptor != kNoDescriptor) iconv_close(Descriptor);
    Descriptor = std::exchange(other.Descriptor, kNoDescriptor);
  }
  return *this;
}

bool TIconv::Supports(const std::string& encoding) {
  iconv_t descriptor = iconv_open("UTF-8", encoding.c_str());
  if (descriptor == kNoDescriptor) return false;
  iconv_close(descriptor);
  return true;
}

TConversionFailure TIconv::Convert(std::string_view input, std::string& output) {
  TTransliterationLocaleScope locale;
  iconv(Descriptor, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state

  // iconv takes a non-const input pointer for historical reasons; it never writes through it.
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  std::size_t written = output.size();
  output.resize(written + std::max<std::size_t>(input.size() + input.size() / 2, 64));

  TConversionFailure failure;
  while (inLeft > 0) {
    char* out = output.data() + written;
    std::size_t outLeft = output.size() - written;
    std::size_t result = iconv(Descriptor, &in, &inLeft, &out, &outLeft);
    written = output.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) {
      output.resize(output.size() * 2);
      continue;
    }
    failure.Kind = errno == EINVAL ? TConversionFailure::TKind::TruncatedSequence
                                   : TConversionFailure::TKind::InvalidSequence;
    failure.InputOffset = input.size() - inLeft;
    output.resize(written);
    return failure;
  }
  // Stateful encodings may owe a final shift sequence.
  while (true) {
    char* out = output.data() + written;
    std::size_t outLeft = output.size() - written;
    std::size_t result = iconv(Descriptor, nullptr, nullptr, &out, &outLeft);
    written = output.size() - outLeft;
    if (result == static_cast<std::size_t>(-1) && errno == E2BIG) {
      output.resize(output.size() * 2);
      continue;
    }
    break;
  }
  output.resize(written);
  return failure;
}

std::string MessageAsWindows1252Text(std::string_view message) {
  if (FindInvalidUtf8(message) != std::string_view::npos) return std::string(message);
  return Utf8ToWindows1252(message);
}

std::size_t FindInvalidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    // Runs of ASCII are the bulk of every feed: step over them 32, then 8 bytes at a time.
    while (i + 32 <= size) {
      std::uint64_t words[4];
      std::memcpy(words, bytes + i, 32);
      if ((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ull) break;
      i += 32;
    }
    while (i + 8 <= size) {
      std::uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= size) break;
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = WellFormedUtf8SequenceLength(bytes + i, size - i);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

TTextPosition PositionInUtf8(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  TTextPosition position;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++position.Line;
      lineStart = i + 1;
    }
  }
  for (std::size_t i = lineStart; i < offset; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++position.Column;
  }
  return position;
}

TWindows1252Transliterator::TWindows1252Transliterator()
    : Fallback("WINDOWS-1252//TRANSLIT", "UTF-8") {}

std::string TWindows1252Transliterator::Convert(std::string_view utf8) {
  std::string result;
  result.reserve(utf8.size());
  if (!Append(utf8, result)) throw Error("text is not well-formed UTF-8");
  return result;
}

bool TWindows1252Transliterator::Append(std::string_view utf8, std::string& out) {
  return Append(utf8, out, false);
}

bool TWindows1252Transliterator::AppendLines(std::string_view utf8, std::string& out) {
  return Append(utf8, out, true);
}

bool TWindows1252Transliterator::Append(std::string_view utf8, std::string& out,
                                        bool crLfLineBreaks) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  // Whether one of the eight bytes of the word equals `byte` (the classic zero-byte test on
  // the word with that byte cleared).
  auto hasByte = [](std::uint64_t word, unsigned char byte) {
    std::uint64_t cleared = word ^ (kOnes * byte);
    return (cleared - kOnes) & ~cleared & kHighBits;
  };
  auto isSpecial = [crLfLineBreaks](unsigned char byte) {
    return byte >= 0x80 || (crLfLineBreaks && (byte == '\n' || byte == '\r'));
  };

  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  // The output is written through a position rather than appended byte by byte; ASCII text
  // needs exactly the room made here, and `room` makes more when line breaks or iconv need it.
  std::size_t written = out.size();
  out.resize(written + size);
  auto room = [&out, &written](std::size_t bytesNeeded) {
    if (written + bytesNeeded > out.size()) {
      out.resize(std::max(written + bytesNeeded, out.size() + out.size() / 2 + 16));
    }
    return out.data() + written;
  };

  bool wellFormed = true;
  std::size_t i = 0;
  while (i < size) {
    // Copy a run of plain ASCII in one piece; it is most of every text. The lowest flagged
    // byte of a word is always a true find: the zero-byte test errs only above one.
    std::size_t run = i;
    bool found = false;
    while (!found && run + 8 <= size) {
      std::uint64_t word;
      std::memcpy(&word, bytes + run, 8);
      std::uint64_t special = word & kHighBits;
      if (crLfLineBreaks) special |= hasByte(word, '\n') | hasByte(word, '\r');
      if (special) {
        run += static_cast<std::size_t>(__builtin_ctzll(special)) / 8;
        found = true;
        break;
      }
      run += 8;
    }
    if (!found) {
      while (run < size && !isSpecial(bytes[run])) ++run;
    }
    std::memcpy(room(run - i), bytes + i, run - i);
    written += run - i;
    i = run;
    if (i >= size) break;

    if (bytes[i] == '\n' || bytes[i] == '\r') {
      std::memcpy(room(2), "\r\n", 2);
      written += 2;
      i += (bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n') ? 2 : 1;
      continue;
    }

    std::size_t length = WellFormedUtf8SequenceLength(bytes + i, size - i);
    if (length == 0) {
      *room(1) = '?';
      ++written;
      wellFormed = false;
      ++i;
      continue;
    }
    char32_t character = DecodeUtf8Sequence(bytes + i, length);

    if (int byte = Windows1252ByteOf(character); byte >= 0) {
      *room(1) = static_cast<char>(byte);
      ++written;
    } else {
      out.resize(written);
      if (Fallback.Convert(utf8.substr(i, length), out) || out.size() == written) {
        out.resize(written);
        out.push_back('?');
      }
      written = out.size();
    }
    i += length;
  }
  out.resize(written);
  return wellFormed;
}

}  // namespace tavrel
