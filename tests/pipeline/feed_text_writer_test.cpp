#include "pipeline/feed_text_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
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

// What the writer makes of the pieces, every way they can be given to it: in pieces and, for a
// single piece without NUL bytes, as the padded text the feed reader hands over.
struct TEveryWay {
  std::vector<std::string> Texts;
  bool WellFormed = true;
};

TEveryWay WriteEveryWay(const std::vector<TPiece>& pieces) {
  TEveryWay result;
  TFeedTextWriter writer;
  for (const TPiece& piece : pieces) {
    piece.CData ? writer.AddCData(piece.Utf8) : writer.AddParsedText(piece.Utf8);
  }
  result.Texts.push_back(writer.Text());
  result.WellFormed = writer.WellFormed();
  if (pieces.size() != 1 || pieces[0].Utf8.find('\0') != std::string::npos) return result;
  const std::string padded = pieces[0].Utf8 + std::string(TFeedTextWriter::kReadAhead + 1, '\0');
  TFeedTextWriter single;
  std::string text = "the longer text of the field before, whose room the next one takes";
  if (pieces[0].CData) {
    single.ConvertCData({padded.c_str()}, text);
  } else {
    single.ConvertParsedText({padded.c_str()}, text);
  }
  result.Texts.push_back(text);
  result.WellFormed = result.WellFormed && single.WellFormed();
  return result;
}

std::string Repeated(std::string_view part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

TEST(FeedTextWriter, EdgesAndReferencesComeOutTheSameEveryWay) {
  struct Case {
    const char* Name;
    std::vector<TPiece> Pieces;
    std::string Expected;
    bool WellFormed = true;
  };
  const std::vector<Case> cases = {
      {"CR LF and tabs around the text", {{false, "\r\n\t a\tb \t\r\n"}}, "a\tb"},
      {"a CR alone at the end", {{false, "a\r"}}, "a"},
      {"references to white space at both ends",
       {{false, "&#9;&#xD;&#10;&#32;a&#x20;&#xA;&#13;"}},
       "a"},
      {"references first and last", {{false, "&lt;b&#x3E;"}}, "<b>"},
      {"an entity cut short by the end of the text", {{false, "a&amp"}}, "a&amp"},
      {"a reference cut short after its #", {{false, "a&#"}}, "a&#"},
      {"a reference cut short after its x", {{false, "a&#x"}}, "a&#x"},
      {"a reference cut short in its digits", {{false, "&#12"}}, "&#12"},
      {"references cut short at the end of each piece",
       {{false, "a&amp"}, {false, " &#"}, {false, " &q"}},
       "a&amp &# &q"},
      {"references to characters the code page lacks, at both ends",
       {{false, "&#x142;x&#321;"}},
       "lxL"},
      {"white space a transliteration made stays at both ends",
       {{false, "&#x2003;a&#8194;"}},
       " a "},
      {"what reads as no reference to an XML character stays",
       {{false, "&#xD800;&#0;&#x110000;&#65a;&#X41;&AMP;&apos &#; &#x; &nbsp;"}},
       "&#xD800;&#0;&#x110000;&#65a;&#X41;&AMP;&apos &#; &#x; &nbsp;"},
      {"the semicolon comes within sixteen bytes of the ampersand",
       {{false, "&#x000000000041;|&#x0000000000041;"}},
       "A|&#x0000000000041;"},
      {"the last character there is, and one past it",
       {{false, "&#1114111;|&#1114112;"}},
       "?|&#1114112;"},
      {"C1 controls are no characters of the code page, not even where it has no byte",
       {{false, "\xC2\x81&#x9D;\xC2\x85"}},
       "???"},
      {"a NUL byte in a piece stays", {{false, std::string("a\0b", 3)}}, std::string("a\0b", 3)},
      {"a text ending inside a character", {{false, "x\xE2\x80"}}, "x??", false},
      {"a long run of line breaks, each twice as long written",
       {{false, "a" + std::string(1000, '\n') + "b"}},
       "a" + Repeated("\r\n", 1000) + "b"},
      {"a long run of transliterations",
       {{false, "x" + Repeated("\xC5\x82", 300) + "y"}},
       "x" + std::string(300, 'l') + "y"},
      {"CDATA keeps a reference at its end as written", {{true, " &amp; "}}, "&amp;"},
      {"an empty text", {{false, ""}}, ""},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TEveryWay result = WriteEveryWay(row.Pieces);
    for (const std::string& text : result.Texts) EXPECT_EQ(text, row.Expected);
    EXPECT_EQ(result.WellFormed, row.WellFormed);
  }
}

}  // namespace
}  // namespace tavrel
