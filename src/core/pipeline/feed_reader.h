#pragma once

#include <cstddef>
#include <string>

#include "pipeline/rss_message.h"
#include "pipeline/xml_schema.h"

namespace tavrel {

// Reads a news feed into messages and checks it against the configured element names.
//
// Element names are compared ignoring the letter case of A..Z. A configured name that begins
// with "/" is compared with the element's full path ("/root/channel") instead. The feed may be
// in UTF-8 (with or without a byte order mark), UTF-16 or UTF-32 (with a mark), or any 8-bit
// encoding iconv knows, named in its XML declaration; every text the reader delivers is in
// Windows-1252, with characters the code page lacks transliterated.
//
// Errors (exceptions derived from Error) name the file and, for parse errors, the line and
// column: a file over the size limit, bytes that do not fit the document's encoding, and XML
// that is not well-formed.
class TPRSS {
 public:
  std::string FileName;         // path of the loaded feed file
  std::string XmlText;          // the feed's bytes as loaded
  TRSSMessages Messages;        // result of the last ReadMessages
  TXMLSchema Schema;            // element names, in Windows-1252 as the settings hold them
  std::string DefaultCategory;  // category of every message when the feed has no categories

  // Loads the file's bytes into XmlText and its path into FileName. Returns false and changes
  // nothing when the file does not exist; throws when it exists but cannot be read or is
  // larger than kMaxFeedBytes (support/feed_limits.h).
  bool LoadFromFile(const std::string& path);

  // Checks XmlText against Schema. Returns the lines naming each configured element that is
  // missing, joined by CR LF; empty when the feed fits. Throws for a document that cannot be
  // parsed or has no root element.
  std::string CheckSchema() const;

  // Parses XmlText and fills Messages. A document without a root element, or without the
  // channel element when one is required, yields no messages. Throws for a document that
  // cannot be parsed, leaving no messages. The messages an earlier read left are filled again
  // (their Pages emptied), so that their strings keep the room they have.
  void ReadMessages();

  // Runs ReadMessages and returns a copy of Messages.
  TRSSMessages GetMessages();

 private:
  // ReadMessages but for dropping what is left of the earlier messages: fills the first
  // messages and returns their number.
  std::size_t ReadMessagesOver();
};

}  // namespace tavrel
