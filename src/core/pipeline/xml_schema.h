#pragma once

#include <string>

namespace tavrel {

// The element names of the feed as the operator configured them. Copied whole into the feed
// reader and the schema dialog.
struct TXMLSchema {
  std::string RootElement = "root";
  std::string ChannelElement = "channel";
  bool UseChannelElement = false;
  bool UseCategoryElement = true;
  std::string MessageElement = "message";
  std::string TitleElement = "title";
  std::string CategoryElement = "category";
  std::string TextElement = "text";
  // Titles and texts hold HTML, as most web feeds' descriptions do: tags are removed, block
  // elements and <br> become line breaks, character references are decoded and runs of white
  // space collapse. Off by default, so that a feed of plain text keeps every "<" it holds.
  bool HtmlTexts = false;
};

}  // namespace tavrel
