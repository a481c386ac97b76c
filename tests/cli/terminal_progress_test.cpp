#include "terminal_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tavrel::cli {
namespace {

// Everything written to a FILE*, gathered in memory.
class MemoryStream {
 public:
  MemoryStream() : file_(open_memstream(&data_, &size_)) {}
  ~MemoryStream() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(data_);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  std::FILE* File() { return file_; }
  std::string Text() {
    std::fflush(file_);
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

TEST(TerminalProgressView, DrawsABarOnATerminalAndTenthsElsewhere) {
  struct Case {
    const char* Name;
    bool Terminal;
    std::int64_t Total;
    std::vector<std::int64_t> Reports;  // bytes sent, as the client library reports them
    std::string Expected;
  };
  const std::string head = "\rupdate.zip -> 127.0.0.1 [";
  const std::string dots30(30, '.');
  const std::string hashes30(30, '#');
  const std::vector<Case> cases = {
      {"terminal: redrawn in place, once per whole percent",
       true,
       1000,
       {0, 4, 9, 10, 500, 505, 1000},
       head + dots30 + "]   0% of 1000 bytes" + head + dots30 + "]   1% of 1000 bytes" + head +
           std::string(15, '#') + std::string(15, '.') + "]  50% of 1000 bytes" + head + hashes30 +
           "] 100% of 1000 bytes\n"},
      {"terminal: a transfer that breaks off keeps its last count",
       true,
       400,
       {100},
       head + dots30 + "]   0% of 400 bytes" + head + std::string(7, '#') + std::string(23, '.') +
           "]  25% of 400 bytes\n"},
      {"terminal: unknown size shows bytes only",
       true,
       -1,
       {7},
       head + dots30 + "] 0 bytes" + head + dots30 + "] 7 bytes\n"},
      {"log: one line per tenth, none repeated, none for nothing sent",
       false,
       1000,
       {0, 50, 99, 100, 150, 340, 341, 999, 1000},
       "Sending update.zip to 127.0.0.1 (1000 bytes)\nupdate.zip: 10%\nupdate.zip: 30%\n"
       "update.zip: 90%\nupdate.zip: 100%\n"},
      {"log: an empty file says its size only",
       false,
       0,
       {0},
       "Sending update.zip to 127.0.0.1 (0 bytes)\n"},
      {"log: reports beyond the size stop at 100",
       false,
       10,
       {20},
       "Sending update.zip to 127.0.0.1 (10 bytes)\nupdate.zip: 100%\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    MemoryStream stream;
    TTerminalProgressView view(stream.File(), c.Terminal);
    TPFileProgress progress;
    progress.SetFileName("update.zip");
    progress.SetHost("127.0.0.1");
    progress.SetTotal(c.Total);
    view.Show(progress);
    for (const std::int64_t bytes : c.Reports) {
      progress.SetProgress(bytes);
      view.Update(progress);
    }
    view.Close(progress);
    EXPECT_EQ(stream.Text(), c.Expected);
  }
}

// The window's dialog waits for OK when it does not close by itself; a terminal has no one to
// press it, so waiting must end at once with the dialog closed and the transfer not cancelled.
TEST(TerminalProgressView, FinishedTransferClosesWithoutAnOperator) {
  MemoryStream stream;
  TTerminalProgressView view(stream.File(), false);
  TPFileProgress progress;
  int cancels = 0;
  progress.SetCancelHandler([&] { ++cancels; });
  progress.SetAutoClose(false);
  progress.SetTotal(10);
  view.Show(progress);
  progress.SetFinished();
  view.WaitUntilClosed(progress);
  EXPECT_TRUE(progress.Closed());
  EXPECT_EQ(cancels, 0);
}

}  // namespace
}  // namespace tavrel::cli
