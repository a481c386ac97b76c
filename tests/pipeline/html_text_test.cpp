#include "pipeline/html_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text_encoding.h"

namespace tavrel {
namespace {

TEST(HtmlText, TagsGoBlocksBreakReferencesDecodeBlanksCollapse) {
  struct Case {
    const char* Name;
    std::string Html;      // Windows-1252, as the feed reader delivers it
    std::string Expected;  // Windows-1252
  };
  const std::vector<Case> cases = {
      {"paragraphs and an inline tag", "<p>The <b>deal</b> was signed.</p><p>Critics</p>",
       "The deal was signed.\r\nCritics"},
      {"br, div, li and headings each end a line; several in a row count as one",
       "<h2>Title</h2>\n<div>One<br/>Two<br><br>Three</div><ul><li>a</li><LI>b</li></ul>",
       "Title\r\nOne\r\nTwo\r\nThree\r\na\r\nb"},
      {"named and numeric references, in and out of Windows-1252",
       "minister&#8217;s &ldquo;deal&rdquo; &ndash; 14&nbsp;Dec &amp; 3&#x25; &euro;5 &eacute;",
       "minister\x92s \x93" "deal\x94 \x96 14\xA0" "Dec & 3% \x80" "5 \xE9"},
      {"a reference Windows-1252 lacks is transliterated, an unknown one stays",
       "&#322;&oacute;d&#378; &bogus; &#xD800; &", "l\xF3" "dz &bogus; ? &"},
      {"a reference to a control character is a space", "a&#9;b&#0;c", "a b c"},
      {"white space runs collapse and the ends are trimmed", "  a \t\r\n  b  ", "a b"},
      {"comments, scripts and styles leave nothing",
       "a<!-- hidden -->b<script>var x = '<p>';</script>c<style>p{}</style>d", "abcd"},
      {"a < that starts no tag stays", "2 < 3 and 5 > 4", "2 < 3 and 5 > 4"},
      {"a link keeps its text only", "<a href=\"https://x.example/?a=1&amp;b=2\">Read more</a>",
       "Read more"},
      {"Windows-1252 text outside the references stays", "Caf\xE9 \x93ok\x94", "Caf\xE9 \x93ok\x94"},
  };
  TWindows1252Transliterator transliterator;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(HtmlToText(c.Html, transliterator), c.Expected);
  }
}

}  // namespace
}  // namespace tavrel
