#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/xml_schema.h"

namespace tavrel {

// The elements of a feed document, in nesting order, as the XML Schema dialog names them.
enum class TSchemaElement { Root, Channel, Message, Category, Title, Text };
inline constexpr std::size_t kSchemaElementCount = 6;

// The element names of the schema by TSchemaElement.
std::array<std::string, kSchemaElementCount> SchemaElementNames(const TXMLSchema& schema);

// One piece of a line of the sample document: a tag of an element (opening or closing), or the
// fixed sample content (no element).
struct TSchemaSampleSpan {
  std::string Text;
  std::optional<TSchemaElement> Element;
  bool Closing = false;
  bool operator==(const TSchemaSampleSpan&) const = default;
};

// One line of the sample: its indentation level and its pieces from left to right.
struct TSchemaSampleLine {
  int Level = 0;
  std::vector<TSchemaSampleSpan> Spans;
  bool operator==(const TSchemaSampleLine&) const = default;
};

// The sample document the dialog draws beside its edits: the opening and closing tags of every
// element with the schema's names, nested root, channel, message, then category, title and text
// with fixed sample contents. Its shape never changes, only the tag texts, so the dialog can
// keep one label per piece.
std::vector<TSchemaSampleLine> XmlSchemaSample(const TXMLSchema& schema);

// Whether the element's edit and tags are in use: the channel only with UseChannelElement, the
// category only with UseCategoryElement, the others always.
bool SchemaElementEnabled(const TXMLSchema& schema, TSchemaElement element);

}  // namespace tavrel
