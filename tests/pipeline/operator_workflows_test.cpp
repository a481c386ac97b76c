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

}  // namespace
}  // namespace tavrel
