#include "pipeline/feed_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string_view>
#include <vector>

#include "pipeline/feed_text_writer.h"
#include "pipeline/html_text.h"
#include "support/error.h"
#include "support/feed_limits.h"
#include "support/file_utils.h"
#include "support/text_encoding.h"
#include "support/text_utils.h"

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

// Copies `size` bytes from `from` to `to`; returns where the first NUL among them is, or
// nullptr when there is none. A copy and search of one's own in a single pass with AVX2 saved
// about 7% of reading a 2 MB feed: too little for code of its own.
const char* CopyFindingNul(char* to, const char* from, std::size_t size) {
  std::memcpy(to, from, size);
  return static_cast<const char*>(std::memchr(from, '\0', size));
}

// The file name an error message shows for a document that was given as text.
std::string DocumentName(const std::string& fileName) {
  return fileName.empty() ? std::string("(feed text)") : fileName;
}

// Every byte with A..Z made lower case; one load where the comparison would be three steps.
constexpr std::array<unsigned char, 256> kLowerAscii = [] {
  std::array<unsigned char, 256> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<unsigned char>(ToLowerAscii(static_cast<char>(i)));
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
    std::string lower;
    for (char c : Name) lower += ToLowerAscii(c);
    First = lower.empty() ? '\0' : static_cast<unsigned char>(lower[0]);
    // An element name never holds NUL, and the comparison relies on NUL ending the name.
    MatchesNothing = Name.find('\0') != std::string::npos;
    // The name and its NUL in words of eight bytes, in the order of memory.
    for (std::size_t start = 0; start <= lower.size(); start += sizeof(std::uint64_t)) {
      unsigned char bytes[sizeof(std::uint64_t)] = {};
      unsigned char caseBits[sizeof(std::uint64_t)] = {};
      unsigned char care[sizeof(std::uint64_t)] = {};
      for (std::size_t i = 0; i < sizeof(std::uint64_t) && start + i <= lower.size(); ++i) {
        unsigned char c =
            start + i < lower.size() ? static_cast<unsigned char>(lower[start + i]) : '\0';
        bytes[i] = c;
        caseBits[i] = c >= 'a' && c <= 'z' ? 0x20 : 0;
        care[i] = 0xFF;
      }
      TWord& word = Words.emplace_back();
      std::memcpy(&word.Lower, bytes, sizeof bytes);
      std::memcpy(&word.CaseBits, caseBits, sizeof caseBits);
      std::memcpy(&word.Care, care, sizeof care);
    }
  }

  bool IsPath() const { return Path; }
  const std::string& Utf8() const { return Name; }

  // Whether an element whose name starts with this byte can match: a path name compares the
  // path, which any element can have.
  bool CanStartWith(unsigned char byte) const {
    return Path || (!MatchesNothing && kLowerAscii[byte] == First);
  }

  // `name` is the element's name, in the document as the parser read it in place (so that a
  // few bytes after its NUL may be read), and `path` its full path; the path is only looked at
  // for a path name.
  bool Matches(const char* name, std::string_view path) const {
    if (Path) return EqualsIgnoreCase(path, Name);
    if (MatchesNothing) return false;
    // Compared eight bytes at a time, in place: measuring every element name first would cost
    // more than the comparison. A byte that is a letter in the configured name matches in
    // either case: with the bit that tells cases apart set, it equals the lower-case letter,
    // which only the two forms of the letter do. The configured name's NUL differs from every
    // byte of a longer name, so the comparison stops at the latest in the word holding the
    // element name's NUL.
    for (const TWord& word : Words) {
      std::uint64_t bytes;
      std::memcpy(&bytes, name, sizeof bytes);
      if (((bytes | word.CaseBits) & word.Care) != word.Lower) return false;
      name += sizeof bytes;
    }
    return true;
  }

 private:
  // Eight bytes of the name in lower case: what to compare with, the bits to set in the
  // element's bytes first, and the bytes that count (those up to the name's NUL).
  struct TWord {
    std::uint64_t Lower;
    std::uint64_t CaseBits;
    std::uint64_t Care;
  };

  std::string Name;
  std::vector<TWord> Words;
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
};

// Calls visit(element) for every element below `base` (not `base` itself) in document order,
// a parent before its children, until visit returns false. The path is only kept up to date
// when asked for. The parser's library walks its tree itself, following the tree's links
// rather than recursing (so a maliciously deep document cannot overflow the stack), and
// without a call into the library for every step.
template <class Visit>
void ForEachDescendantElement(pugi::xml_node base, bool withPath, Visit visit) {
  class TWalker : public pugi::xml_tree_walker {
   public:
    TWalker(pugi::xml_node base, bool withPath, Visit& visit) : WithPath(withPath), Visitor(visit) {
      if (WithPath) {
        Path = PathOf(base);
        PathLengths.push_back(Path.size());
      }
    }

    bool for_each(pugi::xml_node& node) override {
      if (node.type() != pugi::node_element) return true;
      const char* name = node.name();
      const auto level = static_cast<std::size_t>(depth()) + 1;
      if (WithPath) {
        // The path of the element's parent, which stands at the level before it, and its name.
        PathLengths.resize(level);
        Path.resize(PathLengths[level - 1]);
        Path += '/';
        Path += name;
        PathLengths.push_back(Path.size());
      }
      return Visitor(TVisitedElement{node, name, Path, level});
    }

   private:
    bool WithPath;
    Visit& Visitor;
    std::string Path;
    std::vector<std::size_t> PathLengths;  // the length of the path at each depth so far
  };
  TWalker walker(base, withPath, visit);
  base.traverse(walker);
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

  // The text content of an element as the pages want it, assigned to `text`: all character
  // data below it in document order, without the indentation around it, every line break as
  // CR LF, in Windows-1252.
  void Text(const TVisitedElement& element, std::string& text);
};

void TFieldReader::Text(const TVisitedElement& element, std::string& text) {
  TFeedTextWriter& writer = Writer;
  // The parser keeps the first character data in the element when it comes before any child.
  const char* embedded = element.Element.value();
  pugi::xml_node node = element.Element.first_child();
  pugi::xml_node_type type = node.type();
  // Almost every field holds a single piece of character data. An empty value may be the
  // parser's own empty string rather than text of the document, so it is not converted.
  if (type == pugi::node_null) {
    if (*embedded == '\0') {
      text.clear();
    } else {
      writer.ConvertParsedText({embedded}, text);
    }
    return;
  }
  if (*embedded == '\0' && type == pugi::node_cdata &&
      node.next_sibling().type() == pugi::node_null) {
    if (const char* value = node.value(); *value == '\0') {
      text.clear();
    } else {
      writer.ConvertCData({value}, text);
    }
    return;
  }
  // White space alone only matters between two pieces of text; around a single piece of
  // character data it would be trimmed away in any case.
  if (!KeepsWhiteSpace) {
    NeedsWhiteSpace = true;
    text.clear();
    return;
  }
  writer.Clear();
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
      if (--depth == 0) {
        writer.CopyTextTo(text);
        return;
      }
      node = node.parent();
      next = node.next_sibling();
      nextType = next.type();
    }
    node = next;
    type = nextType;
  }
}

// The configured names an element can match, as bits, by the first byte of its name: most
// elements of a feed are none of them and differ from each in the first letter already.
class TCandidateNames {
 public:
  void Add(const TElementName& name, unsigned bit) {
    for (std::size_t byte = 0; byte < Bits.size(); ++byte) {
      if (name.CanStartWith(static_cast<unsigned char>(byte))) Bits[byte] |= bit;
    }
  }
  unsigned Of(const char* elementName) const {
    return Bits[static_cast<unsigned char>(elementName[0])];
  }

 private:
  std::array<unsigned char, 256> Bits{};
};

// One field of a message: the configured name of its child element and where its text goes.
struct TMessageField {
  const TElementName* Name;
  std::string TRSSMessage::*Text;
};

// A message whose children the walk has not passed yet.
struct TOpenMessage {
  std::size_t Depth;
  std::size_t Record;  // index into the messages: the vector may move as it grows
  unsigned Missing;    // bit i for field i while no child has given it
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
    if (xmlText.size() > kMaxFeedBytes) throw FileError(Name, FeedTooLargeText());
    Utf8 = ToUtf8(xmlText, check);
    // Parsed in place in a copy with room after it: every text and name of the tree ends at a
    // NUL inside the copy, with the bytes that the text writer and the name comparison read
    // ahead still in it.
    constexpr std::size_t padding = TFeedTextWriter::kReadAhead;
    static_assert(padding >= sizeof(std::uint64_t));
    Parsed = std::make_unique_for_overwrite<char[]>(Utf8.size() + padding);
    if (const char* nul = CopyFindingNul(Parsed.get(), Utf8.data(), Utf8.size())) {
      TTextPosition at = PositionInUtf8(Utf8, static_cast<std::size_t>(nul - Utf8.data()));
      throw ParseError(Name, at.Line, at.Column, "NUL character, which XML does not allow");
    }
    std::memset(Parsed.get() + Utf8.size(), 0, padding);
    pugi::xml_parse_result result = Document.load_buffer_inplace(
        Parsed.get(), Utf8.size(), keepWhiteSpace ? kParseOptionsKeepingWhiteSpace : kParseOptions,
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
  std::string_view Utf8;           // the document as parsed: the text itself, or Converted
  std::unique_ptr<char[]> Parsed;  // the copy the parser works in, which the tree points into
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

  UniqueFile file = OpenFile(path, "rb");
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
      if (bytes.size() + got > kMaxFeedBytes) throw FileError(path, FeedTooLargeText());
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
  // The messages of an earlier read are filled again rather than freed and made anew: their
  // strings keep their room, so reading a feed again allocates next to nothing. The first
  // `count` messages are those of this read; the rest go at the end, and all of them when the
  // read fails, so that no message of an earlier read survives it.
  std::size_t count = 0;
  try {
    count = ReadMessagesOver();
  } catch (...) {
    Messages.clear();
    throw;
  }
  Messages.erase(Messages.begin() + static_cast<std::ptrdiff_t>(count), Messages.end());
  if (Schema.HtmlTexts) {
    TWindows1252Transliterator transliterator;
    for (TRSSMessage& message : Messages) {
      message.Title = HtmlToText(message.Title, transliterator);
      message.Text = HtmlToText(message.Text, transliterator);
    }
  }
}

std::size_t TPRSS::ReadMessagesOver() {
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
  // Bit i for the name of field i, kMessageBit for the message's.
  constexpr unsigned kMessageBit = 1u << 3;
  TCandidateNames candidateNames;
  for (std::size_t i = 0; i < fieldCount; ++i) candidateNames.Add(*allFields[i].Name, 1u << i);
  candidateNames.Add(names.Message, kMessageBit);

  std::size_t count = 0;
  // The next message, empty but for the default category: one of an earlier read emptied, or
  // a new one.
  auto nextMessage = [&]() -> std::size_t {
    if (count == Messages.size()) {
      Messages.emplace_back();
    } else {
      TRSSMessage& reused = Messages[count];
      reused.Category.clear();
      reused.Title.clear();
      reused.Text.clear();
      reused.Pages.clear();
    }
    if (!Schema.UseCategoryElement) Messages[count].Category = DefaultCategory;
    return count++;
  };

  TFieldReader reader;
  std::vector<TOpenMessage> open;
  for (bool keepWhiteSpace : {false, true}) {
    TParsedFeed feed(FileName, XmlText, TParsedFeed::TCheck::DeliveredTexts, keepWhiteSpace);
    pugi::xml_node base = feed.Root();
    if (!base) return 0;
    if (Schema.UseChannelElement) {
      base = FindDescendant(base, names.Channel);
      if (!base) return 0;
    }
    reader.KeepsWhiteSpace = keepWhiteSpace;
    reader.NeedsWhiteSpace = false;
    open.clear();
    count = 0;
    // One walk finds the messages and their fields. Each message is taken where the walk finds
    // it, so outer messages come before the ones nested inside them, and its fields are filled
    // as the walk passes its children.
    ForEachDescendantElement(base, withPaths, [&](const TVisitedElement& element) {
      while (!open.empty() && open.back().Depth >= element.Depth) open.pop_back();
      const unsigned candidates = candidateNames.Of(element.Name);
      if (candidates == 0) return true;
      if (!open.empty() && open.back().Depth + 1 == element.Depth) {
        TOpenMessage& message = open.back();
        for (unsigned fields = candidates & message.Missing; fields != 0; fields &= fields - 1) {
          const auto i = static_cast<std::size_t>(std::countr_zero(fields));
          if (!allFields[i].Name->Matches(element.Name, element.Path)) continue;
          std::string& text = Messages[message.Record].*allFields[i].Text;
          reader.Text(element, text);
          // Atom names a category in its "term" attribute and leaves the element empty.
          if (text.empty() && &text == &Messages[message.Record].Category) {
            if (const pugi::xml_attribute term = element.Element.attribute("term")) {
              reader.Writer.Clear();
              reader.Writer.AddParsedText(term.value());
              reader.Writer.CopyTextTo(text);
            }
          }
          message.Missing &= ~(1u << i);
        }
        if (reader.NeedsWhiteSpace) return false;
      }
      if ((candidates & kMessageBit) != 0 && names.Message.Matches(element.Name, element.Path)) {
        open.push_back({element.Depth, nextMessage(), (1u << fieldCount) - 1});
      }
      return true;
    });
    if (!reader.Writer.WellFormed()) feed.ThrowMalformedUtf8();
    if (!reader.NeedsWhiteSpace) break;
  }
  return count;
}

TRSSMessages TPRSS::GetMessages() {
  ReadMessages();
  return Messages;
}

}  // namespace tavrel
