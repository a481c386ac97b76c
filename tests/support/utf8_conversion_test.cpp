// The UTF-8 decoding that every conversion to Windows-1252 rests on, checked byte-exact against
// glibc's iconv: the decoder's tables must accept and reject exactly what iconv does, and
// whole runs of text must come out as iconv's //TRANSLIT writes them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/text_encoding.h"
#include "testing/utf8.h"

namespace tavrel {
namespace {

using tavrel::testing::Utf8Of;

// Every lead byte from 0x80 up with every second byte, followed by bytes that do or do not
// continue a sequence, cut short at each length: the sequence length and the character must be
// what glibc's decoder makes of the first character, and 0 wherever it refuses it.
TEST(Utf8Conversion, SequenceLengthAndCharacterAgreeWithIconv) {
  // A continuation byte at either end of its range, and bytes just outside it.
  const std::vector<unsigned char> laterBytes = {0x80, 0xBF, 0x7F, 0xC0};
  const std::vector<unsigned char> continuationOnly = {0x80};
  TIconv oracle("UTF-32LE", "UTF-8");
  int accepted = 0;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    // Third and fourth bytes only matter behind leads of three and four bytes.
    const auto& thirds = lead >= 0xE0 ? laterBytes : continuationOnly;
    const auto& fourths = lead >= 0xF0 ? laterBytes : continuationOnly;
    for (unsigned second = 0; second <= 0xFF; ++second) {
      for (unsigned char third : thirds) {
        for (unsigned char fourth : fourths) {
          const unsigned char bytes[4] = {static_cast<unsigned char>(lead),
                                          static_cast<unsigned char>(second), third, fourth};
          for (std::size_t available = 1; available <= 4; ++available) {
            std::string decoded;
            oracle.Convert(std::string_view(reinterpret_cast<const char*>(bytes), available),
                           decoded);
            std::size_t expectedLength = 0;
            char32_t expected = 0;
            if (decoded.size() >= 4) {
              std::uint32_t value;
              std::memcpy(&value, decoded.data(), 4);
              expected = static_cast<char32_t>(value);
              expectedLength = Utf8Of(expected).size();
            }
            SCOPED_TRACE(::testing::Message()
                         << std::hex << lead << " " << second << " " << unsigned(third) << " "
                         << unsigned(fourth) << " of " << available);
            std::size_t length = WellFormedUtf8SequenceLength(bytes, available);
            ASSERT_EQ(length, expectedLength);
            if (length != 0) {
              ASSERT_EQ(DecodeUtf8Sequence(bytes, length), expected);
              ++accepted;
            }
          }
        }
      }
    }
  }
  // The oracle does accept sequences, so this is not agreement on refusing everything.
  EXPECT_GT(accepted, 10000);
}

// Blocks of characters converted as one run, as the feed's texts are: ASCII runs, the code
// page's own characters, what //TRANSLIT spells in Latin letters, and what it cannot spell. The
// oracle is iconv one character at a time, except that a character iconv drops without a trace
// (zero-width spaces, direction marks) becomes "?": text never vanishes from a page unseen.
TEST(Utf8Conversion, Windows1252ConversionOfWholeBlocksAgreesWithIconv) {
  struct Block {
    const char* Name;
    char32_t First;
    char32_t Last;
  };
  const std::vector<Block> blocks = {
      {"ASCII", 0x20, 0x7E},
      {"Latin-1", 0xA0, 0xFF},
      {"Latin Extended-A", 0x100, 0x17F},
      {"Latin Extended-B", 0x180, 0x24F},
      {"Greek", 0x370, 0x3FF},
      {"typographic punctuation", 0x2000, 0x206F},
      {"currency signs", 0x20A0, 0x20C0},
      {"letterlike symbols", 0x2100, 0x214F},
      {"CJK", 0x4E00, 0x4FFF},
      {"emoji", 0x1F300, 0x1F64F},
  };
  TWindows1252Transliterator converter;
  TIconv oracle("WINDOWS-1252//TRANSLIT", "UTF-8");
  int dropped = 0;
  for (const Block& block : blocks) {
    SCOPED_TRACE(block.Name);
    // Each character between two letters, so that it also splits a run of ASCII.
    std::string text;
    std::string expected;
    for (char32_t c = block.First; c <= block.Last; ++c) {
      text += "a" + Utf8Of(c) + "b";
      std::string one;
      ASSERT_FALSE(oracle.Convert(Utf8Of(c), one)) << std::hex << unsigned(c);
      if (one.empty()) {
        one = "?";
        ++dropped;
      }
      expected += "a" + one + "b";
    }
    EXPECT_EQ(converter.Convert(text), expected);
  }
  // Only a handful of invisible characters are dropped by iconv; the rest is its own output.
  EXPECT_LT(dropped, 40);
}

// Malformed input: glibc's decoder refuses every one of these sequences, and the converter turns
// each byte that does not belong to a well-formed sequence into "?" and goes on with the text.
TEST(Utf8Conversion, MalformedSequencesAreRefusedLikeIconvAndMarkedPerByte) {
  struct Case {
    std::string Bytes;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"\x80", "?"},                 // continuation byte without lead
      {"\xC0\xAF", "??"},            // overlong "/"
      {"\xC1\xBF", "??"},            // overlong, lead never valid
      {"\xE0\x80\xAF", "???"},       // overlong three-byte form
      {"\xED\xA0\x80", "???"},       // surrogate
      {"\xF0\x80\x80\xAF", "????"},  // overlong four-byte form
      {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
      {"\xF5\x80\x80\x80", "????"},  // lead never valid
      {"\xC3", "?"},                 // cut short
      {"\xE2\x82", "??"},            // cut short
      {"\xE2\x82x", "??x"},          // cut short by a letter
      {"\xF0\x9F\x98", "???"},       // emoji cut short
      {"\xFF\xFE", "??"},            // bytes UTF-8 never uses
  };
  TWindows1252Transliterator converter;
  TIconv oracle("UTF-32LE", "UTF-8");
  for (const Case& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row.Bytes));
    std::string ignored;
    EXPECT_TRUE(oracle.Convert(row.Bytes, ignored)) << "iconv accepted the sequence";
    // Between well-formed text on both sides, the marks must not swallow a neighbour.
    std::string out;
    EXPECT_FALSE(converter.Append("caf\xC3\xA9 " + row.Bytes + " \xE2\x80\x99", out));
    EXPECT_EQ(out, "caf\xE9 " + row.Expected + " \x92");
  }
}

}  // namespace
}  // namespace tavrel
