// The check of the XML Schema dialog's OK: every element name in use filled in and one that an
// element can bear.

#include "pipeline/xml_schema_validation.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrel {
namespace {

TEST(ValidateXmlSchema, RefusesEmptyNamesInUseAndNamesNoElementBears) {
  struct Case {
    const char* Name;
    std::function<void(TXMLSchema&)> Change;
    std::string Message;
    std::optional<TSchemaElement> Field;
  };
  const std::vector<Case> cases = {
      {"the defaults", [](TXMLSchema&) {}, "", std::nullopt},
      {"a path and a prefixed name",
       [](TXMLSchema& s) {
         s.MessageElement = "/rss/channel/item";
         s.CategoryElement = "dc:subject";
       },
       "", std::nullopt},
      {"empty root", [](TXMLSchema& s) { s.RootElement = ""; }, "Root element not filled in.",
       TSchemaElement::Root},
      {"empty text", [](TXMLSchema& s) { s.TextElement = ""; }, "Text element not filled in.",
       TSchemaElement::Text},
      {"the first empty name in the dialog's order",
       [](TXMLSchema& s) {
         s.TitleElement = "";
         s.MessageElement = "";
       },
       "Message element not filled in.", TSchemaElement::Message},
      {"an empty channel not in use",
       [](TXMLSchema& s) {
         s.ChannelElement = "";
         s.UseChannelElement = false;
       },
       "", std::nullopt},
      {"an empty channel in use",
       [](TXMLSchema& s) {
         s.ChannelElement = "";
         s.UseChannelElement = true;
       },
       "Channel element not filled in.", TSchemaElement::Channel},
      {"an empty category not in use",
       [](TXMLSchema& s) {
         s.CategoryElement = "";
         s.UseCategoryElement = false;
       },
       "", std::nullopt},
      {"an empty category in use", [](TXMLSchema& s) { s.CategoryElement = ""; },
       "Category element not filled in.", TSchemaElement::Category},
      {"a space", [](TXMLSchema& s) { s.TitleElement = "news title"; },
       "Title element \"news title\" cannot be an element name: it holds a blank or one of < > & "
       "\" ' =.",
       TSchemaElement::Title},
      {"a trailing blank", [](TXMLSchema& s) { s.RootElement = "rss "; },
       "Root element \"rss \" cannot be an element name: it holds a blank or one of < > & \" ' =.",
       TSchemaElement::Root},
      {"a tag typed whole", [](TXMLSchema& s) { s.TextElement = "<description>"; },
       "Text element \"<description>\" cannot be an element name: it holds a blank or one of < > "
       "& \" ' =.",
       TSchemaElement::Text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TXMLSchema schema;
    c.Change(schema);
    const TXmlSchemaCheck check = ValidateXmlSchema(schema);
    EXPECT_EQ(check.Ok, c.Message.empty());
    EXPECT_EQ(check.Message, c.Message);
    EXPECT_EQ(check.Field, c.Field);
  }
}

}  // namespace
}  // namespace tavrel
