// The sample document of the XML Schema dialog.

#include "pipeline/xml_schema_sample.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrel {
namespace {

// The sample as plain text, two spaces per level, tags disabled by the schema in brackets.
std::string Render(const TXMLSchema& schema) {
  std::string text;
  for (const TSchemaSampleLine& line : XmlSchemaSample(schema)) {
    text += std::string(2 * line.Level, ' ');
    for (const TSchemaSampleSpan& span : line.Spans) {
      const bool disabled = span.Element && !SchemaElementEnabled(schema, *span.Element);
      text += disabled ? "[" + span.Text + "]" : span.Text;
    }
    text += "\n";
  }
  return text;
}

TEST(XmlSchemaSample, DrawsTheTagsWithTheSchemasNamesInNestingOrder) {
  TXMLSchema rss;
  rss.RootElement = "rss";
  rss.ChannelElement = "channel";
  rss.UseChannelElement = true;
  rss.MessageElement = "item";
  rss.TextElement = "description";
  TXMLSchema flat;  // the defaults: no channel element, a category element
  flat.UseCategoryElement = false;
  flat.CategoryElement = "";
  struct Case {
    const char* Name;
    TXMLSchema Schema;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"rss feed", rss,
       "<rss>\n"
       "  <channel>\n"
       "    <item>\n"
       "      <category>Maecenas</category>\n"
       "      <title>Lorem ipsum dolor sit amet, </title>\n"
       "      <description>Mauris rhoncus gravida augue sed aliquet.\n"
       "        Phasellus non massa tellus, ut bibendum \n"
       "        bauris. Cras euismod, dui vel elementum </description>\n"
       "    </item>\n"
       "  </channel>\n"
       "</rss>\n"},
      {"no channel, no category, an emptied name", flat,
       "<root>\n"
       "  [<channel>]\n"
       "    <message>\n"
       "      [<>]Maecenas[</>]\n"
       "      <title>Lorem ipsum dolor sit amet, </title>\n"
       "      <text>Mauris rhoncus gravida augue sed aliquet.\n"
       "        Phasellus non massa tellus, ut bibendum \n"
       "        bauris. Cras euismod, dui vel elementum </text>\n"
       "    </message>\n"
       "  [</channel>]\n"
       "</root>\n"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(Render(row.Schema), row.Expected);
  }
  // Every element has exactly one opening and one closing tag, so each can be one label.
  for (std::size_t element = 0; element < kSchemaElementCount; ++element) {
    int opening = 0;
    int closing = 0;
    for (const TSchemaSampleLine& line : XmlSchemaSample(rss)) {
      for (const TSchemaSampleSpan& span : line.Spans) {
        if (span.Element && static_cast<std::size_t>(*span.Element) == element) {
          ++(span.Closing ? closing : opening);
        }
      }
    }
    EXPECT_EQ(opening, 1) << element;
    EXPECT_EQ(closing, 1) << element;
  }
}

}  // namespace
}  // namespace tavrel
