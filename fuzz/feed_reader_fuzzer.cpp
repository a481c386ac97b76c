// Feeds arbitrary bytes to the feed reader, as they stand or behind an XML declaration naming
// one of many encodings, with a random schema. Bad feeds must be refused with an error naming
// the file; reading the messages must never fail where checking the schema succeeded.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "pipeline/feed_reader.h"
#include "support/error.h"

using tavrel::fuzz::Require;

namespace {

// Declarations put before the fuzzer's bytes; the first leaves them as they are.
constexpr std::array<std::string_view, 12> kDeclarations = {
    "",
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>",
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
    "<?xml version=\"1.0\" encoding=\"iso-8859-2\"?>",
    "<?xml version=\"1.0\" encoding=\"windows-1250\"?>",
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
    "<?xml version=\"1.0\" encoding=\"utf-32\"?>",
    "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>",
    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>",
    "<?xml version=\"1.0\" encoding=\"no-such-encoding\"?>",
    "<?xml version='1.0' encoding=''?>",
};

// Element names of the schemas tried: the usual ones, RSS names, and full paths.
constexpr std::array<std::string_view, 8> kNames = {
    "root", "channel", "message", "title", "category", "text", "/rss/channel/item", "",
};

std::string PickName(FuzzedDataProvider& input) {
  return std::string(kNames[input.ConsumeIntegralInRange<std::size_t>(0, kNames.size() - 1)]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  tavrel::TPRSS feed;
  feed.FileName = "fuzz-feed.xml";
  feed.Schema.RootElement = PickName(input);
  feed.Schema.ChannelElement = PickName(input);
  feed.Schema.MessageElement = PickName(input);
  feed.Schema.TitleElement = PickName(input);
  feed.Schema.CategoryElement = PickName(input);
  feed.Schema.TextElement = PickName(input);
  feed.Schema.UseChannelElement = input.ConsumeBool();
  feed.Schema.UseCategoryElement = input.ConsumeBool();
  feed.DefaultCategory = "News";
  const auto declaration =
      kDeclarations[input.ConsumeIntegralInRange<std::size_t>(0, kDeclarations.size() - 1)];
  feed.XmlText = std::string(declaration) + input.ConsumeRemainingBytesAsString();

  bool schemaChecked = false;
  try {
    (void)feed.CheckSchema();
    schemaChecked = true;
  } catch (const tavrel::Error& error) {
    Require(std::string(error.what()).find(feed.FileName) != std::string::npos,
            "a schema check error names the file");
  }
  try {
    feed.ReadMessages();
  } catch (const tavrel::Error& error) {
    Require(!schemaChecked, "a feed whose schema could be checked can be read");
    Require(std::string(error.what()).find(feed.FileName) != std::string::npos,
            "a read error names the file");
    return 0;
  }
  for (const auto& message : feed.Messages) {
    Require(message.Pages.empty(), "the reader leaves the pages to the generator");
  }
  return 0;
}
