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

  // False once a piece since the writer was made held bytes that are not well-formed UTF-8;
  // each such byte became "?".
  bool WellFormed() const { return AllWellFormed; }

 private:
  template <bool kResolveReferences>
  void Add(std::string_view utf8);
  // Makes sure `bytes` more bytes fit behind the written text.
  void MakeRoom(std::size_t bytes);
  void LineBreak(bool carriageReturn);
  // One character that is not plain ASCII text: from a reference or a multi-byte sequence.
  void AddCharacter(char32_t character);
  // Resolves the reference or entity that starts at the "&" at `amp`; returns the offset
  // after it, or 0 when there is none.
  std::size_t AddReference(std::string_view text, std::size_t amp);

  TWindows1252Transliterator Fallback;
  std::string Buffer;  // kept between texts; only Written bytes of it are the text
  std::string Transliterated;
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
