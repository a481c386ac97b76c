#include "support/text_encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/error.h"
#include "testing/utf8.h"

namespace tavrel {
namespace {

using tavrel::testing::Utf8Of;

TEST(TextEncoding, DetectsTheEncodingFromMarkFirstBytesOrDeclaration) {
  struct Case {
    std::string Document;
    std::string Name;
    std::size_t MarkLength;
    TEncodingSource Source;
  };
  using S = TEncodingSource;
  const std::vector<Case> cases = {
      {"<root/>", "UTF-8", 0, S::Default},
      {"", "UTF-8", 0, S::Default},
      {"\xEF\xBB\xBF<root/>", "UTF-8", 3, S::ByteOrderMark},
      {std::string("\xFF\xFE<\0", 4), "UTF-16LE", 2, S::ByteOrderMark},
      {std::string("\xFE\xFF\0<", 4), "UTF-16BE", 2, S::ByteOrderMark},
      {std::string("\xFF\xFE\0\0<\0\0\0", 8), "UTF-32LE", 4, S::ByteOrderMark},
      {std::string("\0\0\xFE\xFF\0\0\0<", 8), "UTF-32BE", 4, S::ByteOrderMark},
      {std::string("<\0?\0x\0", 6), "UTF-16LE", 0, S::FirstBytes},
      {std::string("\0<\0?\0x", 6), "UTF-16BE", 0, S::FirstBytes},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><r/>", "ISO-8859-2", 0, S::Declaration},
      {"<?xml version='1.0' encoding = 'windows-1252' ?>", "windows-1252", 0, S::Declaration},
      {"<?xml\nversion=\"1.0\"\n\tencoding=\"latin1\"?>", "latin1", 0, S::Declaration},
      // A mark outranks the declaration.
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "UTF-8", 3, S::ByteOrderMark},
      // What is not a declaration naming an encoding leaves the XML default.
      {"<?xml version=\"1.0\"?><r/>", "UTF-8", 0, S::Default},
      {"<?xml-stylesheet encoding=\"latin1\"?>", "UTF-8", 0, S::Default},
      {" <?xml version=\"1.0\" encoding=\"latin1\"?>", "UTF-8", 0, S::Default},
      {"<?xml version=\"1.0\" encoding=\"latin1\"", "UTF-8", 0, S::Default},
      {"<?xml version=\"1.0\" encoding=\"\"?>", "UTF-8", 0, S::Default},
      {"<?xml version=\"1.0\" encoding=\"a b\"?>", "UTF-8", 0, S::Default},
      {"<?xml version=\"1.0\" myencoding=\"latin1\"?>", "UTF-8", 0, S::Default},
      {"<?xml version=\"1.0\"?><r encoding=\"latin1\"/>", "UTF-8", 0, S::Default},
      {"<?xml version=\"1.0\"" + std::string(2000, ' ') + "encoding=\"latin1\"?>", "UTF-8", 0,
       S::Default},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Document.substr(0, 60));
    TDocumentEncoding found = DetectDocumentEncoding(row.Document);
    EXPECT_EQ(found.Name, row.Name);
    EXPECT_EQ(found.ByteOrderMarkLength, row.MarkLength);
    EXPECT_EQ(found.Source, row.Source);
  }
}

// The validator agrees with glibc's own UTF-8 decoder on random byte strings made mostly of
// bytes that occur in UTF-8, so that near misses are frequent.
TEST(TextEncoding, FindInvalidUtf8AgreesWithIconv) {
  // ASCII is over-represented so that the 8- and 32-byte steps over ASCII runs are exercised.
  const unsigned char interesting[] = {'a',  'a',  'a',  'a',  'a',  ' ',  0x7F, 0x80, 0x8F, 0x90,
                                       0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED,
                                       0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> length(1, 80);
  std::uniform_int_distribution<int> pick(0, sizeof interesting - 1);
  TIconv oracle("UTF-32LE", "UTF-8");
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += static_cast<char>(interesting[pick(random)]);
    std::string ignored;
    TConversionFailure failure = oracle.Convert(text, ignored);
    std::size_t expected = failure ? failure.InputOffset : std::string::npos;
    ASSERT_EQ(FindInvalidUtf8(text), expected) << ::testing::PrintToString(text);
  }
}

TEST(TextEncoding, PositionInUtf8CountsLinesAndCharacters) {
  struct Case {
    std::string Text;
    std::size_t Offset;
    long Line;
    long Column;
  };
  const std::vector<Case> cases = {
      {"abc", 0, 1, 1},
      {"abc", 2, 1, 3},
      {"ab\ncd", 3, 2, 1},
      {"ab\r\ncd\n\nx", 8, 4, 1},
      {"\xC3\xA9\xC3\xA9x", 4, 1, 3},  // two-byte characters count once
      {"a\n\xE2\x82\xAC"
       "b",
       5, 2, 2},
      {"abc", 99, 1, 4},  // clamped to the end
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row.Text) + " at " + std::to_string(row.Offset));
    TTextPosition position = PositionInUtf8(row.Text, row.Offset);
    EXPECT_EQ(position.Line, row.Line);
    EXPECT_EQ(position.Column, row.Column);
  }
}

// Every character Windows-1252 has must map exactly as iconv maps it; the converter's own
// table is only a shortcut past iconv.
TEST(TextEncoding, Windows1252ConversionAgreesWithIconvForEveryCharacter) {
  TWindows1252Transliterator converter;
  TIconv strict("WINDOWS-1252", "UTF-8");
  int mapped = 0;
  for (char32_t c = 1; c < 0x30000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string utf8 = Utf8Of(c);
    std::string expected;
    if (strict.Convert(utf8, expected)) continue;  // not in the code page
    ++mapped;
    ASSERT_EQ(converter.Convert(utf8), expected) << "U+" << std::hex << unsigned(c);
  }
  EXPECT_EQ(mapped, 250);  // bytes 1..255, less the five the code page leaves undefined
}

TEST(TextEncoding, TransliteratesWhatWindows1252Lacks) {
  struct Case {
    std::string Utf8;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"\xC5\x82\xC5\x81", "lL"},  // ł Ł
      {"\xC5\x91\xC5\xB1", "ou"},  // ő ű
      {"\xC4\x8D\xC5\x99", "cr"},  // č ř
      {"\xEF\xAC\x81", "fi"},      // ligature fi
      {"\xE4\xB8\xAD", "?"},       // no Latin likeness
      {"\xC2\x81", "?"},           // a C1 control, not a 1252 character
      {"a\xE2\x80\x99"
       "b\xE2\x82\xAC",
       "a\x92"
       "b\x80"},  // in the code page: no change
      {"tab\tand\r\nbreaks", "tab\tand\r\nbreaks"},
  };
  TWindows1252Transliterator converter;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Utf8);
    EXPECT_EQ(converter.Convert(row.Utf8), row.Expected);
  }
}

// Line breaks become CR LF wherever they fall relative to the blocks the converter scans, and
// the characters around them convert as iconv converts them. The oracle normalises the line
// breaks one character at a time and converts with iconv.
TEST(TextEncoding, AppendLinesAgreesWithIconvAroundLineBreaks) {
  const std::vector<std::string> pieces = {"a",
                                           "b",
                                           " ",
                                           "\n",
                                           "\r",
                                           "\r\n",
                                           "\xC3\xA9",
                                           "\xE2\x80\x99",
                                           "\xE2\x82\xAC",
                                           "0123456789abcdef"};
  std::mt19937 random(7);
  std::uniform_int_distribution<int> count(0, 40);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  TWindows1252Transliterator converter;
  TIconv oracle("WINDOWS-1252", "UTF-8");
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int n = count(random); n > 0; --n) text += pieces[pick(random)];
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        lines += "\r\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        lines += text[i];
      }
    }
    std::string expected;
    ASSERT_FALSE(oracle.Convert(lines, expected));
    std::string out = "kept";
    ASSERT_TRUE(converter.AppendLines(text, out));
    ASSERT_EQ(out, "kept" + expected) << ::testing::PrintToString(text);
  }
}

TEST(TextEncoding, AppendMarksMalformedInputAndKeepsGoing) {
  struct Case {
    std::string Utf8;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"caf\xE9 au lait", "caf? au lait"},
      {"\xC3\xA9\xC3", "\xE9?"},
      {"ab\xED\xA0\x80"
       "cd",
       "ab???cd"},
  };
  TWindows1252Transliterator converter;
  for (const Case& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row.Utf8));
    std::string out;
    EXPECT_FALSE(converter.Append(row.Utf8, out));
    EXPECT_EQ(out, row.Expected);
    EXPECT_THROW(converter.Convert(row.Utf8), Error);
  }
}

TEST(TextEncoding, IconvReportsWhereAConversionStops) {
  struct Case {
    const char* From;
    std::string Input;
    TConversionFailure::TKind Kind;
    std::size_t Offset;
    std::string Output;
  };
  using K = TConversionFailure::TKind;
  const std::vector<Case> cases = {
      {"ISO-8859-2", "\xA3\xF3", K::None, 0, "\xC5\x81\xC3\xB3"},
      {"WINDOWS-1252",
       "ab\x81"
       "c",
       K::InvalidSequence, 2, "ab"},
      {"UTF-16LE", std::string("a\0b", 3), K::TruncatedSequence, 2, "a"},
      {"UTF-8", "ok\xFF", K::InvalidSequence, 2, "ok"},
      {"UTF-8", std::string(100000, 'x'), K::None, 0, std::string(100000, 'x')},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(std::string(row.From) + " " + row.Input.substr(0, 10));
    TIconv converter("UTF-8", row.From);
    std::string output = "";
    TConversionFailure failure = converter.Convert(row.Input, output);
    EXPECT_EQ(failure.Kind, row.Kind);
    EXPECT_EQ(failure.InputOffset, row.Offset);
    EXPECT_EQ(output, row.Output);
  }
  EXPECT_THROW(TIconv("UTF-8", "x-no-such-code"), Error);
  EXPECT_FALSE(TIconv::Supports("x-no-such-code"));
  EXPECT_TRUE(TIconv::Supports("windows-1250"));
}

}  // namespace
}  // namespace tavrel
