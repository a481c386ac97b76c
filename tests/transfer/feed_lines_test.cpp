#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/feed_fetch.h"

namespace tavrel {
namespace {

using namespace std::string_literals;

TEST(FeedLines, EveryBreakBecomesCrLfAndNothingElseChanges) {
  struct Case {
    const char* Name;
    std::string Body;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"empty body gives no line", "", ""},
      {"last line gets its break", "<rss/>", "<rss/>\r\n"},
      {"LF", "a\nb\n", "a\r\nb\r\n"},
      {"CR LF stays one break", "a\r\nb", "a\r\nb\r\n"},
      {"lone CR", "a\rb", "a\r\nb\r\n"},
      {"CR before CR LF is two breaks", "a\r\r\nb", "a\r\n\r\nb\r\n"},
      {"LF before CR is two breaks", "a\n\rb", "a\r\n\r\nb\r\n"},
      {"only breaks give empty lines", "\n\n\r", "\r\n\r\n\r\n"},
      {"a single break is one empty line", "\n", "\r\n"},
      {"zero bytes are kept", "a\0b\nc\0"s, "a\0b\r\nc\0\r\n"s},
      {"8-bit bytes are kept", "caf\xE9\n\x80\xFF", "caf\xE9\r\n\x80\xFF\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ToCrLfLines(c.Body), c.Expected);
  }
}

}  // namespace
}  // namespace tavrel
