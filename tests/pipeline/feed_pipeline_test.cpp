#include "pipeline/feed_pipeline.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "testing/temp_folder.h"
#include "page/template_file.h"
#include "pipeline/settings_store.h"
#include "render/text_layout.h"
#include "support/error.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::ReadBytes;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

void WriteTemplate(const std::string& path) {
  WriteBytes(path, "");
  TPageFile file(path);
  file.SetBlockText(TTextBlock{3, 6, 38, 8});
  file.SetCharSet(8);
  file.Save();
}

// A home folder with a settings file naming the feed and categories by relative paths.
std::string Settings(const std::string& extra) {
  return "[Settings]\r\nXMLFilePath=feeds/news.xml\r\nUseFastext=0\r\n" + extra +
         "[XMLItem001]\r\nCategory=News\r\nIndexNumber=100\r\nFirstNumber=101\r\n"
         "IndexTemplateFileName=Templates/index.tpg\r\n"
         "MessageTemplateFileName=Templates/message.tpg\r\n";
}

std::string Feed(const std::vector<std::pair<std::string, std::string>>& messages,
                 const char* root = "root") {
  std::string xml = std::string("<?xml version=\"1.0\"?>\n<") + root + ">\n";
  for (const auto& [category, title] : messages) {
    xml += "<message><category>" + category + "</category><title>" + title +
           "</title><text>Some text.</text></message>\n";
  }
  return xml + "</" + root + ">\n";
}

struct Workspace {
  TempFolder Folder;
  std::string Home = Folder / "home/";
  explicit Workspace(const std::string& settings) {
    fs::create_directories(Home);
    WriteBytes(Home + "tavrel.ini", settings);
    WriteTemplate(Home + "Templates/index.tpg");
    WriteTemplate(Home + "Templates/message.tpg");
  }
};

TEST(FeedPipeline, CheckFeedGivesTheLinesOfEachCheck) {
  struct Case {
    const char* Name;
    std::string Extra;  // more [Settings] keys
    std::string Xml;
    std::vector<std::string> Lines;
  };
  const std::vector<Case> cases = {
      {"a clean feed", "", Feed({{"News", "One"}, {"news", "Two"}}), {}},
      {"the schema check stops the rest",
       "",
       Feed({{"Sport", "One"}}, "feed"),
       {"Root element \"root\" not found."}},
      {"an undefined category",
       "",
       Feed({{"Sport", "One"}, {"News", "Two"}}),
       {"Category \"Sport\" not defined."}},
      {"a feed without categories takes the first entry's",
       "UseCategoryElement=0\r\n",
       Feed({{"", "One"}}),
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Workspace workspace(Settings(c.Extra));
    TRIGlobals settings(workspace.Home);
    WriteBytes(workspace.Home + "feeds/news.xml", c.Xml);
    const TFeedCheckResult result = CheckFeed(settings, FeedPathForCommand(settings));
    EXPECT_EQ(result.Lines(), c.Lines);
    EXPECT_EQ(result.Passed(), c.Lines.empty());
  }
}

TEST(FeedPipeline, CheckFeedReportsPagesOutsideTheBroadcastRange) {
  Workspace workspace(Settings(""));
  TRIGlobals settings(workspace.Home);
  settings.Categories.front().FirstNumber = 899;
  WriteBytes(settings.ImportDir + "news.xml", Feed({{"News", "A"}, {"News", "B"}}));
  const TFeedCheckResult result = CheckFeed(settings);
  EXPECT_EQ(result.Lines(),
            std::vector<std::string>{"Category \"News\": message page 900 is outside 100..899 and "
                                     "is not generated."});
}

TEST(FeedPipeline, FeedPathForCommandPrefersTheFetchedCopy) {
  struct Case {
    const char* Name;
    std::string Extra;
    bool Imported;         // a fetched copy lies in Import/
    bool SourceThere;      // the configured local file exists
    std::string Expected;  // path below the home, or the error with <home>
  };
  const std::vector<Case> cases = {
      {"fetched copy", "", true, true, "Import/news.xml"},
      {"local file, not fetched yet", "", false, true, "feeds/news.xml"},
      {"local file missing", "", false, false, "error: <home>feeds/news.xml: feed file not found"},
      {"web feed not fetched", "IsXMLWeb=1\r\n", false, true,
       "error: <home>Import/WebRSS.xml: not found: the web feed has not been fetched yet"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Workspace workspace(Settings(c.Extra));
    TRIGlobals settings(workspace.Home);
    if (c.SourceThere) WriteBytes(workspace.Home + "feeds/news.xml", Feed({}));
    if (c.Imported) WriteBytes(settings.ImportDir + settings.XmlFileName(), Feed({}));
    std::string got;
    try {
      got = FeedPathForCommand(settings);
      got = got.substr(workspace.Home.size());
    } catch (const Error& error) {
      got = std::regex_replace(std::string("error: ") + error.what(), std::regex(workspace.Home),
                               "<home>");
    }
    EXPECT_EQ(got, c.Expected);
  }
}

TEST(FeedPipeline, GenerateFromFeedEmptiesExportAndResolvesRelativeTemplates) {
  Workspace workspace(Settings(""));
  TRIGlobals settings(workspace.Home);
  WriteBytes(workspace.Home + "feeds/news.xml",
             Feed({{"News", "One"}, {"News", "Two"}, {"Local", "Three"}}));
  // Left from an earlier run, one of them write-protected: neither may travel with this one.
  WriteBytes(settings.ExportDir + "555-0000.pag", "old");
  WriteBytes(settings.ExportDir + "update.zip", "old");
  fs::permissions(settings.ExportDir + "update.zip", fs::perms::owner_read);

  TPTextToPrestelPageForm formatter;
  int calls = 0;
  const TGenerationSummary summary = GenerateFromFeed(settings, formatter, settings.FeedFilePath(),
                                                      [&](const TGeneratedPage&) { ++calls; });
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(settings.ExportDir)) {
    files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"100-0000.pag", "101-0000.pag", "102-0000.pag",
                                             "Control.dat"}));
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(summary.Lines(settings.ExportDir),
            (std::vector<std::string>{
                "Categories: 2 in the feed, 1 generated",
                "Pages: 1 index page, 2 message pages",
                "Files: 3 page files and Control.dat in " + settings.ExportDir,
                "Skipped:",
                "  Category \"Local\" not defined. 1 message skipped.",
            }));
}

TEST(FeedPipeline, GenerateFromFeedRefusesAFeedInTheExportFolder) {
  Workspace workspace(Settings(""));
  TRIGlobals settings(workspace.Home);
  const std::string feed = settings.ExportDir + "news.xml";
  WriteBytes(feed, Feed({{"News", "One"}}));
  TPTextToPrestelPageForm formatter;
  try {
    GenerateFromFeed(settings, formatter, feed);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), feed + ": lies in the export folder " +
                                             settings.ExportDir +
                                             ", which generating empties; keep the feed elsewhere");
  }
  EXPECT_EQ(ReadBytes(feed), Feed({{"News", "One"}}));
}

}  // namespace
}  // namespace tavrel
