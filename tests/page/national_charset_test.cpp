#include "page/national_charset.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/windows1252.h"

namespace tavrel {
namespace {

// Reads a tab-separated listing of tests/data/charset, skipping comment lines.
std::vector<std::vector<std::string>> ReadListing(const std::string& name) {
  const std::string path = std::string(TAVREL_TEST_DATA_DIR) + "/charset/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << path;
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
    rows.push_back(fields);
  }
  return rows;
}

int Hex(const std::string& text) { return std::stoi(text, nullptr, 16); }

// Undoes the listing's escapes: \s is a space, \\ a backslash.
std::string Unescape(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size()) {
      text.push_back(field[++i] == 's' ? ' ' : field[i]);
    } else {
      text.push_back(field[i]);
    }
  }
  return text;
}

TEST(NationalCharset, TranslationOfEveryByteMatchesTheListing) {
  std::vector<std::vector<std::string>> listing(256);
  for (const auto& row : ReadListing("translate.txt")) listing.at(Hex(row.at(0))) = row;
  for (int byte = 0; byte < 256; ++byte) {
    for (std::size_t set = 0; set < kNationalCharSets.size(); ++set) {
      SCOPED_TRACE(testing::Message()
                   << "byte " << std::hex << byte << " set " << std::dec << kNationalCharSets[set]);
      const std::string expected = listing[byte].empty() ? std::string(1, static_cast<char>(byte))
                                                         : Unescape(listing[byte].at(set + 1));
      EXPECT_EQ(TranslateChar(byte, kNationalCharSets[set], false), expected);
    }
  }
}

TEST(NationalCharset, TypedCodeOfEveryByteMatchesTheListing) {
  const auto listing = ReadListing("typed.txt");
  ASSERT_EQ(listing.size(), 128u);
  for (const auto& row : listing) {
    for (std::size_t set = 0; set < kNationalCharSets.size(); ++set) {
      SCOPED_TRACE(row[0] + " set " + std::to_string(kNationalCharSets[set]));
      EXPECT_EQ(TypedCharCode(Hex(row.at(0)), kNationalCharSets[set]), Hex(row.at(set + 1)));
    }
  }
}

TEST(NationalCharset, PositionTextsMatchTheListing) {
  const auto listing = ReadListing("positions.txt");
  ASSERT_EQ(listing.size(), 13u);
  for (const auto& row : listing) {
    for (std::size_t set = 0; set < kNationalCharSets.size(); ++set) {
      SCOPED_TRACE(row[0] + " set " + std::to_string(kNationalCharSets[set]));
      std::string text = "unchanged";
      EXPECT_TRUE(NationalCharText(Hex(row.at(0)), kNationalCharSets[set], text));
      EXPECT_EQ(text, Utf8ToWindows1252(row.at(set + 1)));
    }
  }
}

// Detection recomputed from the listed detection lists: every single byte and every pair of
// bytes from 0x80 up, against the default 6 (no language) so that "no choice" is visible.
TEST(NationalCharset, DetectionOfEveryByteAndPairMatchesTheListedLists) {
  const auto lists = ReadListing("detect.txt");
  ASSERT_EQ(lists.size(), 6u);
  const auto expected = [&](const std::string& text) {
    int best = 6;
    std::size_t bestCount = 0;
    for (const auto& row : lists) {
      const std::string list = Utf8ToWindows1252(row.at(1));
      std::size_t count = 0;
      for (char c : text)
        count += static_cast<unsigned char>(c) >= 0x80 && list.find(c) != list.npos;
      if (count > bestCount) best = std::stoi(row[0]), bestCount = count;
    }
    return best;
  };
  for (int first = 0x80; first < 256; ++first) {
    for (int second = 0x7F; second < 256; ++second) {  // 0x7F: the single byte on its own
      std::string text(1, static_cast<char>(first));
      if (second >= 0x80) text.push_back(static_cast<char>(second));
      SCOPED_TRACE(testing::Message() << std::hex << first << " " << second);
      ASSERT_EQ(DetectCharSet(text, 6), expected(text));
    }
  }
}

TEST(NationalCharset, TranslateTextExamples) {
  struct Case {
    std::string text;
    int charSet;
    bool single;
    std::string expected;
  };
  // \x65 is "e": a letter written after an escape would extend the escape.
  const Case cases[] = {
      {"Gr\xFC\xDF\x65", 8, true, "Gr}~e"},
      {"Gr\xFC\xDF\x65", 8, false, "Gr}~e"},
      {"Gr\xFC\xDF\x65", 0, false, "GrueBe"},
      {"Gr\xFC\xDF\x65", 0, true, "GruBe"},
      {"\xA9 2024", 8, false, "(C) 2024"},
      {"\xA9 2024", 8, true, "C 2024"},
      {"Caf\xE9 na\xEFve #$@[", 6, false, "Caf  na ve #$@["},
      {"\xE9\x80\xFF", 14, true, "   "},
      {"\xE9\x80\xFF", -3, false, "   "},
      {"5\x89", 0, false, "5o/oo"},
      {"5\x89", 4, false, "5o/oo "},
      {"5\x89", 4, true, "5o"},
      {"\xBC\xBD\xBE", 8, false, "1/41/23/4"},
      {"\xBC\xBD\xBE", 8, true, "   "},
      {"\xBC\xBD\xBE", 0, true, "{\\}"},
      {"\xAB\xBB\xB1\xAE\x8C\x9C", 12, true, "<> xOo"},
      {"Stra\xDF\x65", 4, true, "Strase"},
      {"#@\x7C", 8, false, "#@ "},
      {"#@\x7C", 0, false, "_@|"},
      {"Perch\xE9 c'\xE8", 12, false, "Perch@ c'}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " in " + std::to_string(c.charSet));
    EXPECT_EQ(TranslateText(c.text, c.charSet, c.single), c.expected);
  }
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte.push_back(static_cast<char>(byte));
  for (int charSet : {0, 2, 4, 6, 8, 10, 12, 14, 255}) {
    SCOPED_TRACE(charSet);
    EXPECT_EQ(TranslateText(everyByte, charSet, true).size(), everyByte.size());
  }
}

TEST(NationalCharset, TypedCodeTextAndDetectionExamples) {
  struct Typed {
    int byte, charSet, expected;
  };
  const Typed typed[] = {
      {0xE4, 8, 0x7B}, {0xE4, 4, 0x7B}, {0xE4, 0, 'a'},  {0x80, 0, 0x80}, {0x80, 10, 0x80},
      {0x80, 6, 0x80}, {0xE4, 6, 0x20}, {0xBA, 8, 0x60}, {0xBA, 12, '['}, {0xBA, 0, 0x20},
      {0x41, 8, 0x41}, {0x87, 2, 0x87}, {0x88, 0, 0x20},
  };
  for (const Typed& t : typed) {
    SCOPED_TRACE(testing::Message() << std::hex << t.byte << " in " << std::dec << t.charSet);
    EXPECT_EQ(TypedCharCode(t.byte, t.charSet), t.expected);
  }
  for (int charSet : kNationalCharSets) EXPECT_EQ(TypedCharCode(0xB0, charSet), 0x20);

  struct Text {
    int code, charSet;
    std::string expected;
  };
  const Text texts[] = {{0x40, 8, "\xA7"},      {0x5B, 0, "<-"},   {0x41, 8, "unchanged"},
                        {0x40, 6, "unchanged"}, {0x60, 0, "\x97"}, {0x23, 2, "\xE9"}};
  for (const Text& t : texts) {
    SCOPED_TRACE(testing::Message() << std::hex << t.code << " in " << std::dec << t.charSet);
    std::string text = "unchanged";
    EXPECT_EQ(NationalCharText(t.code, t.charSet, text), t.expected != "unchanged");
    EXPECT_EQ(text, t.expected);
  }

  struct Detect {
    std::string text;
    int defaultCharSet, expected;
  };
  const Detect detects[] = {
      {"Stra\xDF\x65 gr\xF6\xDF\x65r", 12, 8},
      {"\xE4 und \xE9", 2, 8},
      {"M\xFCller@example", 8, 0},
      {"plain text #$", 12, 12},
      {"", 4, 4},
      {"\xE9t\xE9", 8, 12},
      {"\xE5", 8, 4},
      {"\xF1", 8, 10},
      {"\xA3 5", 8, 0},
      {"\x80 5", 10, 10},
      {"\xEE\xEE\xE4", 8, 2},
  };
  for (const Detect& d : detects) {
    SCOPED_TRACE(d.text);
    EXPECT_EQ(DetectCharSet(d.text, d.defaultCharSet), d.expected);
  }
}

}  // namespace
}  // namespace tavrel
