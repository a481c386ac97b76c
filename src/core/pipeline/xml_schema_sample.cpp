#include "pipeline/xml_schema_sample.h"

namespace tavrel {

namespace {

// The fixed contents of the sample message.
constexpr std::string_view kSampleCategory = "Maecenas";
constexpr std::string_view kSampleTitle = "Lorem ipsum dolor sit amet, ";
constexpr std::array<std::string_view, 3> kSampleTextLines = {
    "Mauris rhoncus gravida augue sed aliquet.", "Phasellus non massa tellus, ut bibendum ",
    "bauris. Cras euismod, dui vel elementum "};

}  // namespace

std::array<std::string, kSchemaElementCount> SchemaElementNames(const TXMLSchema& schema) {
  return {schema.RootElement,     schema.ChannelElement, schema.MessageElement,
          schema.CategoryElement, schema.TitleElement,   schema.TextElement};
}

std::vector<TSchemaSampleLine> XmlSchemaSample(const TXMLSchema& schema) {
  const auto names = SchemaElementNames(schema);
  const auto open = [&](TSchemaElement element) {
    return TSchemaSampleSpan{"<" + names[static_cast<std::size_t>(element)] + ">", element, false};
  };
  const auto close = [&](TSchemaElement element) {
    return TSchemaSampleSpan{"</" + names[static_cast<std::size_t>(element)] + ">", element, true};
  };
  const auto content = [](std::string_view text) {
    return TSchemaSampleSpan{std::string(text), std::nullopt, false};
  };
  using E = TSchemaElement;
  // The text's continuation lines stand under its first line, one level deeper than its tag.
  return {
      {0, {open(E::Root)}},
      {1, {open(E::Channel)}},
      {2, {open(E::Message)}},
      {3, {open(E::Category), content(kSampleCategory), close(E::Category)}},
      {3, {open(E::Title), content(kSampleTitle), close(E::Title)}},
      {3, {open(E::Text), content(kSampleTextLines[0])}},
      {4, {content(kSampleTextLines[1])}},
      {4, {content(kSampleTextLines[2]), close(E::Text)}},
      {2, {close(E::Message)}},
      {1, {close(E::Channel)}},
      {0, {close(E::Root)}},
  };
}

bool SchemaElementEnabled(const TXMLSchema& schema, TSchemaElement element) {
  switch (element) {
    case TSchemaElement::Channel:
      return schema.UseChannelElement;
    case TSchemaElement::Category:
      return schema.UseCategoryElement;
    default:
      return true;
  }
}

}  // namespace tavrel
