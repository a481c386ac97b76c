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
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_eol;
constexpr unsigned kParseOptionsKeepingWhiteSpace = kParseOptions | pugi::parse_ws_pcdata;

// The file name an error message shows for a document that was given as text.
std::string DocumentName(const std::string& fileName) {
  return fileName.empty() ? std::string("(feed text)") : fileName;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// A configured element name, ready to be compared with elements of the document.
class TElementName {
 public:
  TElementName(const std::string& windows1252Name, TIconv& toUtf8) {
    std::string converted;
    Name = toUtf8.Convert(windows1252Name, converted) ? windows1252Name : converted;
  }

  bool IsPath() const { return !Name.empty() && Name[0] == '/'; }
  const std::string& Utf8() const { return Name; }

  // `path` is the element's full path; it is only looked at for a path name.
  bool Matches(const pugi::xml_node& element, std::string_view path) const {
    if (IsPath()) return EqualsIgnoringAsciiCase(path, Name);
    // Compared in place: most elements differ in their first letters, and measuring every
    // element name first would cost more than the comparison.
    const char* name = element.name();
    for (char c : Name) {
      if (*name == '\0' || LowerAscii(*name) != LowerAscii(c)) return false;
      ++name;
    }
    return *name == '\0';
  }

 private:
  std::string Name;
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

// Calls visit(element, path) for every element below `base` (not `base` itself) in document
// order, a parent before its children, until visit returns false. The path is only kept up
// to date when asked for. The walk follows the tree's own links rather than recursing, so a
// maliciously deep document cannot overflow the stack.
template <class Visit>
void ForEachDescendantElement(pugi::xml_node base, bool withPath, Visit visit) {
  std::string path = withPath ? PathOf(base) : std::string();
  auto leave = [&] {
    if (withPath) path.resize(path.rfind('/'));
  };
  pugi::xml_node node = base.first_child();
  while (node) {
    if (node.type() == pugi::node_element) {
      if (withPath) {
        path += '/';
        path += node.name();
      }
      if (!visit(node, std::string_view(path))) return;
      if (pugi::xml_node child = node.first_child()) {
        node = child;
        continue;
      }
      leave();
    }
    pugi::xml_node next = node.next_sibling();
    while (!next) {
      node = node.parent();
      if (node == base) return;
      leave();
      next = node.next_sibling();
    }
    node = next;
  }
}

// The first descendant of `base` that the name matches, depth first in document order.
pugi::xml_node FindDescendant(pugi::xml_node base, const TElementName& name) {
  pugi::xml_node found;
  ForEachDescendantElement(base, name.IsPath(), [&](pugi::xml_node element, std::string_view path) {
    if (!name.Matches(element, path)) return true;
    found = element;
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
  std::string Text(pugi::xml_node element);
};

std::string TFieldReader::Text(pugi::xml_node element) {
  TFeedTextWriter& writer = Writer;
  writer.Clear();
  pugi::xml_node node = element.first_child();
  if (!node) return {};
  // Almost every field holds a single piece of character data.
  pugi::xml_node_type type = node.type();
  bool single = !node.next_sibling();
  if (single && type == pugi::node_pcdata) {
    writer.AddParsedText(node.value());
    return writer.Text();
  }
  if (single && type == pugi::node_cdata) {
    writer.AddCData(node.value());
    return writer.Text();
  }
  // White space alone only matters between two pieces of text; around a single piece of
  // character data it would be trimmed away in any case.
  if (!KeepsWhiteSpace) {
    NeedsWhiteSpace = true;
    return {};
  }
  while (node) {
    switch (node.type()) {
      case pugi::node_pcdata:
        writer.AddParsedText(node.value());
        break;
      case pugi::node_cdata:
        writer.AddCData(node.value());
        break;
      default:
        break;
    }
    if (pugi::xml_node child = node.first_child()) {
      node = child;
      continue;
    }
    pugi::xml_node next = node.next_sibling();
    while (!next) {
      node = node.parent();
      if (node == element) return writer.Text();
      next = node.next_sibling();
    }
    node = next;
  }
  return writer.Text();
}

// One field of a message: the configured name of its child element and where its text goes.
struct TMessageField {
  const TElementName* Name;
  std::string* Text;
};

// Fills each field with the text of the first direct child its name matches, leaving it empty
// when there is none; one pass over the children serves all fields. A path name is compared
// with the child's full path, so a path that passes the schema check also finds the text.
template <std::size_t N>
void ReadFields(pugi::xml_node message, std::string_view messagePath,
                std::array<TMessageField, N> fields, TFieldReader& reader) {
  bool anyPath = false;
  for (const TMessageField& field : fields) anyPath = anyPath || field.Name->IsPath();
  std::array<bool, N> found{};
  std::size_t missing = N;
  std::string path;
  for (pugi::xml_node child = message.first_child(); child && missing > 0;
       child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    if (anyPath) {
      path.assign(messagePath);
      path += '/';
      path += child.name();
    }
    for (std::size_t i = 0; i < N; ++i) {
      if (found[i] || !fields[i].Name->Matches(child, path)) continue;
      *fields[i].Text = reader.Text(child);
      found[i] = true;
      --missing;
    }
  }
}

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
  if (!names.Root.Matches(root, PathOf(root))) {
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
  // Paths of the messages are only needed when a child is looked up by its path.
  bool childPaths = names.Title.IsPath() || names.Text.IsPath() ||
                    (Schema.UseCategoryElement && names.Category.IsPath());
  TFieldReader reader;
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
    // Each message is read where the walk finds it, so outer messages come before the ones
    // nested inside them.
    ForEachDescendantElement(
        base, names.Message.IsPath() || childPaths,
        [&](pugi::xml_node element, std::string_view path) {
          if (!names.Message.Matches(element, path)) return true;
          TRSSMessage& record = Messages.emplace_back();
          if (Schema.UseCategoryElement) {
            ReadFields<3>(element, path,
                          {{{&names.Title, &record.Title},
                            {&names.Text, &record.Text},
                            {&names.Category, &record.Category}}},
                          reader);
          } else {
            ReadFields<2>(element, path,
                          {{{&names.Title, &record.Title}, {&names.Text, &record.Text}}}, reader);
            record.Category = DefaultCategory;
          }
          return !reader.NeedsWhiteSpace;
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
