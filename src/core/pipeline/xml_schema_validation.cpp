#include "pipeline/xml_schema_validation.h"

#include <array>
#include <string_view>

namespace tavrel {

namespace {

// The elements as the dialog lists them, with the words its warnings use for them.
struct TElementCaption {
  TSchemaElement Element;
  std::string_view Caption;
};
constexpr std::array<TElementCaption, kSchemaElementCount> kElementCaptions = {{
    {TSchemaElement::Root, "Root element"},
    {TSchemaElement::Channel, "Channel element"},
    {TSchemaElement::Message, "Message element"},
    {TSchemaElement::Category, "Category element"},
    {TSchemaElement::Title, "Title element"},
    {TSchemaElement::Text, "Text element"},
}};

// Characters that no element name and no path of names holds.
constexpr std::string_view kForbiddenCharacters = "<>&\"'=";

bool HoldsForbiddenCharacter(std::string_view name) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || byte == 0xA0) return true;  // blanks and controls
    if (kForbiddenCharacters.find(c) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

TXmlSchemaCheck ValidateXmlSchema(const TXMLSchema& schema) {
  const auto names = SchemaElementNames(schema);
  for (const TElementCaption& element : kElementCaptions) {
    if (!SchemaElementEnabled(schema, element.Element)) continue;
    const std::string& name = names[static_cast<std::size_t>(element.Element)];
    if (name.empty()) {
      return {false, std::string(element.Caption) + " not filled in.", element.Element};
    }
    if (HoldsForbiddenCharacter(name)) {
      return {false,
              std::string(element.Caption) + " \"" + name +
                  "\" cannot be an element name: it holds a blank or one of < > & \" ' =.",
              element.Element};
    }
  }
  return {};
}

}  // namespace tavrel
