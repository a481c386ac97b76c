#include "pipeline/feed_text_writer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace tavrel {

namespace {

// The predefined entities of XML and the characters they stand for.
struct TPredefinedEntity {
  std::string_view Name;  // between "&" and ";"
  char Character;
};
constexpr TPredefinedEntity kPredefinedEntities[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"apos", '\''}, {"quot", '"'},
};

// Longest reference worth looking at: "&#x0010FFFF;" with a few leading zeros to spare.
constexpr std::size_t kLongestReference = 16;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether XML allows the character in a document; references to any other value stay as
// written instead of smuggling control codes (teletext attributes) into a page.
bool IsXmlCharacter(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The character of a numeric reference "#65" or "#x41" (the text between "&" and ";"), or
// nothing when it is not a well-formed reference to a character XML allows.
std::optional<char32_t> NumericReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return std::nullopt;
  bool hex = body[1] == 'x';
  std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF) return std::nullopt;
  }
  if (!IsXmlCharacter(value)) return std::nullopt;
  return static_cast<char32_t>(value);
}

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

// Bytes that end a run of text copied as it is.
bool IsSpecial(unsigned char byte, bool resolveReferences) {
  return byte >= 0x80 || byte == '\n' || byte == '\r' || (resolveReferences && byte == '&');
}

}  // namespace

void TFeedTextWriter::Clear() {
  Written = 0;
  AfterCarriageReturn = false;
  KeptFrom = std::string::npos;
  KeptTo = 0;
}

std::string TFeedTextWriter::Text() const {
  std::size_t first = 0;
  std::size_t last = Written;
  while (first < std::min(last, KeptFrom) && IsXmlSpace(Buffer[first])) ++first;
  while (last > std::max(first, KeptTo) && IsXmlSpace(Buffer[last - 1])) --last;
  return Buffer.substr(first, last - first);
}

void TFeedTextWriter::MakeRoom(std::size_t bytes) {
  if (Buffer.size() - Written < bytes) Buffer.resize(std::max(Written + bytes, 2 * Buffer.size()));
}

void TFeedTextWriter::LineBreak(bool carriageReturn) {
  if (!carriageReturn && AfterCarriageReturn) {
    AfterCarriageReturn = false;
    return;
  }
  MakeRoom(2);
  Buffer[Written++] = '\r';
  Buffer[Written++] = '\n';
  AfterCarriageReturn = carriageReturn;
}

void TFeedTextWriter::AddCharacter(char32_t character) {
  if (character == '\n' || character == '\r') {
    LineBreak(character == '\r');
    return;
  }
  AfterCarriageReturn = false;
  if (int byte = Windows1252ByteOf(character); byte >= 0) {
    MakeRoom(1);
    Buffer[Written++] = static_cast<char>(byte);
    return;
  }
  char utf8[4];
  Transliterated.clear();
  Fallback.Append(std::string_view(utf8, EncodeUtf8(character, utf8)), Transliterated);
  MakeRoom(Transliterated.size());
  if (KeptFrom == std::string::npos) KeptFrom = Written;
  std::memcpy(Buffer.data() + Written, Transliterated.data(), Transliterated.size());
  Written += Transliterated.size();
  KeptTo = Written;
}

std::size_t TFeedTextWriter::AddReference(std::string_view text, std::size_t amp) {
  std::size_t semicolon = text.substr(0, amp + kLongestReference).find(';', amp + 1);
  if (semicolon == std::string_view::npos) return 0;
  std::string_view body = text.substr(amp + 1, semicolon - amp - 1);
  if (std::optional<char32_t> character = NumericReference(body)) {
    AddCharacter(*character);
    return semicolon + 1;
  }
  for (const TPredefinedEntity& entity : kPredefinedEntities) {
    if (body == entity.Name) {
      AddCharacter(static_cast<unsigned char>(entity.Character));
      return semicolon + 1;
    }
  }
  return 0;
}

void TFeedTextWriter::AddParsedText(std::string_view utf8) { Add<true>(utf8); }

void TFeedTextWriter::AddCData(std::string_view utf8) { Add<false>(utf8); }

template <bool kResolveReferences>
void TFeedTextWriter::Add(std::string_view utf8) {
  const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  std::size_t i = 0;
  // White space before the text is left out anyway; skipping it here saves converting the
  // indentation of every field.
  if (Written == 0 && KeptFrom == std::string::npos) {
    while (i < size && IsXmlSpace(static_cast<char>(in[i]))) ++i;
    AfterCarriageReturn = false;
  }

  // Every byte becomes at most two (a line feed becomes CR LF); the block copy writes sixteen
  // bytes ahead of what it keeps. Only a transliteration can need more, and it makes its own
  // room. The loop works on local copies of the buffer's address and the written length:
  // stores through a char pointer would otherwise make the compiler reload both after each.
  constexpr std::size_t kBlock = 16;
  MakeRoom(2 * (size - i) + kBlock);
  char* out = Buffer.data();
  std::size_t written = Written;
  // The offset a line feed would have to stand at to belong to the CR before it.
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t lineFeedOfCarriageReturn = AfterCarriageReturn ? i : kNone;
  while (i < size) {
    // Runs of plain ASCII are most of every text. Each block is copied before it is looked at,
    // and only the part before its first special byte counts as written.
    std::size_t run = i;
    bool stopped = false;  // at a special byte
#if defined(__SSE2__)
    // As signed bytes, the bytes from 0x80 up and the control bytes up to CR (line feed and
    // carriage return among them) are all below 14: one comparison finds them.
    const __m128i controls = _mm_set1_epi8(14);
    const __m128i ampersands = _mm_set1_epi8('&');
    auto specialBytes = [&](__m128i block) {
      __m128i marked = _mm_cmplt_epi8(block, controls);
      if constexpr (kResolveReferences) {
        marked = _mm_or_si128(marked, _mm_cmpeq_epi8(block, ampersands));
      }
      return static_cast<unsigned>(_mm_movemask_epi8(marked));
    };
    while (run + kBlock <= size) {
      __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + run));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + written), block);
      if (unsigned special = specialBytes(block); special != 0) {
        std::size_t plain = static_cast<std::size_t>(__builtin_ctz(special));
        run += plain;
        written += plain;
        stopped = true;
        break;
      }
      run += kBlock;
      written += kBlock;
    }
    if (!stopped && run < size && size >= kBlock) {
      // The last bytes: the last whole block of the piece is examined from where the run
      // stands, and the plain bytes are copied.
      std::size_t seen = run - (size - kBlock);
      unsigned special =
          specialBytes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + size - kBlock))) >>
          seen;
      std::size_t plain =
          special != 0 ? static_cast<std::size_t>(__builtin_ctz(special)) : size - run;
      std::memcpy(out + written, in + run, plain);
      run += plain;
      written += plain;
      stopped = true;
    }
#endif
    if (!stopped) {
      while (run < size && !IsSpecial(in[run], kResolveReferences)) {
        out[written++] = static_cast<char>(in[run++]);
      }
    }
    i = run;
    if (i >= size) break;

    unsigned char byte = in[i];
    if (byte >= 0x80) {
      int mapped = -1;
      std::size_t length = 2;
      unsigned char next = i + 1 < size ? in[i + 1] : 0;
      if (byte == 0xC3 && (next & 0xC0) == 0x80) {
        mapped = 0xC0 | (next & 0x3F);  // U+00C0..U+00FF, the accented letters
      } else if (byte == 0xC2 && next >= 0xA0 && next <= 0xBF) {
        mapped = next;  // U+00A0..U+00BF
      } else if ((length = WellFormedUtf8SequenceLength(in + i, size - i)) != 0) {
        mapped = Windows1252ByteOf(DecodeUtf8Sequence(in + i, length));
      }
      if (mapped >= 0) {
        out[written++] = static_cast<char>(mapped);
        i += length;
        continue;
      }
    } else if (byte == '\n' || byte == '\r') {
      // Line breaks are as common as lines; handled here rather than in LineBreak.
      if (byte == '\r' || i != lineFeedOfCarriageReturn) {
        out[written++] = '\r';
        out[written++] = '\n';
      }
      ++i;
      if (byte == '\r') lineFeedOfCarriageReturn = i;
      continue;
    } else if (byte != '&' || !kResolveReferences) {
      // Another control byte the block test stopped at, such as a tab.
      out[written++] = static_cast<char>(byte);
      ++i;
      continue;
    }
    // The rare cases go through the members: references, transliterations and malformed bytes.
    Written = written;
    AfterCarriageReturn = i == lineFeedOfCarriageReturn;
    if (byte == '&') {
      std::size_t after = AddReference(utf8, i);
      if (after == 0) {
        AddCharacter('&');
        ++i;
      } else {
        i = after;
      }
    } else if (std::size_t length = WellFormedUtf8SequenceLength(in + i, size - i); length != 0) {
      AddCharacter(DecodeUtf8Sequence(in + i, length));
      i += length;
    } else {
      AddCharacter('?');
      AllWellFormed = false;
      ++i;
    }
    MakeRoom(2 * (size - i) + kBlock);
    out = Buffer.data();
    written = Written;
    lineFeedOfCarriageReturn = AfterCarriageReturn ? i : kNone;
  }
  Written = written;
  AfterCarriageReturn = size == lineFeedOfCarriageReturn;
}

}  // namespace tavrel
