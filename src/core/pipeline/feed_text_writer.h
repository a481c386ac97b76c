#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "support/text_encoding.h"

namespace tavrel {

// Builds the text of one field of a message, in one pass over its pieces of character data
// (UTF-8, as the parser hands them over): the entities and numeric character references of
// parsed text resolved, CDATA taken as written, every line break (LF, CR or CR LF) made CR LF,
// the white space around the whole text left out, everything else in Windows-1252 with the
// characters the code page lacks transliterated.
//
// Resolving, converting and trimming in the same pass is what keeps reading a feed close to the
// cost of parsing it: the text of a feed is most of its bytes, and each extra pass over them or
// copy of them costs about as much as the whole conversion.
class TFeedTextWriter {
 public:
  // Starts a new text; what was added before is dropped.
  void Clear();

  // Adds parsed character data whose entities and references are still as written. What does
  // not read as a reference to a character XML allows (or one of the five predefined
  // entities) stays as written.
  void AddParsedText(std::string_view utf8);

  // Adds the content of a CDATA section.
  void AddCData(std::string_view utf8);

  // The text so far, without the white space (space, tab, CR, LF) around it. White space that
  // stands for a character, such as a reference "&#32;", counts as white space; what a
  // transliteration produced never does.
  std::string Text() const;
  // The same, assigned to `text`: a string that already has room keeps it.
  void CopyTextTo(std::string& text) const;

  // Bytes after the NUL that ends a padded text (see TPaddedText) that the writer may read.
  static constexpr std::size_t kReadAhead = 32;

  // Character data that ends at a NUL byte followed by at least kReadAhead more bytes the
  // writer may read, such as the text of a document parsed in place in a buffer with that much
  // to spare: the writer then looks at it a block at a time, without copying it first or
  // checking for its end in every block.
  struct TPaddedText {
    const char* Utf8;
  };

  // The text of a field that is a single piece of parsed character data (or a single CDATA
  // section), assigned to `text`: what Clear, AddParsedText (AddCData) and Text would give.
  void ConvertParsedText(TPaddedText utf8, std::string& text);
  void ConvertCData(TPaddedText utf8, std::string& text);

  // False once a piece since the writer was made held bytes that are not well-formed UTF-8;
  // each such byte became "?".
  bool WellFormed() const { return AllWellFormed; }

 private:
  template <bool kResolveReferences>
  void Add(std::string_view utf8);
  template <bool kResolveReferences>
  void Convert(TPaddedText utf8, std::string& text);
  // Adds the padded text from `in` up to its NUL; returns where the NUL is.
  template <bool kResolveReferences>
  const unsigned char* AddPadded(const unsigned char* in);
  // The loop AddPadded runs.
  struct TPaddedScan;
  // Makes sure `bytes` more bytes fit behind the written text; Grow does so when they do not,
  // at least doubling the buffer.
  void MakeRoom(std::size_t bytes);
  void Grow(std::size_t bytes);
  // Writes what iconv makes of a character the code page lacks at `out` (the end of the text
  // in Buffer); returns the new end of the text.
  char* Transliterate(char32_t character, char* out);

  TWindows1252Transliterator Fallback;
  std::string Buffer;  // kept between texts; only Written bytes of it are the text
  std::string Transliterated;
  std::string Padded;  // a piece given without padding, copied with room to spare after it
  std::size_t Written = 0;
  // A CR was the last character: an LF right after it belongs to the same line break, also
  // when the two come from different pieces or from references.
  bool AfterCarriageReturn = false;
  // Where the first transliteration starts and the last one ends: trimming stops there.
  std::size_t KeptFrom = std::string::npos;
  std::size_t KeptTo = 0;
  bool AllWellFormed = true;
};

}  // namespace tavrel
