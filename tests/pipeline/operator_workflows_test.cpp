// The Preview workflow on a copy of the sample workspace: each way it can end, what the
// operator is told, and that a preview never makes the feed handled. Upload and the scan step
// run against the simulator in tests/cli and tests/integration.
#include "pipeline/operator_workflows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stop_token>
#include <string>

#include "pipeline/settings_store.h"
#include "render/text_layout.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kItems =
    "<item><title>Storm</title><category>News</category><description>Wind.</description></item>";

TEST(OperatorWorkflows, PreviewEndsAsTheFeedAndTheTableSay) {
  struct Case {
    const char* Name;
    std::string Feed;  // empty: the configured feed file is missing
    bool StopFirst;
    TWorkflowOutcome Expected;
    std::string ExpectedMessageStart;
    bool ExpectPages;
  };
  const Case cases[] = {
      {"a good feed", "<rss><channel>" + kItems + "</channel></rss>", false,
       TWorkflowOutcome::Generated, "", true},
      {"no feed file", "", false, TWorkflowOutcome::FeedNotFound, "XML File not found", false},
      {"another root element", "<feed>" + kItems + "</feed>", false,
       TWorkflowOutcome::SchemaMismatch, "", false},
      {"a category the table lacks",
       "<rss><channel><item><title>T</title><category>Gardening</category><description>D.</"
       "description></item></channel></rss>",
       false, TWorkflowOutcome::CategoryProblems, "", false},
      {"stopped before it began", "<rss><channel>" + kItems + "</channel></rss>", true,
       TWorkflowOutcome::Cancelled, "Cancelled", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder home;
    fs::copy(fs::path(TAVREL_SOURCE_DIR) / "data/sample", home.Root(), fs::copy_options::recursive);
    const fs::path feed = home.Root() / "Feed/news.xml";
    fs::remove(feed);
    if (!c.Feed.empty()) WriteBytes(feed, c.Feed);
    TRIGlobals settings(home.Dir());
    TPTextToPrestelPageForm formatter;
    std::stop_source stop;
    if (c.StopFirst) stop.request_stop();
    TWorkflowHooks hooks;
    hooks.Stop = stop.get_token();

    const TWorkflowResult result = RunPreview(settings, formatter, hooks);

    EXPECT_EQ(result.Outcome, c.Expected) << result.Message();
    EXPECT_EQ(result.Message().substr(0, c.ExpectedMessageStart.size()), c.ExpectedMessageStart);
    // A check that fails shows its own lines, and the preview generates nothing.
    if (c.Expected == TWorkflowOutcome::SchemaMismatch) {
      EXPECT_FALSE(result.Check.SchemaLines.empty());
      EXPECT_NE(result.Message().find("rss"), std::string::npos) << result.Message();
    }
    if (c.Expected == TWorkflowOutcome::CategoryProblems) {
      EXPECT_NE(result.Message().find("Gardening"), std::string::npos) << result.Message();
    }
    EXPECT_EQ(fs::exists(home.Root() / "Export/Control.dat"), c.ExpectPages);
    EXPECT_EQ(result.FirstPageSection, c.ExpectPages ? "100.0000" : "");
    EXPECT_EQ(!result.SummaryLines.empty(), c.ExpectPages);
    EXPECT_TRUE(ReadBytes(home.Root() / "Handled/news.xml").empty());
  }
}

// A new user's first Preview of the sample workspace, as the README describes it: every
// category of the sample feed is defined, so the preview makes pages and has nothing to list.
TEST(OperatorWorkflows, TheSamplesFirstPreviewShowsThePagesOfEveryCategory) {
  TempFolder home;
  fs::copy(fs::path(TAVREL_SOURCE_DIR) / "data/sample", home.Root(), fs::copy_options::recursive);
  TRIGlobals settings(home.Dir());
  TPTextToPrestelPageForm formatter;

  const TWorkflowResult result = RunPreview(settings, formatter);

  ASSERT_EQ(result.Outcome, TWorkflowOutcome::Generated) << result.Message();
  EXPECT_TRUE(result.Check.Passed()) << result.Message();
  EXPECT_EQ(result.FirstPageSection, "100.0000");
  ASSERT_FALSE(result.SummaryLines.empty());
  EXPECT_EQ(result.SummaryLines.front(), "Categories: 7 in the feed, 7 generated");
  EXPECT_EQ(result.SummaryLines.back(), "Skipped: nothing");
  EXPECT_TRUE(ErrorListLines(result, false).empty());
  for (const char* index : {"100", "200", "300", "400", "500", "600", "700"}) {
    EXPECT_TRUE(fs::exists(home.Root() / "Export" / (std::string(index) + "-0000.pag"))) << index;
  }
}

// What the window lists in "Errors" once a run has ended.
TEST(ErrorListLines, ShowTheCheckWhereItStoppedOrWasPassedByAndWhatWasNotLaidOut) {
  const std::vector<std::string> check = {"Category \"Gardening\" not defined."};
  const std::vector<std::string> layout = {"Message \"Long\" on page 101: ..."};
  const std::vector<std::string> schema = {"Root element \"rss\" not found."};
  struct Case {
    const char* Name;
    TWorkflowOutcome Outcome;
    bool Upload;
    std::vector<std::string> SchemaLines;
    std::vector<std::string> CategoryLines;
    std::vector<std::string> LayoutLines;
    std::vector<std::string> Expected;
  };
  const std::vector<Case> cases = {
      {"preview made pages", TWorkflowOutcome::Generated, false, {}, {}, {}, {}},
      {"preview made pages but cut a message",
       TWorkflowOutcome::Generated,
       false,
       {},
       {},
       layout,
       layout},
      {"preview stopped by the category check",
       TWorkflowOutcome::CategoryProblems,
       false,
       {},
       check,
       {},
       check},
      {"preview stopped by the schema: a message box instead",
       TWorkflowOutcome::SchemaMismatch,
       false,
       schema,
       {},
       {},
       {}},
      {"upload sent with findings and a cut message",
       TWorkflowOutcome::Uploaded,
       true,
       {},
       check,
       layout,
       {check[0], layout[0]}},
      {"upload sent a cut message", TWorkflowOutcome::Uploaded, true, {}, {}, layout, layout},
      {"upload refused by a busy server: the findings still",
       TWorkflowOutcome::ServerBusy,
       true,
       {},
       check,
       {},
       check},
      {"upload without a feed: nothing was checked",
       TWorkflowOutcome::FeedNotFound,
       true,
       {},
       {},
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TWorkflowResult result;
    result.Outcome = c.Outcome;
    result.Check.SchemaLines = c.SchemaLines;
    result.Check.CategoryLines = c.CategoryLines;
    result.LayoutLines = c.LayoutLines;
    EXPECT_EQ(ErrorListLines(result, c.Upload), c.Expected);
  }
}

}  // namespace
}  // namespace tavrel
