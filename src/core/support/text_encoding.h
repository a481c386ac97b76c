#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

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

// Offset of the first byte that does not belong to a well-formed UTF-8 sequence (overlong
// forms, surrogates and values above U+10FFFF are ill-formed), or npos when all is well.
std::size_t FindInvalidUtf8(std::string_view text);

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
