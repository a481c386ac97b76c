// Where the feed reader takes the texts of a message from, for the shapes of text and nesting
// that real feeds have: text before and after markup, CDATA next to parsed text, comments
// splitting a text, messages inside messages with fields on both sides of the inner one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pipeline/feed_reader.h"

namespace tavrel {
namespace {

struct TFieldCase {
  const char* Name;
  std::string Body;  // the content of the root element
  TXMLSchema Schema;
  TRSSMessages Expected;
};

void ExpectMessages(const std::vector<TFieldCase>& cases) {
  for (const TFieldCase& row : cases) {
    SCOPED_TRACE(row.Name);
    TPRSS reader;
    reader.XmlText = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>" + row.Body + "</root>\n";
    reader.Schema = row.Schema;
    reader.DefaultCategory = "Default";
    reader.ReadMessages();
    EXPECT_EQ(reader.Messages, row.Expected);
  }
}

TEST(FeedReaderFields, TextIsAllCharacterDataOfTheFieldInDocumentOrder) {
  const std::vector<TFieldCase> cases = {
      {"text before and after markup",
       "<message><title>Lead <b>bold</b> tail</title></message>",
       {},
       {{"", "Lead bold tail", "", {}}}},
      {"markup first",
       "<message><title><b>Bold</b> start</title></message>",
       {},
       {{"", "Bold start", "", {}}}},
      {"nested markup with white space between",
       "<message><text>\n  <p>One <i>two</i></p>\n  <p>three</p>\n</text></message>",
       {},
       {{"", "", "One two\r\n  three", {}}}},
      {"CDATA first, then parsed text",
       "<message><title><![CDATA[<a>]]> &amp; b</title></message>",
       {},
       {{"", "<a> & b", "", {}}}},
      {"parsed text, then CDATA",
       "<message><title>a <![CDATA[&amp;]]></title></message>",
       {},
       {{"", "a &amp;", "", {}}}},
      {"CDATA alone, white space around it",
       "<message><title>\n  <![CDATA[ x ]]>\n</title></message>",
       {},
       {{"", "x", "", {}}}},
      {"a comment splits the text",
       "<message><title>ab<!-- c -->cd</title></message>",
       {},
       {{"", "abcd", "", {}}}},
      {"a comment before the text",
       "<message><title><!-- c -->text</title></message>",
       {},
       {{"", "text", "", {}}}},
      {"empty and white-space-only fields",
       "<message><title/><text>  \n </text><category></category></message>",
       {},
       {{"", "", "", {}}}},
      {"the first matching child wins",
       "<message><TITLE>first</TITLE><title>second</title></message>",
       {},
       {{"", "first", "", {}}}},
      {"a field of markup alone keeps the spaces between its words",
       "<message><title><b>a</b> <i>b</i></title><text>x</text></message>"
       "<message><title>plain</title></message>",
       {},
       {{"", "a b", "x", {}}, {"", "plain", "", {}}}},
  };
  ExpectMessages(cases);
}

TEST(FeedReaderFields, NestedMessagesEachReadOnlyTheirOwnChildren) {
  const std::string nested =
      "<message><title>Outer</title>"
      "<message><title>Inner</title><text>inner text</text></message>"
      "<text>outer text</text><category>O</category></message>"
      "<message><category>Last</category></message>";
  const std::vector<TFieldCase> cases = {
      {"fields after the inner message belong to the outer one",
       nested,
       {},
       {{"O", "Outer", "outer text", {}}, {"", "Inner", "inner text", {}}, {"Last", "", "", {}}}},
      {"by path",
       nested,
       {.MessageElement = "message",
        .TitleElement = "/root/message/title",
        .CategoryElement = "/root/message/category",
        .TextElement = "/root/message/message/text"},
       {{"O", "Outer", "", {}}, {"", "", "inner text", {}}, {"Last", "", "", {}}}},
      {"without categories",
       nested,
       {.UseCategoryElement = false},
       {{"Default", "Outer", "outer text", {}},
        {"Default", "Inner", "inner text", {}},
        {"Default", "", "", {}}}},
      {"a field nested deeper than a child is not the message's",
       "<message><group><title>deep</title></group><title>own</title></message>",
       {},
       {{"", "own", "", {}}}},
      {"a message inside a field",
       "<message><text>before <message><title>T</title></message> after</text></message>",
       {},
       {{"", "", "before T after", {}}, {"", "T", "", {}}}},
  };
  ExpectMessages(cases);
}

// A reader fills the messages of its last read again: nothing of them may show through.
TEST(FeedReaderFields, ReadingAgainLeavesNothingOfTheMessagesBefore) {
  struct Step {
    const char* Name;
    std::string Body;  // the content of the root element; no root element when empty
    bool UseCategoryElement;
    TRSSMessages Expected;
  };
  const std::string longText(300, 'x');
  const std::string full = "<message><category>A category name of some length</category><title>" +
                           longText + "</title><text>" + longText + "</text></message>";
  const std::vector<Step> steps = {
      {"three full messages", full + full + full, true,
       TRSSMessages(3, {"A category name of some length", longText, longText, {}})},
      {"fewer messages, one lacking fields",
       "<message><title>T</title><text>x</text><category>C</category></message>"
       "<message><text>only text</text></message>",
       true,
       {{"C", "T", "x", {}}, {"", "", "only text", {}}}},
      {"the default category where categories are not read",
       "<message><category>C</category><title>T</title></message>",
       false,
       {{"Default", "T", "", {}}}},
      {"a read that parses the feed a second time",
       full + "<message><title><b>a</b> <i>b</i></title></message>",
       true,
       {{"A category name of some length", longText, longText, {}}, {"", "a b", "", {}}}},
      {"no root element", "", true, {}},
      {"messages again after none",
       full,
       true,
       {{"A category name of some length", longText, longText, {}}}},
  };
  TPRSS reader;
  reader.DefaultCategory = "Default";
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Name);
    // What the page generator leaves in the messages it was given.
    for (TRSSMessage& message : reader.Messages) message.Pages = {"a page", "another page"};
    reader.XmlText = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (!step.Body.empty()) reader.XmlText += "<root>" + step.Body + "</root>\n";
    reader.Schema.UseCategoryElement = step.UseCategoryElement;
    reader.ReadMessages();
    EXPECT_EQ(reader.Messages, step.Expected);
  }
}

TEST(FeedReaderFields, ElementNamesMatchIgnoringTheCaseOfAsciiLettersOnly) {
  struct Case {
    std::string Configured;  // in Windows-1252, as the settings hold it
    std::string Element;     // in the UTF-8 document
    bool Matches;
  };
  const std::vector<Case> cases = {
      {"title", "TITLE", true},
      {"abcdefg", "ABCDEFG", true},      // seven letters: the NUL in the first word
      {"abcdefgh", "AbCdEfGh", true},    // eight: the NUL alone in the second word
      {"abcdefgh", "abcdefghi", false},  // the element's name is longer
      {"abcdefghi", "abcdefgh", false},  // or shorter
      {"abcdefghi", "ABCDEFGHI", true},
      {"head-line.number", "HEAD-LINE.NUMBER", true},
      {"head-line.number", "head-line.numbers", false},
      {"head_line", "HEAD_LINE", true},
      {"x_1", "x-1", false},
      // The same capital U with umlaut and the rest in upper case; the small one is another
      // letter, as only the letters of ASCII have cases here.
      {std::string("\xDC") + "berschrift", std::string("\xC3\x9C") + "BERSCHRIFT", true},
      {std::string("\xDC") + "berschrift", std::string("\xC3\xBC") + "berschrift", false},
      {"category", "cat", false},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Configured + " against " + row.Element);
    TPRSS reader;
    reader.XmlText = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><message><" + row.Element +
                     ">T</" + row.Element + "></message></root>";
    reader.Schema.TitleElement = row.Configured;
    reader.ReadMessages();
    EXPECT_EQ(reader.Messages, (TRSSMessages{{"", row.Matches ? "T" : "", "", {}}}));
  }
}

}  // namespace
}  // namespace tavrel
