#include "support/rtf_reader.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/error.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

// The document in a short notation: paragraphs separated by " | ", each run as
// <flags>text, where the flags are b, i, u, the size in half points when not 24 and the colour.
std::string Describe(const TRtfDocument& document) {
  std::string out;
  for (std::size_t p = 0; p < document.Paragraphs.size(); ++p) {
    if (p > 0) out += " | ";
    for (const TRtfRun& run : document.Paragraphs[p].Runs) {
      std::string flags;
      if (run.Bold) flags += "b";
      if (run.Italic) flags += "i";
      if (run.Underline) flags += "u";
      if (run.FontHalfPoints != 24) flags += std::to_string(run.FontHalfPoints);
      if (run.Colour) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%02x%02x%02x", run.Colour->Red, run.Colour->Green,
                      run.Colour->Blue);
        flags += colour;
      }
      out += "<" + flags + ">" + run.Text;
    }
  }
  return out;
}

TEST(RtfReader, ReadsTheFormatThatTheHelpFileUses) {
  struct Case {
    const char* Name;
    const char* Rtf;
    const char* Expected;
  };
  const Case cases[] = {
      {"plain text", R"({\rtf1 Hello})", "<>Hello"},
      {R"(paragraphs, the last \par ends the last one)", R"({\rtf1 One\par Two\par})",
       "<>One | <>Two"},
      {"an empty paragraph in between stays", R"({\rtf1 A\par\par B})", "<>A |  | <>B"},
      {"bold on and off", R"({\rtf1 a \b bold\b0  c})", "<>a <b>bold<> c"},
      {"groups restore the format", R"({\rtf1 {\i it{\ul both}} plain})", "<i>it<iu>both<> plain"},
      {R"(\ulnone and \plain)", R"({\rtf1\b\ul x\ulnone y\plain z})", "<bu>x<b>y<>z"},
      {"font size in half points", R"({\rtf1\fs32 big\fs20 small})", "<32>big<20>small"},
      {"font size kept within bounds", R"({\rtf1\fs99999 a\fs1 b})", "<400>a<2>b"},
      {R"(colour table, \cf0 is the automatic colour)",
       R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue128;}\cf1 red\cf2 navy\cf0 auto})",
       "<#ff0000>red<#000080>navy<>auto"},
      {"a colour index past the table is the automatic colour", R"({\rtf1{\colortbl;}\cf7 x})",
       "<>x"},
      {R"(\'hh is Windows-1252)", R"({\rtf1 caf\'e9 \'80 \'93q\'94})",
       "<>caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},
      {R"(\u with its fallback character skipped)", R"({\rtf1 x\u8364?y})", "<>x\xE2\x82\xACy"},
      {R"(\uc0 has no fallback)", R"({\rtf1\uc0 \u233 y})", "<>\xC3\xA9y"},
      {R"(negative \u and a \'hh fallback)", R"({\rtf1\u-4064\'3f!})", "<>\xEF\x80\xA0!"},
      {"a surrogate pair", R"({\rtf1\uc0\u-10179\u-8704 })", "<>\xF0\x9F\x98\x80"},
      {"a lone surrogate", R"({\rtf1\uc0\u-10179 z})", "<>\xEF\xBF\xBDz"},
      {"escaped braces and backslash", R"({\rtf1 \{a\}\\})", "<>{a}\\"},
      {"line break and tab", R"({\rtf1 a\line b\tab c})", "<>a\nb\tc"},
      {R"(font table, info and \* groups are skipped)",
       R"({\rtf1{\fonttbl{\f0 Arial;}}{\info{\title T}}{\*\generator x;}Body})", "<>Body"},
      {"unknown control words are skipped", R"({\rtf1\ansi\deff0\widowctrl\f0\sa200 Text})",
       "<>Text"},
      {"line ends in the file mean nothing", "{\\rtf1 a\r\nb\n}", "<>ab"},
      {"unclosed groups at the end are forgiven", R"({\rtf1 a{\b b)", "<>a<b>b"},
      {"text after the document's group is ignored", R"({\rtf1 a}b)", "<>a"},
      {"a broken escape at the end", R"({\rtf1 a\'4)", "<>a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Describe(ReadRtf(c.Rtf, "Help.rtf")), c.Expected);
  }
}

TEST(RtfReader, RejectsWhatIsNoRtfAndTooDeepNestingNamingTheFile) {
  struct Case {
    const char* Name;
    std::string Text;
    const char* Message;
  };
  const Case cases[] = {
      {"plain text", "Hello", "Help.rtf: not a rich text file (it does not begin with {\\rtf)"},
      {"empty", "", "Help.rtf: not a rich text file (it does not begin with {\\rtf)"},
      {"deep", "{\\rtf1" + std::string(300, '{'),
       "Help.rtf: groups are nested deeper than 256 levels at byte 261"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      ReadRtf(c.Text, "Help.rtf");
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), c.Message);
    }
  }
}

TEST(RtfReader, TheInstalledHelpFileReads) {
  const TRtfDocument help = ReadRtfFile(TAVREL_SOURCE_DIR "/data/Help.rtf");
  ASSERT_GT(help.Paragraphs.size(), 20u);
  ASSERT_FALSE(help.Paragraphs.front().Runs.empty());
  EXPECT_TRUE(help.Paragraphs.front().Runs.front().Bold);  // the title
}

TEST(RtfReader, AMissingFileIsAnErrorNamingIt) {
  testing::TempFolder folder;
  const std::string path = folder.Path() + "/Help.rtf";
  try {
    ReadRtfFile(path);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace tavrel
