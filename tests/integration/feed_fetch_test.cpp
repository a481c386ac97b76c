#include "transfer/feed_fetch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "http_server_fixture.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::PythonHttpServer;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(FeedDownload, StoresTheBodyAsLinesOrFailsWithoutAFile) {
  TempFolder temp;
  const fs::path site = temp.Root() / "site";
  WriteBytes(site / "feed.xml", "<rss>\n<item/>\r\n</rss>");
  WriteBytes(site / "breaks.xml", "\n\n");
  WriteBytes(site / "zero.xml", "ab\0cd\nef"s);
  WriteBytes(site / "utf16.xml", "\xFF\xFE<\0\n\0r\0\r\0\n\0"s);
  WriteBytes(site / "empty.xml", "");
  fs::create_directories(site / "folder");
  // One byte over the limit; a sparse file, so that the test writes little to disk.
  std::ofstream(site / "big.xml").close();
  fs::resize_file(site / "big.xml", kMaxFeedBytes + 1);
  PythonHttpServer server(site);

  struct Case {
    std::string Path;
    bool ExpectedResult;
    std::string ExpectedFile;     // content of WebRSS.xml when written
    std::string ExpectedFailure;  // with <url> for the requested URL
  };
  const std::vector<Case> cases = {
      {"feed.xml", true, "<rss>\r\n<item/>\r\n</rss>\r\n", ""},
      {"breaks.xml", true, "\r\n\r\n", ""},
      {"zero.xml", true, "ab\0cd\r\nef\r\n"s, ""},
      {"utf16.xml", true, "\xFF\xFE<\0\n\0r\0\r\0\n\0"s, ""},
      {"empty.xml", false, "", "<url>: empty response"},
      {"missing.xml", false, "", "<url>: HTTP status 404"},
      {"folder", false, "", "<url>: redirect (HTTP status 301) not followed"},
      {"big.xml", false, "", "<url>: feed larger than 64 MiB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    TempFolder target;
    const std::string url = server.Url(c.Path);
    std::string failure;
    EXPECT_EQ(DownloadXmlFile(url, target.Dir(), &failure), c.ExpectedResult);
    const fs::path written = target.Root() / "WebRSS.xml";
    if (c.ExpectedResult) {
      EXPECT_EQ(ReadBytes(written), c.ExpectedFile);
      EXPECT_EQ(failure, "");
    } else {
      EXPECT_FALSE(fs::exists(written));
      std::string expected = c.ExpectedFailure;
      expected.replace(expected.find("<url>"), 5, url);
      EXPECT_EQ(failure, expected);
    }
    // Nothing but the feed itself is left in the folder (no temporary files).
    EXPECT_EQ(std::distance(fs::directory_iterator(target.Root()), fs::directory_iterator()),
              c.ExpectedResult ? 1 : 0);
  }
}

TEST(FeedDownload, UnreachableOrForbiddenAddressesFailWithTheirReason) {
  struct Case {
    std::string Url;
    std::string ExpectedFailureStart;
  };
  // A port that was free a moment ago: nothing listens there.
  int closedPort = 0;
  {
    TempFolder site;
    PythonHttpServer server(site.Root());
    closedPort = server.Port();
  }
  const std::string closedUrl = "http://127.0.0.1:" + std::to_string(closedPort) + "/feed.xml";
  const std::vector<Case> cases = {
      {closedUrl, closedUrl +
                      ": the server could not be reached (Failed to connect to 127.0.0.1 port " +
                      std::to_string(closedPort)},
      {"file:///etc/hostname", "file:///etc/hostname: Protocol \"file\" not supported"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Url);
    TempFolder target;
    std::string failure;
    EXPECT_FALSE(DownloadXmlFile(c.Url, target.Dir(), &failure));
    EXPECT_EQ(failure.substr(0, c.ExpectedFailureStart.size()), c.ExpectedFailureStart) << failure;
    EXPECT_FALSE(fs::exists(target.Root() / "WebRSS.xml"));
  }
}

}  // namespace
}  // namespace tavrel
