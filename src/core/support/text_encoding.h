#pragma once

#include <iconv.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "support/windows1252.h"

namespace tavrel {

// Where the encoding of a document was learnt from.
enum class TEncodingSource {
  Default,  // neither a byte order mark nor a declaration: XML says UTF-8
  ByteOrderMark,
  FirstBytes,   // UTF-16 without a mark, recognised by the "<?" of its declaration
  Declaration,  // the encoding="..." of the XML declaration
};

// The encoding of an XML document as its first bytes announce it.
struct TDocumentEncoding {
  std::string Name = "UTF-8";  // an iconv name, or the declared name as written
  std::size_t ByteOrderMarkLength = 0;
  TEncodingSource Source = TEncodingSource::Default;

  bool IsUtf8() const;
};

// Reads the byte order mark or, failing that, the encoding declaration of an XML document.
// A mark wins over a declaration that contradicts it: the mark is what the writer's software
// put there, the declaration is often a copied header. Only the first bytes are examined.
TDocumentEncoding DetectDocumentEncoding(std::string_view document);

// The result of a conversion that stopped early: where in the input, and why.
struct TConversionFailure {
  enum class TKind { None, InvalidSequence, TruncatedSequence };
  TKind Kind = TKind::None;
  std::size_t InputOffset = 0;

  explicit operator bool() const { return Kind != TKind::None; }
};

// One iconv conversion descriptor, closed when the object goes. Conversions run under a UTF-8
// C locale, because glibc takes the table of //TRANSLIT from the calling thread's locale and
// the plain "C" locale would turn "ł" into "?" instead of "l".
class TIconv {
 public:
  // Throws Error when iconv does not know one of the two encodings.
  TIconv(const std::string& toEncoding, const std::string& fromEncoding);
  ~TIconv();
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  TIconv(TIconv&& other) noexcept;
  TIconv& operator=(TIconv&& other) noexcept;

  // Converts the whole input and appends it to output. On a sequence the source encoding
  // lacks, or input that ends inside a character, the output holds the conversion up to that
  // point and the failure says where it stopped.
  TConversionFailure Convert(std::string_view input, std::string& output);

  // Whether iconv knows the encoding as a source for UTF-8.
  static bool Supports(const std::string& encoding);

 private:
  iconv_t Descriptor;
};

// Length of the UTF-8 sequence that starts with this byte; 0 for a byte that cannot start one.
constexpr int Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

namespace utf8_detail {

// What a lead byte says about the sequence it starts: its length (0 for a byte that cannot
// lead one) and the range of the byte after it. The second byte's range excludes overlong
// forms (E0, F0), surrogates (ED) and values above U+10FFFF (F4).
struct TLead {
  unsigned char Length;
  unsigned char Low;
  unsigned char High;
};

inline constexpr std::array<TLead, 256> kLeads = [] {
  std::array<TLead, 256> leads{};
  for (unsigned byte = 0; byte < leads.size(); ++byte) {
    auto length = static_cast<unsigned char>(Utf8SequenceLength(static_cast<unsigned char>(byte)));
    TLead lead{length, 0x80, 0xBF};
    if (byte == 0xE0) lead.Low = 0xA0;
    if (byte == 0xED) lead.High = 0x9F;
    if (byte == 0xF0) lead.Low = 0x90;
    if (byte == 0xF4) lead.High = 0x8F;
    leads[byte] = lead;
  }
  return leads;
}();

}  // namespace utf8_detail

// Length of the well-formed UTF-8 sequence at the start of `bytes` (non-ASCII lead), or 0 when
// it is ill-formed: overlong forms, surrogates, values above U+10FFFF and sequences cut short.
// This runs for every character outside ASCII, so the rules of the lead byte come from a
// table rather than from a chain of comparisons.
inline std::size_t WellFormedUtf8SequenceLength(const unsigned char* bytes, std::size_t available) {
  const utf8_detail::TLead lead = utf8_detail::kLeads[bytes[0]];
  if (lead.Length < 2 || lead.Length > available) return 0;
  if (bytes[1] < lead.Low || bytes[1] > lead.High) return 0;
  if (lead.Length >= 3 && (bytes[2] & 0xC0) != 0x80) return 0;
  if (lead.Length == 4 && (bytes[3] & 0xC0) != 0x80) return 0;
  return lead.Length;
}

// The character of a sequence that WellFormedUtf8SequenceLength measured as `length` bytes.
inline char32_t DecodeUtf8Sequence(const unsigned char* bytes, std::size_t length) {
  switch (length) {
    case 2:
      return static_cast<char32_t>(((bytes[0] & 0x1Fu) << 6) | (bytes[1] & 0x3Fu));
    case 3:
      return static_cast<char32_t>(((bytes[0] & 0x0Fu) << 12) | ((bytes[1] & 0x3Fu) << 6) |
                                   (bytes[2] & 0x3Fu));
    case 4:
      return static_cast<char32_t>(((bytes[0] & 0x07u) << 18) | ((bytes[1] & 0x3Fu) << 12) |
                                   ((bytes[2] & 0x3Fu) << 6) | (bytes[3] & 0x3Fu));
    default:
      return bytes[0];
  }
}

// Offset of the first byte that does not belong to a well-formed UTF-8 sequence (overlong
// forms, surrogates and values above U+10FFFF are ill-formed), or npos when all is well.
std::size_t FindInvalidUtf8(std::string_view text);

// An error message of the core as the program's Windows-1252 text. Such a message names files
// as the file system does (UTF-8), and is shown through the conversions at the program's edges,
// which take their input as Windows-1252: well-formed UTF-8 is converted (characters the code
// page lacks become "?", in the message only), anything else is taken to be Windows-1252
// already and kept.
std::string MessageAsWindows1252Text(std::string_view message);

// Line and column (both from 1, the column counted in characters) of a byte offset into UTF-8
// text, for error messages.
struct TTextPosition {
  long Line = 1;
  long Column = 1;
};
TTextPosition PositionInUtf8(std::string_view text, std::size_t offset);

// Turns UTF-8 text into Windows-1252. Characters of the code page map directly; every other
// character goes through iconv's //TRANSLIT, so "ł" becomes "l" and "ő" becomes "o", and what
// has no likeness becomes "?".
class TWindows1252Transliterator {
 public:
  TWindows1252Transliterator();
  // Throws Error when the input is not well-formed UTF-8.
  std::string Convert(std::string_view utf8);
  // Appends the conversion to `out`. Returns false when the input was not well-formed UTF-8;
  // each byte that did not belong to a well-formed sequence then became "?". Checking here
  // costs next to nothing, because the characters are decoded anyway.
  bool Append(std::string_view utf8, std::string& out);
  // The same, with every line break (LF, CR or CR LF) made CR LF on the way.
  bool AppendLines(std::string_view utf8, std::string& out);

 private:
  bool Append(std::string_view utf8, std::string& out, bool crLfLineBreaks);

  TIconv Fallback;
};

}  // namespace tavrel
