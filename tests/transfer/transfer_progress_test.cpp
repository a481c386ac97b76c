// The progress dialog's model: bar arithmetic, captions and the button.

#include "transfer/transfer_progress.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {
namespace {

TEST(TransferProgressTest, BarFollowsBytesThroughTheScale) {
  struct Case {
    const char* name;
    std::int64_t total;
    std::int64_t done;
    double scale;
    int bar;
  };
  const Case cases[] = {
      {"nothing sent", 2000, 0, 0.5, 0},
      {"half", 2000, 1000, 0.5, 500},
      {"all", 2000, 2000, 0.5, 1000},
      {"rounds to nearest, down", 3000, 1, 1.0 / 3.0, 0},
      {"rounds to nearest, up", 3000, 2, 1.0 / 3.0, 1},
      {"one byte file", 1, 1, 1000.0, 1000},
      {"more bytes than the total stay within the bar", 100, 250, 10.0, 1000},
      {"total 0 leaves the bar empty", 0, 500, 0.0, 0},
      {"missing file (-1) leaves the bar empty", -1, 500, 0.0, 0},
      {"sizes beyond 32 bits", 6000000000LL, 3000000000LL, 1000.0 / 6000000000.0, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPFileProgress progress;
    progress.SetTotal(c.total);
    progress.SetProgress(c.done);
    EXPECT_EQ(progress.Total(), c.total);
    EXPECT_EQ(progress.Done(), c.done);
    EXPECT_DOUBLE_EQ(progress.Scale(), c.scale);
    EXPECT_EQ(progress.BarPosition(), c.bar);
  }
}

TEST(TransferProgressTest, CaptionsFollowDirectionAndState) {
  struct Case {
    const char* name;
    TTransferDirection direction;
    bool finished;
    const char* directionCaption;
    const char* processedCaption;
    const char* button;
    const char* status;
  };
  const Case cases[] = {
      {"upload running", TTransferDirection::Upload, false, "Upload File",
       "Bytes Transmitted:", "Cancel", "File transfer in progress"},
      {"upload finished", TTransferDirection::Upload, true, "Upload File",
       "Bytes Transmitted:", "OK", "File transfer completed"},
      {"download running", TTransferDirection::Download, false, "Download File",
       "Bytes Received:", "Cancel", "File transfer in progress"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPFileProgress progress;
    progress.SetDirection(c.direction);
    progress.SetHost("ftp.example");
    if (c.finished) progress.SetFinished();
    EXPECT_EQ(progress.Caption(), "File Transfer");
    EXPECT_EQ(progress.HostCaption(), "FTP Host: ftp.example");
    EXPECT_EQ(progress.TotalCaption(), "Total Bytes:");
    EXPECT_EQ(progress.DirectionCaption(), c.directionCaption);
    EXPECT_EQ(progress.ProcessedCaption(), c.processedCaption);
    EXPECT_EQ(progress.ButtonCaption(), c.button);
    EXPECT_EQ(progress.StatusLine(), c.status);
    EXPECT_EQ(progress.ButtonGivesOk(), c.finished);
  }
}

TEST(TransferProgressTest, ButtonCancelsOnlyARunningTransfer) {
  struct Case {
    const char* name;
    bool finished;
    bool handlerSet;
    int clicks;
    int cancels;
  };
  const Case cases[] = {
      {"running: cancels and closes", false, true, 1, 1},
      {"running, clicked twice: cancels once", false, true, 2, 1},
      {"finished: only closes", true, true, 1, 0},
      {"no handler: only closes", false, false, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPFileProgress progress;
    int cancels = 0;
    if (c.handlerSet) progress.SetCancelHandler([&] { ++cancels; });
    if (c.finished) progress.SetFinished();
    EXPECT_FALSE(progress.Closed());
    for (int i = 0; i < c.clicks; ++i) progress.ClickButton();
    EXPECT_TRUE(progress.Closed());
    EXPECT_EQ(cancels, c.cancels);
  }
}

}  // namespace
}  // namespace tavrel
