#include "pipeline/feed_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/error.h"
#include "support/feed_limits.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

std::string FeedPath(const std::string& name) {
  return std::string(TAVREL_TEST_DATA_DIR) + "/feeds/" + name;
}

TPRSS LoadedReader(const std::string& name, const TXMLSchema& schema = {}) {
  TPRSS reader;
  reader.Schema = schema;
  EXPECT_TRUE(reader.LoadFromFile(FeedPath(name))) << name;
  return reader;
}

TEST(FeedReader, CheckSchemaReportsTheFirstStructuralFailureOrAllMissingFields) {
  struct Case {
    const char* File;
    TXMLSchema Schema;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"basic.xml", {}, ""},
      // Letter case of element names does not matter.
      {"upper_root.xml", {}, ""},
      {"feed_root.xml", {}, "Root element \"root\" not found."},
      // The root line ends the check even when the channel is missing too.
      {"feed_root.xml", {.UseChannelElement = true}, "Root element \"root\" not found."},
      {"basic.xml", {.UseChannelElement = true}, "Channel element \"channel\" not found."},
      {"nested_channel.xml", {.UseChannelElement = true}, ""},
      {"no_messages.xml", {}, "Message element \"message\" not found."},
      {"no_messages.xml", {.UseChannelElement = true}, "Message element \"message\" not found."},
      // Messages are searched below the root even when a channel is configured.
      {"channel.xml", {.UseChannelElement = true}, ""},
      {"no_title_no_text.xml",
       {.UseCategoryElement = false},
       "Title element \"title\" not found.\r\nText element \"text\" not found."},
      {"no_title_no_text.xml",
       {},
       "Category element \"category\" not found.\r\nTitle element \"title\" not found.\r\n"
       "Text element \"text\" not found."},
      {"no_title_no_text.xml",
       {.UseCategoryElement = true, .TitleElement = "headline", .TextElement = "body"},
       "Category element \"category\" not found."},
      // Fields are searched over the whole document, not per message.
      {"title_in_one_message.xml", {}, ""},
      // The lines carry the configured names as written, not as found.
      {"feed_root.xml", {.RootElement = "Rss"}, "Root element \"Rss\" not found."},
      // Path names.
      {"rss.xml",
       {.RootElement = "rss",
        .ChannelElement = "/rss/channel",
        .UseChannelElement = true,
        .MessageElement = "/rss/channel/item",
        .TitleElement = "/rss/channel/item/title",
        .CategoryElement = "category",
        .TextElement = "description"},
       ""},
      {"rss.xml",
       {.RootElement = "/RSS", .MessageElement = "item", .TextElement = "description"},
       ""},
      {"rss.xml",
       {.RootElement = "rss", .MessageElement = "/channel/item", .TextElement = "description"},
       "Message element \"/channel/item\" not found."},
      {"rss.xml",
       {.RootElement = "rss",
        .ChannelElement = "/channel",
        .UseChannelElement = true,
        .MessageElement = "item"},
       "Channel element \"/channel\" not found."},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(std::string(row.File) + " expecting \"" + row.Expected + "\"");
    TPRSS reader = LoadedReader(row.File, row.Schema);
    EXPECT_EQ(reader.CheckSchema(), row.Expected);
  }
}

TEST(FeedReader, ReadsMessagesByTheLookupRules) {
  struct Case {
    const char* File;
    TXMLSchema Schema;
    std::string DefaultCategory;
    TRSSMessages Expected;
  };
  const std::vector<Case> cases = {
      {"basic.xml",
       {},
       "",
       {{"Sport", "Ajax wins", "Ajax won the match.", {}},
        {"News", "Rain tomorrow", "Rain all day.\r\n      Wind from the west.", {}}}},
      {"upper_root.xml", {}, "", {{"Sport", "Loud", "Names in other case", {}}}},
      // Without the channel every message below the root counts; with it, only those below
      // the first channel.
      {"channel.xml",
       {},
       "",
       {{"X", "Outside before", "o", {}},
        {"A", "In first channel", "1", {}},
        {"B", "In second channel", "2", {}}}},
      {"channel.xml", {.UseChannelElement = true}, "", {{"A", "In first channel", "1", {}}}},
      {"nested_channel.xml", {.UseChannelElement = true}, "", {{"C", "Deep", "d", {}}}},
      // Missing channel or root: no messages rather than a failure.
      {"basic.xml", {.UseChannelElement = true}, "", {}},
      {"comment_only.xml", {}, "", {}},
      {"not_xml.txt", {}, "", {}},
      // Nested messages, outer before inner; each reads only its own children.
      {"nested.xml",
       {},
       "",
       {{"A", "Outer", "outer text", {}},
        {"B", "Inner", "inner text", {}},
        {"C", "Innermost", "deepest", {}},
        {"D", "Last", "last text", {}}}},
      {"repeated.xml", {}, "", {{"One", "First title", "t1", {}}}},
      {"missing_fields.xml",
       {},
       "",
       {{"", "Only a title", "", {}}, {"", "", "Only a text", {}}, {"", "", "", {}}}},
      // Without category elements every message gets the default category, even where the
      // feed has one.
      {"basic.xml",
       {.UseCategoryElement = false},
       "Sport",
       {{"Sport", "Ajax wins", "Ajax won the match.", {}},
        {"Sport", "Rain tomorrow", "Rain all day.\r\n      Wind from the west.", {}}}},
      {"cdata.xml", {}, "", {{"C", "Tom & Jerry <live>", "Before <b>&amp;</b> after", {}}}},
      // Every well-formed reference to an XML character resolves; one to a control character
      // becomes a space; anything else stays as written, and nothing after it is lost.
      {"entities.xml",
       {},
       "",
       {{"E",
         "<Caf\xE9 & Bar> \"'\xE9&#XE9;",
         "It\x92s \x80"
         "5 &nbsp; &#0; &#65 &#xD800;   &#x110000; \ttab AB&amp;",
         {}}}},
      // Text content is all character data below the element; comments and processing
      // instructions are not text.
      {"mixed_content.xml", {}, "", {{"M", "Mixed bold italic end", "ab c\r\nd", {}}}},
      // Indentation goes, inner line breaks become CR LF once (not CR CR LF).
      {"crlf.xml", {}, "", {{"Weather", "Spaced title", "Line one\r\n      Line two", {}}}},
      // Path names for messages and their children, case-insensitive.
      {"rss.xml",
       {.RootElement = "rss",
        .MessageElement = "/RSS/channel/item",
        .TitleElement = "/rss/channel/item/title",
        .TextElement = "description"},
       "",
       {{"News", "First item", "Item text", {}}}},
      {"rss.xml",
       {.RootElement = "rss", .MessageElement = "item", .TextElement = "description"},
       "",
       {{"News", "First item", "Item text", {}}, {"Old", "Archived item", "Old text", {}}}},
      {"rss.xml",
       {.ChannelElement = "/rss/channel",
        .UseChannelElement = true,
        .MessageElement = "/rss/channel/archive/item",
        .CategoryElement = "/rss/channel/archive/item/category",
        .TextElement = "description"},
       "",
       {{"Old", "Archived item", "Old text", {}}}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.File);
    TPRSS reader = LoadedReader(row.File, row.Schema);
    reader.DefaultCategory = row.DefaultCategory;
    EXPECT_EQ(reader.GetMessages(), row.Expected);
    EXPECT_EQ(reader.Messages, row.Expected);
  }
}

TEST(FeedReader, DeliversEveryEncodingAsWindows1252) {
  struct Case {
    const char* File;
    std::string ExpectedTitle;
  };
  // "Łódź – café ő € ’": Ł, ź and ő are not in Windows-1252 and are transliterated.
  const std::string full =
      "L\xF3"
      "dz \x96 caf\xE9 o \x80 \x92";
  const std::vector<Case> cases = {
      {"utf8_no_bom.xml", full},
      {"utf8_bom.xml", full},
      {"utf16le_bom.xml", full},
      {"utf16be_bom.xml", full},
      {"utf16le_no_bom.xml", full},
      {"utf32le_bom.xml", full},
      {"iso8859_1.xml", "caf\xE9 \xFC\xDF \xA9"},
      {"iso8859_2.xml",
       "L\xF3"
       "dz caf\xE9 o"},
      {"windows1252.xml", "caf\xE9 \x96 \x80 \x92 \x8A"},
      {"windows1250.xml",
       "L\xF3"
       "dz o \x96"},
      // Characters without a Latin likeness become "?", never vanish.
      {"utf8_other_scripts.xml", "?? ? fi"},
      // A byte order mark outranks a declaration that contradicts it.
      {"bom_utf8_declares_latin1.xml", "caf\xE9"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.File);
    TPRSS reader = LoadedReader(row.File);
    EXPECT_EQ(reader.CheckSchema(), "");
    TRSSMessages messages = reader.GetMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Title, row.ExpectedTitle);
    EXPECT_EQ(messages[0].Text, "x");
  }
}

TEST(FeedReader, BrokenDocumentsGiveAnErrorNamingFileAndPosition) {
  struct Case {
    const char* File;
    std::string Expected;  // after "<path>"
  };
  const std::vector<Case> cases = {
      {"mismatched.xml", ":3:20: not well-formed XML: Start-end tags mismatch"},
      {"declared_utf8_latin1_bytes.xml",
       ":2:26: invalid UTF-8 byte sequence in a document declared as UTF-8"},
      {"undeclared_latin1_bytes.xml",
       ":2:20: invalid UTF-8 byte sequence (a document without a byte order mark or encoding "
       "declaration must be UTF-8)"},
      {"declared_utf16_8bit_bytes.xml",
       ": the document says its encoding is \"UTF-16\", but its bytes are not in that encoding"},
      {"unknown_encoding.xml", ": unsupported encoding \"x-no-such-code\""},
      {"windows1252_undefined_byte.xml",
       ":3:23: byte sequence that is not valid in encoding \"windows-1252\""},
      {"utf16le_truncated.xml",
       ":1:48: the document ends inside a character of encoding \"UTF-16LE\""},
      {"nul_byte.xml", ":2:23: NUL character, which XML does not allow"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.File);
    const std::string expected = FeedPath(row.File) + row.Expected;
    TPRSS reader = LoadedReader(row.File);
    reader.Messages = {{"stale", "stale", "stale", {}}};
    try {
      reader.CheckSchema();
      ADD_FAILURE() << "CheckSchema accepted the document";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), expected);
    }
    try {
      reader.ReadMessages();
      ADD_FAILURE() << "ReadMessages accepted the document";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), expected);
    }
    EXPECT_TRUE(reader.Messages.empty()) << "messages of an earlier read survived";
  }
}

// The schema check looks at every byte; reading messages checks the bytes of each text it
// delivers, so a malformed byte where no message text comes from does not stop a broadcast.
TEST(FeedReader, MalformedBytesOutsideTheTextsStopOnlyTheSchemaCheck) {
  TPRSS reader = LoadedReader("invalid_utf8_outside_texts.xml");
  try {
    reader.CheckSchema();
    ADD_FAILURE() << "CheckSchema accepted the document";
  } catch (const Error& error) {
    EXPECT_EQ(error.what(), FeedPath("invalid_utf8_outside_texts.xml") +
                                ":4:33: invalid UTF-8 byte sequence in a document declared as "
                                "UTF-8");
  }
  EXPECT_EQ(reader.GetMessages(), (TRSSMessages{{"News", "Fine title", "Fine text", {}}}));
}

TEST(FeedReader, CheckSchemaRejectsDocumentsWithoutRoot) {
  for (const char* file : {"comment_only.xml", "not_xml.txt"}) {
    SCOPED_TRACE(file);
    TPRSS reader = LoadedReader(file);
    try {
      reader.CheckSchema();
      ADD_FAILURE() << "CheckSchema accepted a document without root";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), FeedPath(file) + ": no root element: this is not an XML feed");
    }
  }
}

// A file of zero bytes of the given size; sparse, so it costs no disk space.
void MakeFileOfSize(const std::string& path, std::uintmax_t size) {
  std::ofstream{path};
  std::filesystem::resize_file(path, size);
}

TEST(FeedReader, LoadFromFileKeepsTheBytesAndRefusesWhatItCannotRead) {
  testing::TempFolder scratch;
  const std::string folder = scratch.Path().substr(0, scratch.Path().size() - 1);
  const std::string missing = scratch / "missing.xml";
  const std::string tooLarge = scratch / "huge.xml";
  const std::string exactLimit = scratch / "limit.xml";
  MakeFileOfSize(tooLarge, kMaxFeedBytes + 1);
  MakeFileOfSize(exactLimit, kMaxFeedBytes);

  struct Case {
    std::string Path;
    bool Loads;
    std::string Error;  // empty when no error is expected
  };
  const std::vector<Case> cases = {
      {FeedPath("crlf.xml"), true, ""},
      {FeedPath("utf16le_bom.xml"), true, ""},
      {exactLimit, true, ""},
      {missing, false, ""},
      {folder, false, folder + ": is a folder, not a feed"},
      {tooLarge, false, tooLarge + ": feed larger than 64 MiB"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Path);
    TPRSS reader;
    reader.FileName = "before";
    reader.XmlText = "<before/>";
    try {
      EXPECT_EQ(reader.LoadFromFile(row.Path), row.Loads);
      EXPECT_EQ(row.Error, "");
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), row.Error);
    }
    if (row.Loads) {
      std::string bytes(std::filesystem::file_size(row.Path), '\0');
      std::ifstream(row.Path, std::ios::binary).read(bytes.data(), std::ssize(bytes));
      EXPECT_TRUE(reader.XmlText == bytes);
      EXPECT_EQ(reader.FileName, row.Path);
    } else {
      EXPECT_EQ(reader.FileName, "before");
      EXPECT_EQ(reader.XmlText, "<before/>");
    }
  }
}

TEST(FeedReader, TextGivenDirectlyIsCappedAndNamedInErrors) {
  struct Case {
    std::string Text;
    std::string Error;
  };
  const std::vector<Case> cases = {
      {std::string(kMaxFeedBytes + 1, ' '), "(feed text): feed larger than 64 MiB"},
      {"<root><message>", "(feed text):1:15: not well-formed XML: Start-end tags mismatch"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Error);
    TPRSS reader;
    reader.XmlText = row.Text;
    EXPECT_THROW(
        {
          try {
            reader.ReadMessages();
          } catch (const Error& error) {
            EXPECT_EQ(error.what(), row.Error);
            throw;
          }
        },
        Error);
  }
}

// The document is searched for NUL bytes as it is copied for the parser: one anywhere, near the
// start or in the last bytes, is found, and the message names its line and column.
TEST(FeedReader, FindsANulByteAnywhereInALongDocument) {
  std::string document = "<?xml version=\"1.0\"?>\n<rss><channel>\n";
  for (int i = 0; i < 40; ++i)
    document += "<item><title>Title</title><description>Text</description></item>\n";
  document += "</channel></rss>\n";
  const std::size_t lastLine = document.rfind('\n', document.size() - 2) + 1;
  std::vector<std::size_t> places;
  for (std::size_t at = 0; at < 300; ++at) places.push_back(at);
  for (std::size_t at = document.size() - 200; at < document.size(); ++at) places.push_back(at);
  places.push_back(lastLine);
  for (const std::size_t at : places) {
    SCOPED_TRACE(at);
    TPRSS reader;
    reader.XmlText = document;
    reader.XmlText[at] = '\0';
    const std::size_t lineStart = at == 0 ? 0 : document.rfind('\n', at - 1) + 1;
    const auto line =
        1 + std::count(document.begin(), document.begin() + static_cast<long>(lineStart), '\n');
    const std::string expected = "(feed text):" + std::to_string(line) + ":" +
                                 std::to_string(at - lineStart + 1) +
                                 ": NUL character, which XML does not allow";
    try {
      reader.ReadMessages();
      ADD_FAILURE() << "the NUL was not found";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), expected);
    }
  }
}

// A document nested far deeper than any feed must neither overflow the stack nor lose the
// message at its bottom, whether names or paths are looked up.
TEST(FeedReader, SurvivesVeryDeepNesting) {
  constexpr int kDepth = 200000;
  std::string text = "<root>";
  std::string messagePath = "/root";
  for (int i = 0; i < kDepth; ++i) {
    text += "<a>";
    messagePath += "/a";
  }
  text += "<message><title>bottom</title></message>";
  for (int i = 0; i < kDepth; ++i) text += "</a>";
  text += "</root>";
  messagePath += "/message";

  TPRSS reader;
  reader.XmlText = text;
  for (const auto& schema : {TXMLSchema{}, TXMLSchema{.MessageElement = messagePath,
                                           .TitleElement = messagePath + "/title"}}) {
    SCOPED_TRACE(schema.MessageElement.substr(0, 20));
    reader.Schema = schema;
    EXPECT_EQ(reader.CheckSchema(),
              "Category element \"category\" not found.\r\nText element \"text\" not found.");
    TRSSMessages messages = reader.GetMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Title, "bottom");
  }
}

}  // namespace
}  // namespace tavrel
