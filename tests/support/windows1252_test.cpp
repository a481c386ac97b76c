#include "support/windows1252.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/windows1252_check.h"

namespace tavrel {
namespace {

// The C library's converter is the independent reference for the code page.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    EXPECT_NE(handle_, reinterpret_cast<iconv_t>(-1)) << "iconv cannot convert " << from;
  }
  ~Iconv() { iconv_close(handle_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // The converted bytes, or nothing when the converter rejects the input.
  std::optional<std::string> Convert(std::string in) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string out(16, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
  }

 private:
  iconv_t handle_;
};

std::string Utf32(char32_t c) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(c >> shift));
  return bytes;
}

TEST(Windows1252, EveryByteDecodesAsTheCLibraryDoes) {
  Iconv toUtf8("UTF-8", "WINDOWS-1252");
  Iconv toUtf32("UTF-32LE", "WINDOWS-1252");
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) {
    SCOPED_TRACE(byte);
    const std::string in(1, static_cast<char>(byte));
    everyByte += in;
    const std::optional<std::string> utf8 = toUtf8.Convert(in);
    const std::optional<std::string> utf32 = toUtf32.Convert(in);
    if (utf8 && utf32) {
      EXPECT_EQ(Windows1252ToUtf8(in), *utf8);
      EXPECT_EQ(Utf32(Windows1252ToUnicode(byte)), *utf32);
    } else {
      // Undefined in the code page: kept as the C1 control of the same value.
      EXPECT_TRUE(byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D);
      EXPECT_EQ(Windows1252ToUnicode(byte), static_cast<char32_t>(byte));
    }
  }
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(everyByte)), everyByte);
  EXPECT_EQ(Utf32ToWindows1252(Windows1252ToUtf32(everyByte)), everyByte);
}

TEST(Windows1252, EveryCharacterEncodesAsTheCLibraryDoes) {
  Iconv fromUtf32("WINDOWS-1252", "UTF-32LE");
  for (char32_t c = 0; c < 0x11000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    SCOPED_TRACE(static_cast<unsigned>(c));
    const std::optional<std::string> reference = fromUtf32.Convert(Utf32(c));
    const std::optional<std::uint8_t> ours = UnicodeToWindows1252(c);
    // The code page proper, as the feed reader encodes with it, is exactly iconv's.
    const int strict = Windows1252ByteOf(c);
    if (reference) {
      ASSERT_TRUE(ours);
      EXPECT_EQ(static_cast<char>(*ours), reference->at(0));
      EXPECT_EQ(static_cast<char>(strict), reference->at(0));
    } else if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) {
      // Only the edges carry the undefined bytes, as their C1 controls.
      EXPECT_EQ(ours, static_cast<std::uint8_t>(c));
      EXPECT_EQ(strict, -1);
    } else {
      ASSERT_FALSE(ours);
      ASSERT_EQ(strict, -1);
    }
  }
}

TEST(Windows1252, MalformedOrForeignUtf8IsReplacedAndCounted) {
  struct Case {
    std::string utf8;
    std::string expected;
    std::size_t replaced;
  };
  // \x65 is "e" and \x41 "A", written so because a letter after an escape would extend it.
  const Case cases[] = {
      {"Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC", "Gr\xFC\xDF\x65 \x80", 0},
      {"\xC2\x81\xC2\x9D", "\x81\x9D", 0},  // undefined bytes come back
      {"\xC2\x80", "?", 1},                 // U+0080 has no byte
      {"\xE6\x97\xA5 x", "? x", 1},         // a character the code page lacks
      {"A\xC3", "A?", 1},                   // truncated at the end
      {"\xE2\x82\x41", "??A", 2},           // truncated in the middle
      {"\xC0\xAF", "??", 2},                // overlong
      {"\xED\xA0\x80", "???", 3},           // surrogate
      {"\xF4\x90\x80\x80", "????", 4},      // above U+10FFFF
      {"\xF0\x9F\x98\x80!", "?!", 1},       // outside the basic plane
      {"\x80\xBF", "??", 2},                // stray continuation bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::size_t replaced = 99;
    EXPECT_EQ(Utf8ToWindows1252(c.utf8, '?', &replaced), c.expected);
    EXPECT_EQ(replaced, c.replaced);
  }
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

// Text a setting keeps in Windows-1252 is refused with the characters named, never stored with
// "?": the rule the dialogs apply to category names, prompts and the server's fields.
TEST(CheckWindows1252Fields, NamesTheFirstFieldAndEveryCharacterTheCodePageLacks) {
  struct Case {
    const char* Name;
    std::vector<TTextField> Fields;
    bool Ok;
    std::size_t Field;
    std::string Message;
  };
  const std::vector<Case> cases = {
      {"Latin letters and the code page's typography pass",
       {{"Category", U"Värnex sändare é ß – € “x”"}},
       true,
       0,
       ""},
      {"Cyrillic, each letter once",
       {{"Category", U"Пресса"}},
       false,
       0,
       "Category \"Пресса\" holds characters that Windows-1252 lacks: \"П\" (U+041F), "
       "\"р\" (U+0440), \"е\" (U+0435), \"с\" (U+0441), \"а\" (U+0430). Teletext pages cannot "
       "show them; please use other characters."},
      {"the first failing field is named",
       {{"Name", U"Värnex"}, {"FTP Host", U"host"}, {"Prompt 2", U"Värnex sändare ✓"}},
       false,
       2,
       "Prompt 2 \"Värnex sändare ✓\" holds characters that Windows-1252 lacks: \"✓\" (U+2713). "
       "Teletext pages cannot show them; please use other characters."},
      {"a character beyond the basic plane",
       {{"Category", U"x😀"}},
       false,
       0,
       "Category \"x😀\" holds characters that Windows-1252 lacks: \"😀\" (U+1F600). Teletext "
       "pages cannot show them; please use other characters."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const TTextFieldsCheck check = CheckWindows1252Fields(c.Fields);
    EXPECT_EQ(check.Ok, c.Ok);
    if (!c.Ok) {
      EXPECT_EQ(check.Field, c.Field);
    }
    EXPECT_EQ(check.Message, c.Message);
  }
  EXPECT_EQ(CharactersWindows1252Lacks(U"ΕλλάδαΕ"), U"Ελάδα");
}

}  // namespace
}  // namespace tavrel
