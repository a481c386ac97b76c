#include "transfer/folder_publish.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A page file whose bytes tell which generation wrote it, padded so that a write of it takes
// more than one system call's worth of a reader's time; it opens and ends with the generation,
// so that a reader can tell a whole file from a partial one.
std::string PageBytes(const std::string& name, int generation) {
  const std::string mark = name + " generation " + std::to_string(generation);
  return "DE," + mark + "\r\n" + std::string(32 * 1024, 'x') + "\r\nEND," + mark + "\r\n";
}

std::vector<TFolderPageFile> Pages(const std::vector<std::string>& names, int generation) {
  std::vector<TFolderPageFile> files;
  for (const std::string& name : names) files.push_back({name, PageBytes(name, generation)});
  return files;
}

// Every entry of the folder, name to bytes.
std::map<std::string, std::string> FolderContent(const std::string& folder) {
  std::map<std::string, std::string> content;
  for (const auto& entry : fs::directory_iterator(folder)) {
    content[entry.path().filename().string()] =
        entry.is_directory() ? "(folder)" : ReadBytes(entry.path());
  }
  return content;
}

struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info;
}

// Publications one after the other into one folder that also holds a file Tavrel never wrote:
// what the folder holds after the last one, and how many files each step wrote and removed.
TEST(FolderPublish, PublishesReplacesAndRemovesOnlyItsOwnFiles) {
  struct Step {
    std::vector<std::string> Names;
    int Generation;
    int Written, Unchanged, Removed;
  };
  struct Case {
    const char* Name;
    std::vector<Step> Steps;
  };
  const std::vector<Case> cases = {
      {"first publication", {{{"100.tti", "101.tti"}, 1, 2, 0, 0}}},
      {"same pages again: nothing written",
       {{{"100.tti", "101.tti"}, 1, 2, 0, 0}, {{"100.tti", "101.tti"}, 1, 0, 2, 0}}},
      {"one page changed, one gone, one new",
       {{{"100.tti", "101.tti", "102.tti"}, 1, 3, 0, 0}, {{"100.tti", "103.tti"}, 2, 2, 0, 2}}},
      {"no pages left", {{{"100.tti"}, 1, 1, 0, 0}, {{}, 1, 0, 0, 1}}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    const TempFolder home;
    const std::string folder = home / "pages";
    fs::create_directory(folder);
    // An inserter's own page and a file of the operator: never touched.
    WriteBytes(folder + "/899.tti", "foreign page");
    WriteBytes(folder + "/notes.txt", "foreign notes");
    const std::string manifest = home / "Handled/FolderPages.txt";
    fs::create_directory(home / "Handled");
    for (const Step& step : row.Steps) {
      TFolderPublication report;
      std::string failure;
      ASSERT_TRUE(
          PublishToFolder(folder, Pages(step.Names, step.Generation), manifest, &failure, &report))
          << failure;
      EXPECT_EQ(report.Written, step.Written);
      EXPECT_EQ(report.Unchanged, step.Unchanged);
      EXPECT_EQ(report.Removed, step.Removed);
    }
    std::map<std::string, std::string> expected = {{"899.tti", "foreign page"},
                                                   {"notes.txt", "foreign notes"}};
    for (const std::string& name : row.Steps.back().Names) {
      expected[name] = PageBytes(name, row.Steps.back().Generation);
    }
    EXPECT_EQ(FolderContent(folder), expected);
  }
}

TEST(FolderPublish, UnchangedPageKeepsItsFileAndChangedPageIsDatedAfterTheOld) {
  const TempFolder home;
  const std::string folder = home / "pages";
  fs::create_directory(folder);
  const std::string manifest = home / "manifest";
  ASSERT_TRUE(PublishToFolder(folder, Pages({"100.tti", "101.tti"}, 1), manifest));
  const struct stat first100 = StatOf(folder + "/100.tti");
  const struct stat first101 = StatOf(folder + "/101.tti");
  // Within the same second as the first: 101 changes, 100 does not.
  std::vector<TFolderPageFile> second = Pages({"100.tti"}, 1);
  second.push_back({"101.tti", PageBytes("101.tti", 2)});
  ASSERT_TRUE(PublishToFolder(folder, second, manifest));
  const struct stat second100 = StatOf(folder + "/100.tti");
  const struct stat second101 = StatOf(folder + "/101.tti");
  EXPECT_EQ(second100.st_ino, first100.st_ino);
  EXPECT_EQ(second100.st_mtim.tv_sec, first100.st_mtim.tv_sec);
  EXPECT_EQ(second100.st_mtim.tv_nsec, first100.st_mtim.tv_nsec);
  EXPECT_NE(second101.st_ino, first101.st_ino);
  // An inserter comparing whole seconds sees the change.
  EXPECT_GT(second101.st_mtim.tv_sec, first101.st_mtim.tv_sec);
  // A third change still within that second moves on again.
  ASSERT_TRUE(PublishToFolder(folder, Pages({"100.tti", "101.tti"}, 3), manifest));
  EXPECT_GT(StatOf(folder + "/101.tti").st_mtim.tv_sec, second101.st_mtim.tv_sec);
  // A page changed in place behind Tavrel's back, to bytes of the same length, is put back:
  // the recorded state no longer matches, so the file is read and compared.
  std::string edited = PageBytes("100.tti", 3);
  edited[10] = 'Z';
  WriteBytes(folder + "/100.tti", edited);
  TFolderPublication report;
  ASSERT_TRUE(
      PublishToFolder(folder, Pages({"100.tti", "101.tti"}, 3), manifest, nullptr, &report));
  EXPECT_EQ(report.Written, 1);
  EXPECT_EQ(report.Unchanged, 1);
  EXPECT_EQ(ReadBytes(folder + "/100.tti"), PageBytes("100.tti", 3));
}

// A reader that lists the folder by extension and reads every page file, as an inserter
// polling it does, while 200 publications replace the pages: it must only ever find whole
// files.
TEST(FolderPublish, PollingReaderNeverSeesAPartialPage) {
  const TempFolder home;
  const std::string folder = home / "pages";
  fs::create_directory(folder);
  const std::vector<std::string> names = {"100.tti", "101.tti", "102.tti", "103.tti"};
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::vector<std::string> partial;
  std::thread reader([&] {
    while (!done.load()) {
      std::error_code error;
      for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".tti") continue;
        const std::string bytes = ReadBytes(entry.path());
        if (bytes.empty()) continue;  // removed between the listing and the read
        ++reads;
        // The first line names the generation; the whole file must be that generation's.
        const std::string prefix = "DE," + name + " generation ";
        const std::size_t lineEnd = bytes.find("\r\n");
        int generation = -1;
        if (bytes.starts_with(prefix) && lineEnd != std::string::npos) {
          generation = std::atoi(bytes.substr(prefix.size(), lineEnd - prefix.size()).c_str());
        }
        if (bytes != PageBytes(name, generation)) {
          partial.push_back(name + ": " + std::to_string(bytes.size()) + " bytes");
        }
      }
    }
  });
  for (int generation = 1; generation <= 200; ++generation) {
    // Every other publication drops a page, so that removal races with the reader too.
    std::vector<std::string> now = names;
    if (generation % 2 == 0) now.pop_back();
    std::string failure;
    ASSERT_TRUE(PublishToFolder(folder, Pages(now, generation), home / "manifest", &failure))
        << failure;
  }
  done = true;
  reader.join();
  EXPECT_GT(reads.load(), 0);
  EXPECT_TRUE(partial.empty()) << partial.front();
}

// Sets or clears the immutable attribute of a file, which stops even root from removing it;
// false where the file system or the process's rights do not allow it.
bool SetImmutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

// A publication that fails leaves every page old or new, none half written, and the next one
// completes it. The rows fail at each stage: writing the temporary files (a folder in the way
// of one, which stops even a process that ignores permissions; a read-only folder, for a
// process that does not), and, after every page was renamed, removing an old page (an
// immutable file, which stops even root): the manifest must still know that page.
TEST(FolderPublish, PublicationBrokenOffHalfWayIsCompletedByTheNext) {
  enum class Obstacle { FolderInTheWay, ReadOnlyFolder, OldPageImmutable };
  const std::vector<std::pair<const char*, Obstacle>> cases = {
      {"a folder in the way of a temporary file", Obstacle::FolderInTheWay},
      {"the page folder made read-only", Obstacle::ReadOnlyFolder},
      {"a page to remove cannot be removed", Obstacle::OldPageImmutable},
  };
  for (const auto& [description, obstacle] : cases) {
    SCOPED_TRACE(description);
    if (obstacle == Obstacle::ReadOnlyFolder && ::geteuid() == 0) {
      // Root writes into a read-only folder regardless; the other rows cover the failure.
      continue;
    }
    const TempFolder home;
    const std::string folder = home / "pages";
    fs::create_directory(folder);
    const std::string manifest = home / "manifest";
    ASSERT_TRUE(
        PublishToFolder(folder, Pages({"100.tti", "101.tti", "102.tti", "104.tti"}, 1), manifest));
    const std::vector<std::string> next = {"100.tti", "101.tti", "102.tti", "103.tti"};
    const std::string blocker = folder + "/" + PageFolderTemporaryName("102.tti");
    const std::string oldPage = folder + "/104.tti";
    std::string expectedName = folder;
    if (obstacle == Obstacle::FolderInTheWay) {
      fs::create_directories(blocker + "/inside");
      expectedName = blocker;
    } else if (obstacle == Obstacle::ReadOnlyFolder) {
      fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    } else {
      if (!SetImmutable(oldPage, true)) {
        std::printf("skipped: %s: the immutable attribute cannot be set here\n", description);
        continue;
      }
      expectedName = oldPage;
    }
    std::string failure;
    EXPECT_FALSE(PublishToFolder(folder, Pages(next, 2), manifest, &failure));
    EXPECT_NE(failure.find(expectedName), std::string::npos) << failure;
    for (const auto& [name, bytes] : FolderContent(folder)) {
      if (name.starts_with(".")) continue;
      SCOPED_TRACE(name);
      EXPECT_TRUE(bytes == PageBytes(name, 1) || bytes == PageBytes(name, 2));
    }
    if (obstacle == Obstacle::FolderInTheWay) {
      fs::remove_all(blocker);
    } else if (obstacle == Obstacle::ReadOnlyFolder) {
      fs::permissions(folder, fs::perms::owner_all);
    } else {
      ASSERT_TRUE(SetImmutable(oldPage, false));
    }
    ASSERT_TRUE(PublishToFolder(folder, Pages(next, 2), manifest, &failure)) << failure;
    std::map<std::string, std::string> expected;
    for (const std::string& name : next) expected[name] = PageBytes(name, 2);
    EXPECT_EQ(FolderContent(folder), expected);
  }
}

TEST(FolderPublish, RefusesAFolderItCannotUseAndAForeignPageInTheWay) {
  const TempFolder home;
  WriteBytes(home / "plain-file", "x");
  fs::create_directory(home / "pages");
  WriteBytes(home / "pages/100.tti", "someone else's page");
  struct Case {
    std::string Folder;
    std::string ExpectedText;
  };
  const std::vector<Case> cases = {
      {home / "missing", "cannot be reached"},
      {home / "plain-file", "is not a folder"},
      {home / "pages", "100.tti: a file Tavrel did not publish is in the way"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Folder);
    std::string failure;
    EXPECT_FALSE(PublishToFolder(row.Folder, Pages({"100.tti"}, 1), home / "manifest", &failure));
    EXPECT_NE(failure.find(row.Folder), std::string::npos) << failure;
    EXPECT_NE(failure.find(row.ExpectedText), std::string::npos) << failure;
  }
  EXPECT_EQ(ReadBytes(home / "pages/100.tti"), "someone else's page");
}

}  // namespace
}  // namespace tavrel
