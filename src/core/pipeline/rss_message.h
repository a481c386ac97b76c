#pragma once

#include <string>
#include <vector>

namespace tavrel {

// One message of the feed, its texts in Windows-1252. The reader fills the first three fields;
// the page generator fills Pages with the text of each sub-page.
struct TRSSMessage {
  std::string Category;
  std::string Title;
  std::string Text;
  std::vector<std::string> Pages;

  bool operator==(const TRSSMessage&) const = default;
};

// The messages of a feed in document order.
using TRSSMessages = std::vector<TRSSMessage>;

}  // namespace tavrel
