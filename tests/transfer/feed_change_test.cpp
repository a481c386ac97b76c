#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "testing/temp_folder.h"
#include "transfer/feed_fetch.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// The three folders of a home and a local feed file beside them.
struct FeedHome {
  FeedHome() {
    fs::create_directories(Temp.Root() / "Import");
    fs::create_directories(Temp.Root() / "Handled");
    Location.ImportDir = Temp.Dir() + "Import/";
    Location.HandledDir = Temp.Dir() + "Handled/";
    Location.IsXMLWeb = false;
    Location.XMLFilePath = Temp.Dir() + "feeds/news.xml";
    Location.XmlFileName = "news.xml";
  }
  std::string Handled() const { return ReadBytes(Location.HandledDir + "news.xml"); }

  TempFolder Temp;
  TFeedLocation Location;
};

// The handled copy changes only when the caller commits: until then every check reports the
// change again, so that an update that could not be sent is not forgotten.
TEST(FeedChange, ChangeStaysPendingUntilCommitted) {
  struct Step {
    const char* Name;
    std::string FeedContent;  // written to the feed file before the check
    bool CommitAfter;
    bool ExpectedChanged;
    std::string ExpectedHandledAfter;
  };
  const std::vector<Step> steps = {
      {"no handled copy yet counts as a change", "A", false, true, ""},
      {"not committed: still a change", "A", true, true, "A"},
      {"committed: no change", "A", false, false, "A"},
      {"new content", "AB", false, true, "A"},
      {"same size, other bytes", "AC", false, true, "A"},
      {"committed again", "AC", true, true, "AC"},
      {"back to an old content is a change too", "A", false, true, "AC"},
  };
  FeedHome home;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Name);
    WriteBytes(home.Location.XMLFilePath, step.FeedContent);
    std::string failure = "left from before";
    EXPECT_EQ(XmlFileChanged(home.Location, &failure), step.ExpectedChanged);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ReadBytes(home.Location.ImportDir + "news.xml"), step.FeedContent);
    if (step.CommitAfter) CommitHandledFeed(home.Location);
    EXPECT_EQ(home.Handled(), step.ExpectedHandledAfter);
  }
}

TEST(FeedChange, UnchangedFeedLeavesTheHandledCopyUntouched) {
  FeedHome home;
  WriteBytes(home.Location.XMLFilePath, "<rss/>");
  WriteBytes(home.Location.HandledDir + "news.xml", "<rss/>");
  const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(home.Location.HandledDir + "news.xml", stamp);
  EXPECT_FALSE(XmlFileChanged(home.Location));
  EXPECT_EQ(fs::last_write_time(home.Location.HandledDir + "news.xml"), stamp);
}

TEST(FeedChange, FeedThatCannotBeFetchedIsAFailureNotAnUnchangedFeed) {
  struct Case {
    const char* Name;
    std::function<void(FeedHome&)> Setup;
    std::string ExpectedFailure;  // with <dir> for the home folder
    bool ExpectedFeedFileKept;
  };
  const std::vector<Case> cases = {
      {"missing feed file", [](FeedHome&) {}, "<dir>feeds/news.xml: feed file not found", false},
      {"feed path is a folder",
       [](FeedHome& home) { fs::create_directories(home.Location.XMLFilePath); },
       "<dir>feeds/news.xml: not a file", false},
      {"no feed file set", [](FeedHome& home) { home.Location.XMLFilePath.clear(); },
       "no feed file is set", false},
      {"feed kept in the import folder is never deleted",
       [](FeedHome& home) {
         home.Location.XMLFilePath = home.Location.ImportDir + "news.xml";
         WriteBytes(home.Location.XMLFilePath, "<rss/>");
       },
       "<dir>Import/news.xml: the feed file must not lie in the import folder, which is emptied "
       "on every fetch",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    FeedHome home;
    WriteBytes(home.Location.ImportDir + "stale.xml", "from an earlier fetch");
    c.Setup(home);
    std::string expected = c.ExpectedFailure;
    if (expected.find("<dir>") != std::string::npos) {
      expected.replace(expected.find("<dir>"), 5, home.Temp.Dir());
    }
    std::string failure;
    EXPECT_FALSE(XmlFileChanged(home.Location, &failure));
    EXPECT_EQ(failure, expected);
    EXPECT_FALSE(fs::exists(home.Location.HandledDir + "news.xml"));
    if (c.ExpectedFeedFileKept) {
      EXPECT_EQ(ReadBytes(home.Location.XMLFilePath), "<rss/>");
    } else {
      // Each fetch starts from an empty import folder.
      EXPECT_FALSE(fs::exists(home.Location.ImportDir + "stale.xml"));
    }
  }
}

// A feed file that its producer is rewriting while the scan reads it is not taken: a copy made
// then could be cut short or part old, part new. Once the file stays still it is read whole.
TEST(FeedChange, FeedRewrittenWhileReadIsRefusedUntilItSettles) {
  FeedHome home;
  const std::string path = home.Location.XMLFilePath;
  // Large enough that every read takes a while, so the writer always changes it meanwhile;
  // each write makes it longer, so no two states look alike.
  constexpr std::uintmax_t kStartSize = 8 * 1024 * 1024;
  WriteBytes(path, std::string(kStartSize, 'x'));
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    while (fd >= 0 && !stop.load() && ::write(fd, "y", 1) == 1) {
    }
    if (fd >= 0) ::close(fd);
  });
  while (fs::file_size(path) < kStartSize + 1000) std::this_thread::yield();  // writer running
  // On a loaded machine the writer thread may now and then get no time during a whole read;
  // the reader must refuse the file in at least one of a few tries (when it cannot tell a
  // file being written from a still one, it takes it every time).
  std::string failure;
  bool changed = true;
  for (int attempt = 0; attempt < 3 && changed; ++attempt) {
    failure.clear();
    changed = XmlFileChanged(home.Location, &failure);
  }
  stop.store(true);
  writer.join();
  EXPECT_FALSE(changed);
  EXPECT_EQ(failure, path + ": the file kept changing while it was read");
  EXPECT_FALSE(fs::exists(home.Location.ImportDir + "news.xml"));

  EXPECT_TRUE(XmlFileChanged(home.Location, &failure));
  EXPECT_EQ(failure, "");
  // Read in one piece: a byte-wise read of megabytes is slow in a sanitizer build.
  auto whole = [](const std::string& file) {
    std::string bytes(fs::file_size(file), '\0');
    std::ifstream(file, std::ios::binary)
        .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
  };
  EXPECT_EQ(whole(home.Location.ImportDir + "news.xml"), whole(path));
}

}  // namespace
}  // namespace tavrel
