#pragma once

#include <optional>
#include <string>

#include "pipeline/xml_schema.h"
#include "pipeline/xml_schema_sample.h"

namespace tavrel {

// What the check of the XML Schema dialog's OK decided: Ok, or the warning the dialog shows and
// the element whose edit it concerns.
struct TXmlSchemaCheck {
  bool Ok = true;
  std::string Message;
  std::optional<TSchemaElement> Field;
};

// Checks the element names in the dialog's order, stopping at the first failure. Every name in
// use (the channel only with UseChannelElement, the category only with UseCategoryElement) must
// be filled in: an empty one matches no element, and every preview would then end in
// `Root element "" not found.`. A name must not hold a blank, a control character or one of
// < > & " ' =, which no element name or path holds, so that such a name too would never match.
// A name may be a path ("/rss/channel/item").
TXmlSchemaCheck ValidateXmlSchema(const TXMLSchema& schema);

}  // namespace tavrel
