#include "pipeline/feed_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string_view>
#include <vector>

#include "pipeline/feed_text_writer.h"
#include "support/error.h"
#include "support/text_encoding.h"

namespace tavrel {

namespace {

// The parser does no more than the reader needs. Entities and character references are
// resolved by the reader: the parser would turn "&#0;" into a terminator and silently cut the
// text there. Attributes are never read, so their values are left as written.
//
// Text made of white space alone is dropped by default: between the elements of a feed it is
// only indentation, and keeping it costs a tenth of the parse and of the walk over the tree.
// Inside a text with markup it separates words ("<b>bold</b> <i>italic</i>"), so a feed with
// such a text is parsed once more keeping it (see TFieldReader).
//
// The first character data of an element is kept in the element itself rather than in a node
// of its own: almost every field holds nothing else, and a node fewer per field saves the
// parser an allocation and the reader a step through the tree.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_eol | pugi::parse_embed_pcdata;
constexpr unsigned kParseOptionsKeepingWhiteSpace = kParseOptions | pugi::parse_ws_pcdata;

// The file name an error message shows for a document that was given as text.
std::string DocumentName(const std::string& fileName) {
  return fileName.empty() ? std::string("(feed text)") : fileName;
}

constexpr char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Every byte with A..Z made lower case; one load where the comparison would be three steps.
constexpr std::array<unsigned char, 256> kLowerAscii = [] {
  std::array<unsigned char, 256> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<unsigned char>(LowerAscii(static_cast<char>(i)));
  }
  return table;
}();

// A configured element name, ready to be compared with elements of the document.
class TElementName {
 public:
  TElementName(const std::string& windows1252Name, TIconv& toUtf8) {
    std::string converted;
    Name = toUtf8.Convert(windows1252Name, converted) ? windows1252Name : converted;
    Path = !Name.empty() && Name[0] == '/';
    for (char c : Name) Lower += static_cast<char>(kLowerAscii[static_cast<unsigned char>(c)]);
    First = Lower.empty() ? '\0' : static_cast<unsigned char>(Lower[0]);
    // An element name never holds NUL, and the comparison relies on NUL ending the name.
    MatchesNothing = Name.find('\0') != std::string::npos;
  }

  bool IsPath() const { return Path; }
  const std::string& Utf8() const { return Name; }

  // `name` is the element's name and `path` its full path; the path is only looked at for a
  // path name.
  bool Matches(const char* name, std::string_view path) const {
    if (Path) return EqualsIgnoringAsciiCase(path, Name);
    // Compared in place: most elements differ in their first letters, and measuring every
    // element name first would cost more than the comparison. The name's NUL differs from
    // every byte of Lower, so the loop never reads past it.
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    if (kLowerAscii[bytes[0]] != First || MatchesNothing) return false;
    if (First == '\0') return true;
    std::size_t i = 1;
    for (; i < Lower.size(); ++i) {
      if (kLowerAscii[bytes[i]] != static_cast<unsigned char>(Lower[i])) return false;
    }
    return bytes[i] == '\0';
  }

 private:
  std::string Name;
  std::string Lower;  // Name with A..Z in lower case
  unsigned char First = '\0';
  bool Path = false;
  bool MatchesNothing = false;
};

// The full path of an element: "/" and its name, after the path of its parent element.
std::string PathOf(pugi::xml_node element) {
  std::vector<std::string_view> names;
  for (; element && element.type() == pugi::node_element; element = element.parent()) {
    names.push_back(element.name());
  }
  std::string path;
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    path += '/';
    path += *name;
  }
  return path;
}

// An element as a walk over the tree comes upon it. Every call into the parser's library is a
// real call, so what the walk learns about the element is handed on rather than asked again.
struct TVisitedElement {
  pugi::xml_node Element;
  const char* Name;
  std::string_view Path;  // empty unless the walk keeps paths
  std::size_t Depth;      // 1 for a child of the element the walk started from
  pugi::xml_node FirstChild;
  pugi::xml_node_type FirstChildType;  // node_null when the element has no child nodes
};

// Calls visit(element) for every element below `base` (not `base` itself) in document order,
// a parent before its children, until visit returns false. The path is only kept up to date
// when asked for. The walk follows the tree's own links rather than recursing, so a
// maliciously deep document cannot overflow the stack; a null node is recognised by its type,
// which the walk asks for anyway.
template <class Visit>
void ForEachDescendantElement(pugi::xml_node base, bool withPath, Visit visit) {
  std::string path = withPath ? PathOf(base) : std::string();
  auto leave = [&] {
    if (withPath) path.resize(path.rfind('/'));
  };
  std::size_t depth = 1;
  pugi::xml_node node = base.first_child();
  pugi::xml_node_type type = node.type();
  while (type != pugi::node_null) {
    if (type == pugi::node_element) {
      const char* name = node.name();
      if (withPath) {
        path += '/';
        path += name;
      }
      pugi::xml_node child = node.first_child();
      pugi::xml_node_type childType = child.type();
      if (!visit(TVisitedElement{node, name, path, depth, child, childType})) return;
      if (childType != pugi::node_null) {
        node = child;
        type = childType;
        ++depth;
        continue;
      }
      leave();
    }
    pugi::xml_node next = node.next_sibling();
    pugi::xml_node_type nextType = next.type();
    while (nextType == pugi::node_null) {
      if (--depth == 0) return;
      node = node.parent();
      leave();
      next = node.next_sibling();
      nextType = next.type();
    }
    node = next;
    type = nextType;
  }
}

// The first descendant of `base` that the name matches, depth first in document order.
pugi::xml_node FindDescendant(pugi::xml_node base, const TElementName& name) {
  pugi::xml_node found;
  ForEachDescendantElement(base, name.IsPath(), [&](const TVisitedElement& element) {
    if (!name.Matches(element.Name, element.Path)) return true;
    found = element.Element;
    return false;
  });
  return found;
}

// Reads the texts of message fields from a parsed feed.
struct TFieldReader {
  TFeedTextWriter Writer;
  // Whether the document keeps text made of white space alone.
  bool KeepsWhiteSpace = false;
  // Set when a field held markup while the document dropped white space alone: the text may
  // lack spaces between words and the feed has to be parsed again keeping them.
  bool NeedsWhiteSpace = false;

  // The text content of an element as the pages want it: all character data below it in
  // document order, without the indentation around it, every line break as CR LF, in
  // Windows-1252.
  std::string Text(const TVisitedElement& element);
};

std::string TFieldReader::Text(const TVisitedElement& element) {
  TFeedTextWriter& writer = Writer;
  writer.Clear();
  // The parser keeps the first character data in the element when it comes before any child.
  const char* embedded = element.Element.value();
  pugi::xml_node node = element.FirstChild;
  pugi::xml_node_type type = element.FirstChildType;
  // Almost every field holds a single piece of character data.
  if (type == pugi::node_null) {
    if (*embedded == '\0') return {};
    writer.AddParsedText(embedded);
    return writer.Text();
  }
  if (*embedded == '\0' && type == pugi::node_cdata &&
      node.next_sibling().type() == pugi::node_null) {
    writer.AddCData(node.value());
    return writer.Text();
  }
  // White space alone only matters between two pieces of text; around a single piece of
  // character data it would be trimmed away in any case.
  if (!KeepsWhiteSpace) {
    NeedsWhiteSpace = true;
    return {};
  }
  if (*embedded != '\0') writer.AddParsedText(embedded);
  std::size_t depth = 1;
  while (true) {
    if (type == pugi::node_pcdata) {
      writer.AddParsedText(node.value());
    } else if (type == pugi::node_cdata) {
      writer.AddCData(node.value());
    } else if (type == pugi::node_element) {
      if (const char* value = node.value(); *value != '\0') writer.AddParsedText(value);
      pugi::xml_node child = node.first_child();
      if (pugi::xml_node_type childType = child.type(); childType != pugi::node_null) {
        node = child;
        type = childType;
        ++depth;
        continue;
      }
    }
    pugi::xml_node next = node.next_sibling();
    pugi::xml_node_type nextType = next.type();
    while (nextType == pugi::node_null) {
      if (--depth == 0) return writer.Text();
      node = node.parent();
      next = node.next_sibling();
      nextType = next.type();
    }
    node = next;
    type = nextType;
  }
}

// One field of a message: the configured name of its child element and where its text goes.
struct TMessageField {
  const TElementName* Name;
  std::string TRSSMessage::*Text;
};

// A message whose children the walk has not passed yet.
struct TOpenMessage {
  std::size_t Depth;
  std::size_t Record;  // index into the messages: the vector may move as it grows
  std::array<bool, 3> Found{};
  std::size_t Missing;
};

// The feed parsed. A UTF-8 document is checked for malformed bytes as a whole only when asked:
// reading messages checks each text it delivers instead, which costs nothing extra, and the
// whole document is searched only to name the position of a fault found that way.
class TParsedFeed {
 public:
  enum class TCheck { WholeDocument, DeliveredTexts };

  TParsedFeed(const std::string& fileName, const std::string& xmlText, TCheck check,
              bool keepWhiteSpace = false)
      : Name(DocumentName(fileName)) {
    if (xmlText.size() > TPRSS::kMaxFeedBytes) {
      throw FileError(Name, "the feed is larger than the limit of 64 MiB");
    }
    Utf8 = ToUtf8(xmlText, check);
    if (const void* nul = std::memchr(Utf8.data(), '\0', Utf8.size())) {
      TTextPosition at = PositionInUtf8(
          Utf8, static_cast<std::size_t>(static_cast<const char*>(nul) - Utf8.data()));
      throw ParseError(Name, at.Line, at.Column, "NUL character, which XML does not allow");
    }
    pugi::xml_parse_result result = Document.load_buffer(
        Utf8.data(), Utf8.size(), keepWhiteSpace ? kParseOptionsKeepingWhiteSpace : kParseOptions,
        pugi::encoding_utf8);
    if (result.status == pugi::status_no_document_element) return;
    if (!result) {
      TTextPosition at = PositionInUtf8(Utf8, static_cast<std::size_t>(result.offset));
      throw ParseError(Name, at.Line, at.Column,
                       std::string("not well-formed XML: ") + result.description());
    }
  }

  // Throws the error for the first malformed UTF-8 sequence of the document.
  [[noreturn]] void ThrowMalformedUtf8() const {
    std::size_t invalid = FindInvalidUtf8(Utf8);
    TTextPosition at = PositionInUtf8(Utf8, invalid);
    throw ParseError(Name, at.Line, at.Column,
                     Encoding.Source == TEncodingSource::Default
                         ? "invalid UTF-8 byte sequence (a document without a byte order mark "
                           "or encoding declaration must be UTF-8)"
                         : "invalid UTF-8 byte sequence in a document declared as UTF-8");
  }

  pugi::xml_node Root() const { return Document.document_element(); }

 private:
  // The document as UTF-8 without a byte order mark: a view of the text itself when it is
  // UTF-8 already, otherwise of its conversion held in Converted.
  std::string_view ToUtf8(const std::string& xmlText, TCheck check) {
    Encoding = DetectDocumentEncoding(xmlText);
    std::string_view body = std::string_view(xmlText).substr(Encoding.ByteOrderMarkLength);
    if (Encoding.IsUtf8()) {
      Utf8 = body;
      if (check == TCheck::WholeDocument && FindInvalidUtf8(body) != std::string_view::npos) {
        ThrowMalformedUtf8();
      }
      return body;
    }

    std::optional<TIconv> converter;
    try {
      converter.emplace("UTF-8", Encoding.Name);
    } catch (const Error&) {
      throw FileError(Name, "unsupported encoding \"" + Encoding.Name + "\"");
    }
    TConversionFailure failure = converter->Convert(body, Converted);
    // A declaration was read as ASCII, or the first bytes as "<?": a document that really is
    // in the named encoding converts back to exactly that start. Checked before a failure is
    // reported, because reading 8-bit text as UTF-16 fails somewhere arbitrary.
    std::string_view expectedStart =
        Encoding.Source == TEncodingSource::Declaration ? "<?xml" : "<?";
    if (Encoding.Source != TEncodingSource::ByteOrderMark &&
        std::string_view(Converted).substr(0, expectedStart.size()) != expectedStart) {
      throw FileError(Name, "the document says its encoding is \"" + Encoding.Name +
                                "\", but its bytes are not in that encoding");
    }
    if (failure) {
      // The conversion up to the failure is valid UTF-8, so its end gives the position.
      TTextPosition at = PositionInUtf8(Converted, Converted.size());
      throw ParseError(
          Name, at.Line, at.Column,
          failure.Kind == TConversionFailure::TKind::TruncatedSequence
              ? "the document ends inside a character of encoding \"" + Encoding.Name + "\""
              : "byte sequence that is not valid in encoding \"" + Encoding.Name + "\"");
    }
    return Converted;
  }

  std::string Name;
  TDocumentEncoding Encoding;
  std::string Converted;
  std::string_view Utf8;  // the document as parsed: the text itself, or Converted
  pugi::xml_document Document;
};

// The schema's names, converted once for a check or a read.
struct TSchemaNames {
  explicit TSchemaNames(const TXMLSchema& schema)
      : ToUtf8("UTF-8", "WINDOWS-1252"),
        Root(schema.RootElement, ToUtf8),
        Channel(schema.ChannelElement, ToUtf8),
        Message(schema.MessageElement, ToUtf8),
        Title(schema.TitleElement, ToUtf8),
        Category(schema.CategoryElement, ToUtf8),
        Text(schema.TextElement, ToUtf8) {}

  TIconv ToUtf8;
  TElementName Root, Channel, Message, Title, Category, Text;
};

// One line of the schema check: the fixed texts around the configured name.
std::string MissingLine(const char* before, const std::string& name) {
  return std::string(before) + " \"" + name + "\" not found.";
}

}  // namespace

bool TPRSS::LoadFromFile(const std::string& path) {
  std::error_code error;
  std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return false;
  if (std::filesystem::is_directory(status)) throw FileError(path, "is a folder, not a feed");

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) throw FileError(path, std::string("cannot open: ") + std::strerror(errno));

  // Read in pieces up to one byte past the limit, so that a file growing while it is read,
  // or one whose size the file system misreports, is caught all the same.
  std::string bytes;
  std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error)
    bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kMaxFeedBytes)));
  char buffer[1 << 16];
  while (true) {
    std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
    if (got > 0) {
      if (bytes.size() + got > kMaxFeedBytes) {
        throw FileError(path, "the feed is larger than the limit of 64 MiB");
      }
      bytes.append(buffer, got);
    }
    if (got < sizeof buffer) break;
  }
  if (std::ferror(file.get())) {
    throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
  }
  XmlText = std::move(bytes);
  FileName = path;
  return true;
}

std::string TPRSS::CheckSchema() const {
  TParsedFeed feed(FileName, XmlText, TParsedFeed::TCheck::WholeDocument);
  pugi::xml_node root = feed.Root();
  if (!root) throw FileError(DocumentName(FileName), "no root element: this is not an XML feed");

  TSchemaNames names(Schema);
  // The root's full path is "/" and its name, so a path name may configure it as well.
  if (!names.Root.Matches(root.name(), PathOf(root))) {
    return MissingLine("Root element", Schema.RootElement);
  }
  if (Schema.UseChannelElement && !FindDescendant(root, names.Channel)) {
    return MissingLine("Channel element", Schema.ChannelElement);
  }
  if (!FindDescendant(root, names.Message)) {
    return MissingLine("Message element", Schema.MessageElement);
  }

  std::string lines;
  auto add = [&lines](const std::string& line) {
    if (!lines.empty()) lines += "\r\n";
    lines += line;
  };
  if (Schema.UseCategoryElement && !FindDescendant(root, names.Category)) {
    add(MissingLine("Category element", Schema.CategoryElement));
  }
  if (!FindDescendant(root, names.Title)) add(MissingLine("Title element", Schema.TitleElement));
  if (!FindDescendant(root, names.Text)) add(MissingLine("Text element", Schema.TextElement));
  return lines;
}

void TPRSS::ReadMessages() {
  // No stale messages of an earlier read survive a failing one.
  Messages.clear();
  TSchemaNames names(Schema);
  // A field is the text of the first direct child of the message that its name matches, or
  // empty when there is none. A path name is compared with the child's full path, so a path
  // that passes the schema check also finds the text.
  const std::array<TMessageField, 3> allFields = {{{&names.Title, &TRSSMessage::Title},
                                                   {&names.Text, &TRSSMessage::Text},
                                                   {&names.Category, &TRSSMessage::Category}}};
  const std::size_t fieldCount = Schema.UseCategoryElement ? 3 : 2;
  // Paths are only needed when a message or a field is looked up by its path.
  bool withPaths = names.Message.IsPath();
  for (std::size_t i = 0; i < fieldCount; ++i) withPaths = withPaths || allFields[i].Name->IsPath();

  TFieldReader reader;
  std::vector<TOpenMessage> open;
  for (bool keepWhiteSpace : {false, true}) {
    TParsedFeed feed(FileName, XmlText, TParsedFeed::TCheck::DeliveredTexts, keepWhiteSpace);
    pugi::xml_node base = feed.Root();
    if (!base) return;
    if (Schema.UseChannelElement) {
      base = FindDescendant(base, names.Channel);
      if (!base) return;
    }
    reader.KeepsWhiteSpace = keepWhiteSpace;
    reader.NeedsWhiteSpace = false;
    open.clear();
    // One walk finds the messages and their fields. Each message is taken where the walk finds
    // it, so outer messages come before the ones nested inside them, and its fields are filled
    // as the walk passes its children.
    ForEachDescendantElement(base, withPaths, [&](const TVisitedElement& element) {
      while (!open.empty() && open.back().Depth >= element.Depth) open.pop_back();
      if (!open.empty() && open.back().Depth + 1 == element.Depth && open.back().Missing > 0) {
        TOpenMessage& message = open.back();
        for (std::size_t i = 0; i < fieldCount; ++i) {
          if (message.Found[i] || !allFields[i].Name->Matches(element.Name, element.Path)) {
            continue;
          }
          Messages[message.Record].*allFields[i].Text = reader.Text(element);
          message.Found[i] = true;
          --message.Missing;
        }
        if (reader.NeedsWhiteSpace) return false;
      }
      if (names.Message.Matches(element.Name, element.Path)) {
        TRSSMessage& record = Messages.emplace_back();
        if (!Schema.UseCategoryElement) record.Category = DefaultCategory;
        open.push_back({element.Depth, Messages.size() - 1, {}, fieldCount});
      }
      return true;
    });
    if (!reader.Writer.WellFormed()) {
      Messages.clear();
      feed.ThrowMalformedUtf8();
    }
    if (!reader.NeedsWhiteSpace) return;
    Messages.clear();
  }
}

TRSSMessages TPRSS::GetMessages() {
  ReadMessages();
  return Messages;
}

}  // namespace tavrel
