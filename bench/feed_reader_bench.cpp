// Reading a feed into messages against the XML parser's own parse of the same bytes: the
// reader's encoding check, text extraction and conversion to Windows-1252 should cost at most
// half as much again as the parse itself.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>
#include <string>

#include "pipeline/feed_reader.h"

namespace {

// An RSS-shaped feed of 2,000 items, about 2 MB, pretty-printed as real feeds are, with the
// accented letters, typographic quotes, dashes and entities of real news text: about one
// character outside ASCII on every line.
std::string MakeFeed() {
  constexpr int kItems = 2000;
  const char* categories[] = {"News", "Sport", "Weather", "Economy", "Culture"};
  std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n";
  feed += "  <channel>\n    <title>Station news</title>\n";
  for (int i = 0; i < kItems; ++i) {
    std::string number = std::to_string(i);
    feed += "    <item>\n";
    feed += "      <title>Headline " + number +
            ": caf\xC3\xA9 owner\xE2\x80\x99s plan &amp; the council</title>\n";
    feed += "      <category>" + std::string(categories[i % 5]) + "</category>\n";
    feed += "      <link>https://example.org/news/" + number + "</link>\n";
    feed += "      <description>\n";
    for (int line = 0; line < 10; ++line) {
      feed += "        The council met on Tuesday for the " + std::to_string(line) +
              (line % 2 ? "th time \xE2\x80\x93 and agreed on the plan for the town.\n"
                        : "th time and agreed on the r\xC3\xA9sum\xC3\xA9 of the plan.\n");
    }
    feed += "      </description>\n";
    feed += "      <pubDate>Tue, 10 Jun 2025 09:00:00 +0200</pubDate>\n";
    feed += "    </item>\n";
  }
  feed += "  </channel>\n</rss>\n";
  return feed;
}

const std::string& Feed() {
  static const std::string feed = MakeFeed();
  return feed;
}

void BM_PugixmlParse(benchmark::State& state) {
  const std::string& feed = Feed();
  for (auto _ : state) {
    pugi::xml_document document;
    pugi::xml_parse_result result = document.load_buffer(feed.data(), feed.size());
    benchmark::DoNotOptimize(result);
    benchmark::DoNotOptimize(document.first_child());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_PugixmlParse)->Unit(benchmark::kMillisecond);

// The parse with the options the reader uses (entities left to the reader, text of white space
// alone dropped, the first text of an element kept in the element): the floor under the
// reader's own figure.
void BM_PugixmlParseWithReaderOptions(benchmark::State& state) {
  const std::string& feed = Feed();
  constexpr unsigned kOptions = pugi::parse_cdata | pugi::parse_eol | pugi::parse_embed_pcdata;
  for (auto _ : state) {
    pugi::xml_document document;
    pugi::xml_parse_result result =
        document.load_buffer(feed.data(), feed.size(), kOptions, pugi::encoding_utf8);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_PugixmlParseWithReaderOptions)->Unit(benchmark::kMillisecond);

// A reader set up for the feed above.
tavrel::TPRSS Reader() {
  tavrel::TPRSS reader;
  reader.Schema.RootElement = "rss";
  reader.Schema.UseChannelElement = true;
  reader.Schema.MessageElement = "item";
  reader.Schema.TextElement = "description";
  return reader;
}

// The same reader reading the feed again and again: from the second read on, the messages of
// the read before are filled anew.
void BM_FeedReaderReadMessages(benchmark::State& state) {
  tavrel::TPRSS reader = Reader();
  reader.XmlText = Feed();
  std::size_t messages = 0;
  for (auto _ : state) {
    reader.ReadMessages();
    messages = reader.Messages.size();
    benchmark::DoNotOptimize(reader.Messages.data());
  }
  if (messages != 2000) state.SkipWithError("the feed did not read as 2,000 messages");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Feed().size()));
  state.counters["feed_bytes"] = static_cast<double>(Feed().size());
}
BENCHMARK(BM_FeedReaderReadMessages)->Unit(benchmark::kMillisecond);

// A new reader for every read, as the pipeline makes one for every feed it reads: every text
// of the messages is allocated anew, and the messages are freed with the reader.
void BM_FeedReaderNewReader(benchmark::State& state) {
  std::string feed = Feed();
  std::size_t messages = 0;
  for (auto _ : state) {
    tavrel::TPRSS reader = Reader();
    reader.XmlText.swap(feed);  // lent to the reader rather than copied
    reader.ReadMessages();
    messages = reader.Messages.size();
    benchmark::DoNotOptimize(reader.Messages.data());
    reader.XmlText.swap(feed);
  }
  if (messages != 2000) state.SkipWithError("the feed did not read as 2,000 messages");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Feed().size()));
}
BENCHMARK(BM_FeedReaderNewReader)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
