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

#include "support/error.h"
#include "support/text_encoding.h"

namespace tavrel {

namespace {

// The predefined entities of XML and the characters they stand for.
struct TPredefinedEntity {
  std::string_view Name;  // between "&" and ";"
  char Character;
};
constexpr TPredefinedEntity kPredefinedEntities[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"apos", '\''}, {"quot", '"'},
};

// Entities and character references are resolved by the reader rather than by the parser:
// the parser would turn "&#0;" into a terminator and silently cut the text there.
constexpr unsigned kParseOptions =
    (pugi::parse_default & ~pugi::parse_escapes) | pugi::parse_ws_pcdata;

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

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether XML allows the character in a document; references to any other value stay as
// written instead of smuggling control codes (teletext attributes) into a page.
bool IsXmlCharacter(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The character of a numeric reference "#65" or "#x41" (the text between "&" and ";"), or
// nothing when it is not a well-formed reference to a character XML allows.
std::optional<std::uint32_t> NumericReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return std::nullopt;
  bool hex = body[1] == 'x';
  std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF) return std::nullopt;
  }
  if (!IsXmlCharacter(value)) return std::nullopt;
  return value;
}

// Appends character data with its entities and character references resolved. What does not
// read as one stays as written.
void AppendUnescaped(std::string& out, std::string_view text) {
  // Longest reference worth looking at: "&#x0010FFFF;" with a few leading zeros to spare.
  constexpr std::size_t kLongestReference = 16;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(text.substr(i));
      return;
    }
    out.append(text.substr(i, amp - i));
    std::size_t semicolon = text.substr(0, amp + kLongestReference).find(';', amp + 1);
    if (semicolon != std::string_view::npos) {
      std::string_view body = text.substr(amp + 1, semicolon - amp - 1);
      bool resolved = false;
      if (auto character = NumericReference(body)) {
        AppendUtf8(out, *character);
        resolved = true;
      } else {
        for (const TPredefinedEntity& entity : kPredefinedEntities) {
          if (body == entity.Name) {
            out.push_back(entity.Character);
            resolved = true;
            break;
          }
        }
      }
      if (resolved) {
        i = semicolon + 1;
        continue;
      }
    }
    out.push_back('&');
    i = amp + 1;
  }
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

struct TFoundElement {
  pugi::xml_node Element;
  std::string Path;
};

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

// Every descendant of `base` that the name matches, in document order, with its path.
std::vector<TFoundElement> FindAllDescendants(pugi::xml_node base, const TElementName& name,
                                              bool withPaths) {
  std::vector<TFoundElement> found;
  ForEachDescendantElement(base, name.IsPath() || withPaths,
                           [&](pugi::xml_node element, std::string_view path) {
                             if (name.Matches(element, path)) {
                               found.push_back({element, std::string(path)});
                             }
                             return true;
                           });
  return found;
}

// All character data below an element, in document order, as UTF-8.
std::string TextContent(pugi::xml_node element) {
  std::string text;
  pugi::xml_node node = element.first_child();
  while (node) {
    switch (node.type()) {
      case pugi::node_pcdata:
        AppendUnescaped(text, node.value());
        break;
      case pugi::node_cdata:
        text += node.value();
        break;
      default:
        break;
    }
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (!node.next_sibling()) {
      node = node.parent();
      if (node == element) return text;
    }
    node = node.next_sibling();
  }
  return text;
}

// The text content of an element as the pages want it: without the indentation around it,
// every line break as CR LF, in Windows-1252.
// `wellFormed` turns false when the text was not well-formed UTF-8.
std::string FinishedText(pugi::xml_node element, TWindows1252Transliterator& transliterator,
                         bool& wellFormed) {
  // Almost every field holds one piece of text; it is used where it lies.
  std::string gathered;
  std::string_view utf8;
  pugi::xml_node only = element.first_child();
  if (only && !only.next_sibling() && only.type() == pugi::node_cdata) {
    utf8 = only.value();
  } else if (only && !only.next_sibling() && only.type() == pugi::node_pcdata &&
             !std::strchr(only.value(), '&')) {
    utf8 = only.value();
  } else {
    gathered = TextContent(element);
    utf8 = gathered;
  }

  std::size_t first = 0;
  std::size_t last = utf8.size();
  while (first < last && IsXmlSpace(utf8[first])) ++first;
  while (last > first && IsXmlSpace(utf8[last - 1])) --last;

  std::string text;
  text.reserve(last - first);
  if (!transliterator.AppendLines(utf8.substr(first, last - first), text)) wellFormed = false;
  return text;
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
void ReadFields(const TFoundElement& message, std::array<TMessageField, N> fields,
                TWindows1252Transliterator& transliterator, bool& wellFormed) {
  bool anyPath = false;
  for (const TMessageField& field : fields) anyPath = anyPath || field.Name->IsPath();
  std::array<bool, N> found{};
  std::size_t missing = N;
  std::string path;
  for (pugi::xml_node child = message.Element.first_child(); child && missing > 0;
       child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    if (anyPath) path = message.Path + '/' + child.name();
    for (std::size_t i = 0; i < N; ++i) {
      if (found[i] || !fields[i].Name->Matches(child, path)) continue;
      *fields[i].Text = FinishedText(child, transliterator, wellFormed);
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

  TParsedFeed(const std::string& fileName, const std::string& xmlText, TCheck check)
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
    pugi::xml_parse_result result =
        Document.load_buffer(Utf8.data(), Utf8.size(), kParseOptions, pugi::encoding_utf8);
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
  TParsedFeed feed(FileName, XmlText, TParsedFeed::TCheck::DeliveredTexts);
  pugi::xml_node base = feed.Root();
  if (!base) return;

  TSchemaNames names(Schema);
  if (Schema.UseChannelElement) {
    base = FindDescendant(base, names.Channel);
    if (!base) return;
  }
  // Paths of the messages are only needed when a child is looked up by its path.
  bool childPaths = names.Title.IsPath() || names.Text.IsPath() ||
                    (Schema.UseCategoryElement && names.Category.IsPath());
  std::vector<TFoundElement> found = FindAllDescendants(base, names.Message, childPaths);

  TWindows1252Transliterator transliterator;
  bool wellFormed = true;
  Messages.reserve(found.size());
  for (const TFoundElement& message : found) {
    TRSSMessage& record = Messages.emplace_back();
    if (Schema.UseCategoryElement) {
      ReadFields<3>(message,
                    {{{&names.Title, &record.Title},
                      {&names.Text, &record.Text},
                      {&names.Category, &record.Category}}},
                    transliterator, wellFormed);
    } else {
      ReadFields<2>(message, {{{&names.Title, &record.Title}, {&names.Text, &record.Text}}},
                    transliterator, wellFormed);
      record.Category = DefaultCategory;
    }
  }
  if (!wellFormed) {
    Messages.clear();
    feed.ThrowMalformedUtf8();
  }
}

TRSSMessages TPRSS::GetMessages() {
  ReadMessages();
  return Messages;
}

}  // namespace tavrel
