#include "support/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrel {
namespace {

TEST(TextUtils, ZeroPadInt) {
  struct Case {
    std::int64_t N;
    int Width;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {7, 3, "007"}, {1234, 3, "1234"}, {0, 2, "00"},   {5, 0, "5"},
      {12, 2, "12"}, {-5, 4, "00-5"},   {1, 4, "0001"}, {1000, 3, "1000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Expected);
    EXPECT_EQ(ZeroPadInt(c.N, c.Width), c.Expected);
  }
}

TEST(TextUtils, TrimTrailingAndTrimBlanks) {
  struct Case {
    std::string Text;
    std::string Trailing;
    std::string Both;
  };
  const std::vector<Case> cases = {
      {"", "", ""},
      {"   ", "", ""},
      {" a b \t\r\n\x01", " a b", "a b"},
      {"\x1F"
       "x!",
       "\x1F"
       "x!",
       "x!"},
      {"x\xA0", "x\xA0", "x\xA0"},  // 0xA0 is a character of Windows-1252, not a blank
      {"\x7F ", "\x7F", "\x7F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(TrimTrailing(c.Text), c.Trailing);
    EXPECT_EQ(std::string(TrimBlanks(c.Text)), c.Both);
  }
}

TEST(TextUtils, StrToIntOrZero) {
  struct Case {
    std::string Text;
    std::int32_t Expected;
  };
  const std::vector<Case> cases = {
      {" 12 ", 12},      {"12a", 0},
      {"", 0},           {"\t-7\r\n", -7},
      {"+3", 3},         {"-", 0},
      {"1 2", 0},        {"2147483647", 2147483647},
      {"2147483648", 0}, {"-2147483648", -2147483647 - 1},
      {"$10", 0},        {"0x10", 0},
      {"007", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(StrToIntOrZero(c.Text), c.Expected);
  }
}

TEST(TextUtils, IsValidFileName) {
  struct Case {
    std::string Text;
    bool SpacesAllowed;
    bool Expected;
  };
  std::vector<Case> cases = {
      {"", false, true},   {"tt1", false, true},     {"a b", false, false},
      {"a b", true, true}, {"caf\xE9", false, true}, {"a.b-c_d", false, true},
  };
  for (char bad : std::string("/\\:*?\"><|")) {
    cases.push_back({std::string("x") + bad + "y", true, false});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text + (c.SpacesAllowed ? " (spaces allowed)" : ""));
    EXPECT_EQ(IsValidFileName(c.Text, c.SpacesAllowed), c.Expected);
  }
}

TEST(TextUtils, StripSlashes) {
  struct Case {
    std::string Text;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"\\\\a\\b\\\\", "a\\b\\"},
      {"/a/", "a"},
      {"//", ""},
      {"", ""},
      {"a", "a"},
      {"/\\/x", "x"},
      {"x//", "x/"},
      {"\\", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(StripSlashes(c.Text), c.Expected);
  }
}

TEST(TextUtils, CaseInsensitiveComparisonIsAsciiOnly) {
  struct Case {
    std::string A;
    std::string B;
    int Order;  // sign of CompareIgnoreCase
  };
  const std::vector<Case> cases = {
      {"Settings", "SETTINGS", 0},
      {"abc", "abd", -1},
      {"B", "a", 1},
      {"ab", "abc", -1},
      {"\xE9", "\xC9", 1},  // é and É are different bytes
      {"[", "a", -1},       // "[" sorts before letters whichever case they have
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.A + " vs " + c.B);
    const int order = CompareIgnoreCase(c.A, c.B);
    EXPECT_EQ((order > 0) - (order < 0), c.Order);
    EXPECT_EQ(EqualsIgnoreCase(c.A, c.B), c.Order == 0);
  }
}

TEST(TextUtils, CaseChangesOnlyTheAsciiLetters) {
  // Every byte: the neighbours of the letter ranges ("@[`{") and the Windows-1252 letters stay.
  for (int byte = 0; byte < 256; ++byte) {
    SCOPED_TRACE(byte);
    const char c = static_cast<char>(byte);
    const bool upper = byte >= 'A' && byte <= 'Z';
    const bool lower = byte >= 'a' && byte <= 'z';
    EXPECT_EQ(ToLowerAscii(c), upper ? static_cast<char>(byte + 32) : c);
    EXPECT_EQ(ToUpperAscii(c), lower ? static_cast<char>(byte - 32) : c);
  }
}

}  // namespace
}  // namespace tavrel
