#include "pipeline/feed_text_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/text_encoding.h"

namespace tavrel {
namespace {

// One piece of character data as the parser hands it over.
struct TPiece {
  bool CData;
  std::string Utf8;
};

TEST(FeedTextWriter, ResolvesConvertsAndTrimsInOnePass) {
  struct Case {
    const char* Name;
    std::vector<TPiece> Pieces;
    std::string Expected;
    bool WellFormed;
  };
  const std::vector<Case> cases = {
      {"indentation goes, inner white space stays",
       {{false, "\n      Rain  all\tday.\n      "}},
       "Rain  all\tday.",
       true},
      {"every kind of line break becomes CR LF once",
       {{false, "a\nb\rc\r\nd\n\re\r\r\nf"}},
       "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf",
       true},
      {"a CR from a reference and the LF after it are one line break",
       {{false, "a&#13;\nb&#xD;&#10;c"}},
       "a\r\nb\r\nc",
       true},
      {"a CR ending one piece and an LF starting the next are one line break",
       {{false, "a&#13;"}, {true, "\nb"}},
       "a\r\nb",
       true},
      {"entities and references resolve in parsed text only",
       {{false, "&lt;&amp;&gt;&apos;&quot;&#233;&#xE9;&#x2019;"}, {true, "&amp;&#233;"}},
       "<&>'\"\xE9\xE9\x92&amp;&#233;",
       true},
      {"what is not a reference to an XML character stays as written",
       {{false, "&#0; &nbsp; &#65 &#xD800; &#x110000; &#; & a&amp;"}},
       "&#0; &nbsp; &#65 &#xD800; &#x110000; &#; & a&",
       true},
      {"references to white space at the edges are trimmed like white space",
       {{false, "&#32;&#10;a&#9;b&#32;"}},
       "a\tb",
       true},
      {"white space a transliteration produced at the edges stays",
       {{false, "\xE2\x80\x82x\xE2\x80\x83"}},
       " x ",
       true},
      {"characters Windows-1252 lacks are transliterated, C1 controls are not characters of it",
       {{false,
         "\xC5\x81\xC3\xB3"
         "d\xC5\xBA &#x142;&#133;\xC2\x85"}},
       "L\xF3"
       "dz l??",
       true},
      {"the two-byte shortcuts stop at the edges of Latin-1",
       {{false, "\xC2\xA0\xC2\xBF\xC3\x80\xC3\xBF\xC2\x9F"}},
       "\xA0\xBF\xC0\xFF?",
       true},
      {"malformed bytes become question marks and are reported",
       {{false, "caf\xE9 \xC3"}},
       "caf? ?",
       false},
      {"a character split over two pieces is malformed",
       {{false, "\xC3"}, {true, "\xA9"}},
       "??",
       false},
      {"white space alone gives an empty text", {{false, " \r\n\t"}, {true, "  "}}, "", true},
      {"leading white space spans pieces", {{true, " \n"}, {false, "  x"}}, "x", true},
  };
  TFeedTextWriter writer;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TFeedTextWriter fresh;
    // The same writer serves every text of a feed; a fresh one must agree with it.
    for (TFeedTextWriter* w : {&writer, &fresh}) {
      w->Clear();
      for (const TPiece& piece : row.Pieces) {
        piece.CData ? w->AddCData(piece.Utf8) : w->AddParsedText(piece.Utf8);
      }
      EXPECT_EQ(w->Text(), row.Expected);
    }
    EXPECT_EQ(fresh.WellFormed(), row.WellFormed);
  }
}

// Texts of random length and make-up against an oracle that resolves, trims and normalises
// one token at a time and converts with iconv, so that every special byte falls at every place
// in and across the blocks the writer copies.
TEST(FeedTextWriter, AgreesWithIconvOverRandomTexts) {
  struct TToken {
    std::string Parsed;    // as written in parsed text
    std::string Resolved;  // the UTF-8 it stands for
  };
  const std::vector<TToken> tokens = {
      {"a", "a"},
      {"Z", "Z"},
      {" ", " "},
      {"\t", "\t"},
      {"\n", "\n"},
      {"\r", "\r"},
      {"\r\n", "\r\n"},
      {"&amp;", "&"},
      {"&#10;", "\n"},
      {"&#13;", "\r"},
      {"&#x20AC;", "\xE2\x82\xAC"},
      {"\xC3\xA9", "\xC3\xA9"},
      {"\xC2\xA0", "\xC2\xA0"},
      {"\xE2\x80\x99", "\xE2\x80\x99"},
      {"\xC5\x82", "\xC5\x82"},  // transliterated
      {"0123456789abcdef", "0123456789abcdef"},
      {"The council met on Tuesday", "The council met on Tuesday"},
  };
  std::mt19937 random(11);
  std::uniform_int_distribution<int> count(0, 60);
  std::uniform_int_distribution<std::size_t> pick(0, tokens.size() - 1);
  std::bernoulli_distribution newPiece(0.1), cdata(0.3);
  TIconv oracle("WINDOWS-1252//TRANSLIT", "UTF-8");
  TFeedTextWriter writer;
  for (int round = 0; round < 3000; ++round) {
    writer.Clear();
    std::string resolved;
    std::string piece;
    bool pieceIsCData = false;
    auto flush = [&] {
      pieceIsCData ? writer.AddCData(piece) : writer.AddParsedText(piece);
      piece.clear();
    };
    for (int n = count(random); n > 0; --n) {
      if (newPiece(random)) {
        flush();
        pieceIsCData = cdata(random);
      }
      const TToken& token = tokens[pick(random)];
      // CDATA holds the characters themselves; a reference there would stay as written.
      piece += pieceIsCData ? token.Resolved : token.Parsed;
      resolved += token.Resolved;
    }
    flush();

    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t first = 0, last = resolved.size();
    while (first < last && isSpace(resolved[first])) ++first;
    while (last > first && isSpace(resolved[last - 1])) --last;
    std::string lines;
    for (std::size_t i = first; i < last; ++i) {
      if (resolved[i] == '\r' || resolved[i] == '\n') {
        lines += "\r\n";
        if (resolved[i] == '\r' && i + 1 < last && resolved[i + 1] == '\n') ++i;
      } else {
        lines += resolved[i];
      }
    }
    std::string expected;
    ASSERT_FALSE(oracle.Convert(lines, expected));
    ASSERT_EQ(writer.Text(), expected) << testing::PrintToString(resolved);
  }
  EXPECT_TRUE(writer.WellFormed());
}

}  // namespace
}  // namespace tavrel
