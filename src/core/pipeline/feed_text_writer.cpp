#include "pipeline/feed_text_writer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tavrel {

namespace {

// Longest reference worth looking at: "&#x0010FFFF;" with a few leading zeros to spare.
constexpr std::size_t kLongestReference = 16;

bool IsXmlSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Bytes that end a run of text copied as it is: everything from 0x80 up, the control bytes up
// to CR (line feed and carriage return among them, and the NUL after a padded text) and, in
// parsed text, "&".
template <bool kResolveReferences>
bool IsSpecial(unsigned char byte) {
  return byte >= 0x80 || byte < 14 || (kResolveReferences && byte == '&');
}

// Text is copied and examined sixteen bytes at a time: Copy copies the block at `in` to `out`
// and returns its special bytes (bit i for byte i), Store only copies it, and Spaces returns its
// white space the same way. With SSE2, which every x86-64 processor has, reading a feed takes
// about a third less time than with the plain loops below.
struct TTextBlocks {
  static constexpr std::size_t kSize = 16;
  static constexpr unsigned kAll = 0xFFFF;

#if defined(__SSE2__)
  template <bool kResolveReferences>
  static unsigned Copy(const unsigned char* in, char* out) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
    // As signed bytes, the bytes from 0x80 up and the control bytes up to CR are all below
    // 14: one comparison finds them.
    __m128i marked = _mm_cmplt_epi8(block, _mm_set1_epi8(14));
    if constexpr (kResolveReferences) {
      marked = _mm_or_si128(marked, _mm_cmpeq_epi8(block, _mm_set1_epi8('&')));
    }
    return static_cast<unsigned>(_mm_movemask_epi8(marked));
  }

  static void Store(const unsigned char* in, char* out) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
  }

  static unsigned Spaces(const unsigned char* in) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i marked = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(' ')),
                                  _mm_cmpeq_epi8(block, _mm_set1_epi8('\n')));
    marked = _mm_or_si128(marked, _mm_cmpeq_epi8(block, _mm_set1_epi8('\t')));
    marked = _mm_or_si128(marked, _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
    return static_cast<unsigned>(_mm_movemask_epi8(marked));
  }
#else
  template <bool kResolveReferences>
  static unsigned Copy(const unsigned char* in, char* out) {
    std::memcpy(out, in, kSize);
    unsigned marked = 0;
    for (std::size_t i = 0; i < kSize; ++i) {
      if (IsSpecial<kResolveReferences>(in[i])) marked |= 1u << i;
    }
    return marked;
  }

  static void Store(const unsigned char* in, char* out) { std::memcpy(out, in, kSize); }

  static unsigned Spaces(const unsigned char* in) {
    unsigned marked = 0;
    for (std::size_t i = 0; i < kSize; ++i) {
      if (IsXmlSpace(in[i])) marked |= 1u << i;
    }
    return marked;
  }
#endif
};

static_assert(TFeedTextWriter::kReadAhead >= TTextBlocks::kSize);

// The first byte from `begin` on that is not white space, in a padded text: its NUL ends the
// search at the latest.
const unsigned char* SkipLeadingSpace(const unsigned char* begin) {
  if (!IsXmlSpace(*begin)) return begin;
  while (true) {
    if (unsigned spaces = TTextBlocks::Spaces(begin); spaces != TTextBlocks::kAll) {
      return begin + std::countr_one(spaces);
    }
    begin += TTextBlocks::kSize;
  }
}

// The first byte of [begin, end) that is not white space, or `end`.
const unsigned char* SkipLeadingSpace(const unsigned char* begin, const unsigned char* end) {
  while (begin != end && IsXmlSpace(*begin)) ++begin;
  return begin;
}

// Where the white space at the end of [begin, end) starts.
const unsigned char* SkipTrailingSpace(const unsigned char* begin, const unsigned char* end) {
  if (begin == end || !IsXmlSpace(end[-1])) return end;
  constexpr std::size_t kBlock = TTextBlocks::kSize;
  for (; end - begin >= static_cast<std::ptrdiff_t>(kBlock); end -= kBlock) {
    if (unsigned spaces = TTextBlocks::Spaces(end - kBlock); spaces != TTextBlocks::kAll) {
      // The block's bits run from its first byte up: the leading ones of the top sixteen bits
      // are the white space at its end.
      return end - std::countl_one(static_cast<std::uint16_t>(spaces));
    }
  }
  while (begin != end && IsXmlSpace(end[-1])) --end;
  return end;
}

// Whether XML allows the character in a document. References to control characters become
// spaces (see ReferenceAt); references to any other value stay as written.
bool IsXmlCharacter(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool StartsWith(const unsigned char* bytes, std::string_view start) {
  return std::memcmp(bytes, start.data(), start.size()) == 0;
}

// A reference or predefined entity: its length up to and including the ";", 0 for none, and
// the character it stands for.
struct TReference {
  std::size_t Length;
  char32_t Character;
};

// The reference or predefined entity that starts at the "&" at `amp`, in a padded text. A
// numeric reference is "#" and decimal digits, or "#x" and hexadecimal digits, to a character
// XML allows, with the ";" within kLongestReference bytes of the "&".
TReference ReferenceAt(const unsigned char* amp) {
  // The predefined entities are compared whole: a comparison that runs past the end of the
  // text meets its NUL, which no entity holds.
  switch (amp[1]) {
    case 'a':
      if (StartsWith(amp + 2, "mp;")) return {5, '&'};
      if (StartsWith(amp + 2, "pos;")) return {6, '\''};
      return {0, 0};
    case 'l':
      return StartsWith(amp + 2, "t;") ? TReference{4, '<'} : TReference{0, 0};
    case 'g':
      return StartsWith(amp + 2, "t;") ? TReference{4, '>'} : TReference{0, 0};
    case 'q':
      return StartsWith(amp + 2, "uot;") ? TReference{6, '"'} : TReference{0, 0};
    case '#':
      break;
    default:
      return {0, 0};
  }
  // Reading on to the NUL at the end of the text stops the loop, as it is no digit.
  const bool hex = amp[2] == 'x';
  const std::size_t firstDigit = hex ? 3 : 2;
  std::uint32_t value = 0;
  for (std::size_t i = firstDigit; i < kLongestReference; ++i) {
    unsigned char c = amp[i];
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else if (c == ';' && i > firstDigit && IsXmlCharacter(value)) {
      return {i + 1, static_cast<char32_t>(value)};
    } else if (c == ';' && i > firstDigit && value > 0 && value < 0x20) {
      // A reference to a control character would be a teletext attribute on the page: it
      // becomes a space, as the raw byte does, and the feed check names it.
      return {i + 1, U' '};
    } else {
      return {0, 0};
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF) return {0, 0};
  }
  return {0, 0};
}

// The Windows-1252 bytes of U+2000..U+203F (quotes, dashes, the ellipsis and the like), zero
// where the code page lacks the character.
constexpr std::array<unsigned char, 64> kGeneralPunctuation = [] {
  std::array<unsigned char, 64> bytes{};
  for (char32_t c = 0; c < bytes.size(); ++c) {
    int mapped = Windows1252ByteOf(0x2000 + c);
    bytes[c] = mapped < 0 ? 0 : static_cast<unsigned char>(mapped);
  }
  return bytes;
}();

// The UTF-8 bytes of a character; returns their number.
std::size_t EncodeUtf8(char32_t c, char (&out)[4]) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

char* WriteLineBreak(char* out) {
  std::memcpy(out, "\r\n", 2);
  return out + 2;
}

}  // namespace

void TFeedTextWriter::Clear() {
  Written = 0;
  AfterCarriageReturn = false;
  KeptFrom = std::string::npos;
  KeptTo = 0;
}

std::string TFeedTextWriter::Text() const {
  std::string text;
  CopyTextTo(text);
  return text;
}

void TFeedTextWriter::CopyTextTo(std::string& text) const {
  const auto* begin = reinterpret_cast<const unsigned char*>(Buffer.data());
  const unsigned char* first = SkipLeadingSpace(begin, begin + std::min(Written, KeptFrom));
  const unsigned char* last = SkipTrailingSpace(std::max(first, begin + KeptTo), begin + Written);
  const auto size = static_cast<std::size_t>(last - first);
  // A string with room takes the bytes in; one without is made anew, which costs less than
  // growing it.
  if (text.capacity() >= size) {
    text.assign(reinterpret_cast<const char*>(first), size);
  } else {
    text = std::string(reinterpret_cast<const char*>(first), size);
  }
}

void TFeedTextWriter::AddParsedText(std::string_view utf8) { Add<true>(utf8); }

void TFeedTextWriter::AddCData(std::string_view utf8) { Add<false>(utf8); }

void TFeedTextWriter::ConvertParsedText(TPaddedText utf8, std::string& text) {
  Convert<true>(utf8, text);
}

void TFeedTextWriter::ConvertCData(TPaddedText utf8, std::string& text) {
  Convert<false>(utf8, text);
}

template <bool kResolveReferences>
void TFeedTextWriter::Add(std::string_view utf8) {
  // The piece is copied first, with a NUL and room to read ahead after it. Pieces given this
  // way are the rare ones, fields with markup inside them.
  if (Padded.size() < utf8.size() + 1 + kReadAhead) Padded.resize(utf8.size() + 1 + kReadAhead);
  std::memcpy(Padded.data(), utf8.data(), utf8.size());
  Padded[utf8.size()] = '\0';
  const auto* at = reinterpret_cast<const unsigned char*>(Padded.data());
  const unsigned char* end = at + utf8.size();
  // White space before the text is left out anyway; skipping it here saves converting it.
  if (Written == 0 && KeptFrom == std::string::npos) {
    at = SkipLeadingSpace(at, end);
    AfterCarriageReturn = false;
  }
  // The scan ends at a NUL: one that the piece holds itself (no document does, but a piece
  // given here may) is a control byte like any other, written as it is.
  while ((at = AddPadded<kResolveReferences>(at)) != end) {
    MakeRoom(1);
    Buffer[Written++] = '\0';
    AfterCarriageReturn = false;
    ++at;
  }
}

template <bool kResolveReferences>
void TFeedTextWriter::Convert(TPaddedText utf8, std::string& text) {
  Clear();
  AddPadded<kResolveReferences>(
      SkipLeadingSpace(reinterpret_cast<const unsigned char*>(utf8.Utf8)));
  CopyTextTo(text);
}

void TFeedTextWriter::MakeRoom(std::size_t bytes) {
  if (Buffer.size() - Written < bytes) Grow(bytes);
}

void TFeedTextWriter::Grow(std::size_t bytes) {
  Buffer.resize(std::max(Written + bytes, 2 * Buffer.size()));
}

char* TFeedTextWriter::Transliterate(char32_t character, char* out) {
  Written = static_cast<std::size_t>(out - Buffer.data());
  char utf8[4];
  Transliterated.clear();
  Fallback.Append(std::string_view(utf8, EncodeUtf8(character, utf8)), Transliterated);
  MakeRoom(Transliterated.size());
  if (KeptFrom == std::string::npos) KeptFrom = Written;
  std::memcpy(Buffer.data() + Written, Transliterated.data(), Transliterated.size());
  Written += Transliterated.size();
  KeptTo = Written;
  return Buffer.data() + Written;
}

// The loop over a padded text.
struct TFeedTextWriter::TPaddedScan {
  template <class TBlocks, bool kResolveReferences>
  static const unsigned char* Add(TFeedTextWriter& writer, const unsigned char* in);
};

template <bool kResolveReferences>
const unsigned char* TFeedTextWriter::AddPadded(const unsigned char* in) {
  return TPaddedScan::Add<TTextBlocks, kResolveReferences>(*this, in);
}

template <class TBlocks, bool kResolveReferences>
const unsigned char* TFeedTextWriter::TPaddedScan::Add(TFeedTextWriter& writer,
                                                       const unsigned char* in) {
  // The text is not measured first: that would be a pass over it of its own. Instead the
  // room in the buffer is checked before each block is stored, and a special byte writes at
  // most two bytes (a line feed becomes CR LF) before the next check. Only a transliteration
  // can need more, and it makes its own room. The loop keeps the position in the buffer in a
  // local pointer: stores through a char pointer would otherwise make the compiler reload the
  // buffer's address after each.
  constexpr std::size_t kSize = TBlocks::kSize;
  constexpr std::size_t kRoom = kSize + 2;
  writer.MakeRoom(4 * kRoom);
  char* out = writer.Buffer.data() + writer.Written;
  // The last place a block may be stored at.
  const char* last = writer.Buffer.data() + writer.Buffer.size() - kRoom;
  const auto makeRoom = [&writer, &out, &last] {
    writer.Written = static_cast<std::size_t>(out - writer.Buffer.data());
    writer.Grow(kRoom);
    out = writer.Buffer.data() + writer.Written;
    last = writer.Buffer.data() + writer.Buffer.size() - kRoom;
  };
  // Writes a character from a multi-byte sequence or a reference.
  const auto writeCharacter = [&writer, &out, &last](char32_t character) {
    if (int mapped = Windows1252ByteOf(character); mapped >= 0) {
      *out++ = static_cast<char>(mapped);
    } else {
      out = writer.Transliterate(character, out);
      last = writer.Buffer.data() + writer.Buffer.size() - kRoom;
    }
  };

  // The position after the last CR: a line feed there belongs to its line break.
  const unsigned char* afterCarriageReturn = writer.AfterCarriageReturn ? in : nullptr;
  const unsigned char* at = in;
  while (true) {
    // Runs of plain text are most of every piece: each block is copied before it is looked
    // at. The NUL at the end is special too, so the scan needs no check of its own for the end.
    if (out > last) makeRoom();
    const unsigned char* const block = at;
    unsigned special = TBlocks::template Copy<kResolveReferences>(block, out);
    if (special == 0) {
      at += kSize;
      out += kSize;
      continue;
    }
    // The special bytes of the block are taken from its marks one after the other, and the
    // rest of the block is stored again behind what each of them wrote. Where the next one
    // stands is known from the marks at once: it does not wait for the block to be read again
    // from where the one before ended.
    while (true) {
      const unsigned char* specialAt = block + std::countr_zero(special);
      out += specialAt - at;
      at = specialAt;

      // A multi-byte sequence or a reference may be looked at past the end: the NUL there
      // fails every test for a continuation byte or a digit.
      const unsigned char byte = *at;
      if (byte >= 0x80) {
        // The accented letters U+00C0..U+00FF, the signs U+00A0..U+00BF and the typographic
        // quotes and dashes of U+2000..U+203F come first: they are nearly all of a feed's text
        // outside ASCII.
        const unsigned char next = at[1];
        unsigned char punctuation = 0;
        if (byte == 0xC3 && (next & 0xC0) == 0x80) {
          *out++ = static_cast<char>(next + 0x40);
          at += 2;
        } else if (byte == 0xC2 && next >= 0xA0 && next <= 0xBF) {
          *out++ = static_cast<char>(next);
          at += 2;
        } else if (byte == 0xE2 && next == 0x80 && (at[2] & 0xC0) == 0x80 &&
                   (punctuation = kGeneralPunctuation[at[2] & 0x3F]) != 0) {
          *out++ = static_cast<char>(punctuation);
          at += 3;
        } else if (std::size_t length = WellFormedUtf8SequenceLength(at, 4); length == 0) {
          // The NUL after the text is no continuation byte: a sequence cut short by the end
          // of the text fails on it, so the count of bytes left need not be known.
          *out++ = '?';
          writer.AllWellFormed = false;
          ++at;
        } else {
          const char32_t character = DecodeUtf8Sequence(at, length);
          at += length;
          writeCharacter(character);
        }
      } else if (byte == '\n') {
        if (at != afterCarriageReturn) out = WriteLineBreak(out);
        ++at;
      } else if (byte == '\r') {
        out = WriteLineBreak(out);
        afterCarriageReturn = ++at;
      } else if (kResolveReferences && byte == '&') {
        const TReference reference = ReferenceAt(at);
        if (reference.Length == 0) {
          *out++ = '&';
          ++at;
        } else {
          const unsigned char* start = at;
          at += reference.Length;
          if (reference.Character == '\n') {
            if (start != afterCarriageReturn) out = WriteLineBreak(out);
          } else if (reference.Character == '\r') {
            out = WriteLineBreak(out);
            afterCarriageReturn = at;
          } else {
            writeCharacter(reference.Character);
          }
        }
      } else if (byte == '\0') {
        writer.Written = static_cast<std::size_t>(out - writer.Buffer.data());
        writer.AfterCarriageReturn = afterCarriageReturn == at;
        return at;
      } else {
        // Another control byte, such as a tab.
        *out++ = static_cast<char>(byte);
        ++at;
      }

      // What the special byte took may reach past the block; otherwise its marks up to there
      // are done with.
      const auto done = static_cast<std::size_t>(at - block);
      if (done >= kSize) break;
      special &= ~0u << done;
      if (out > last) makeRoom();
      TBlocks::Store(at, out);
      if (special == 0) {
        out += block + kSize - at;
        at = block + kSize;
        break;
      }
    }
  }
}

}  // namespace tavrel
