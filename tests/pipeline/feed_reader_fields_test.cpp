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

}  // namespace
}  // namespace tavrel
