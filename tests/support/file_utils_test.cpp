#include "support/file_utils.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "support/error.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DeleteFilesByMask, RemovesMatchingFilesOnly) {
  struct Case {
    const char* Mask;
    std::vector<std::string> Left;
  };
  // The folder holds: a.pag, b.PAG, Control.dat, noext, .hidden, ro.pag (read-only), sub/
  // (holding x.pag) and link.pag (a link to keep/target.pag outside the folder).
  const std::vector<Case> cases = {
      {"*.*", {"sub"}},
      {"*", {"sub"}},
      {"*.pag", {".hidden", "Control.dat", "b.PAG", "noext", "sub"}},
      {"?.pag", {".hidden", "Control.dat", "b.PAG", "link.pag", "noext", "ro.pag", "sub"}},
      {"noext.*", {".hidden", "Control.dat", "a.pag", "b.PAG", "link.pag", "ro.pag", "sub"}},
      {"Control.dat", {".hidden", "a.pag", "b.PAG", "link.pag", "noext", "ro.pag", "sub"}},
      {"*.xml", {".hidden", "Control.dat", "a.pag", "b.PAG", "link.pag", "noext", "ro.pag", "sub"}},
      {"sub", {".hidden", "Control.dat", "a.pag", "b.PAG", "link.pag", "noext", "ro.pag", "sub"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Mask);
    TempFolder top;
    const std::string folder = top / "Export/";
    fs::create_directories(folder + "sub");
    fs::create_directories(top / "keep");
    for (const auto* name : {"a.pag", "b.PAG", "Control.dat", "noext", ".hidden", "ro.pag"}) {
      WriteBytes(folder + name, name);
    }
    WriteBytes(folder + "sub/x.pag", "x");
    WriteBytes(top / "keep/target.pag", "t");
    ::chmod((folder + "ro.pag").c_str(), 0444);
    fs::create_symlink(top / "keep/target.pag", folder + "link.pag");

    EXPECT_EQ(DeleteFilesByMask(folder + c.Mask), 0);
    EXPECT_EQ(Entries(folder), c.Left);
    EXPECT_TRUE(fs::exists(folder + "sub/x.pag")) << "sub-folders are not entered";
    EXPECT_EQ(ReadBytes(top / "keep/target.pag"), "t") << "a link's target is not touched";
  }
}

TEST(DeleteFilesByMask, MissingFolderDoesNothing) {
  TempFolder top;
  EXPECT_EQ(DeleteFilesByMask(top / "none/*.*"), 0);
}

TEST(GetFileSizeAndDate, FirstMatchOrMinusOne) {
  TempFolder folder;
  WriteBytes(folder / "b.zip", std::string(1234, 'z'));
  WriteBytes(folder / "a.zip", std::string(10, 'z'));
  WriteBytes(folder / "empty", "");
  fs::create_directory(folder / "dir");
  struct Case {
    std::string PathOrMask;
    std::int64_t Size;
  };
  const std::vector<Case> cases = {
      {folder / "b.zip", 1234}, {folder / "*.zip", 10},  {folder / "?.zip", 10},
      {folder / "empty", 0},    {folder / "dir", 0},     {folder / "none", -1},
      {folder / "*.none", -1},  {folder / "none/x", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.PathOrMask);
    EXPECT_EQ(GetFileSize(c.PathOrMask), c.Size);
    if (c.Size < 0) {
      EXPECT_EQ(GetFileDate(c.PathOrMask), -1);
    }
  }
}

TEST(GetFileSizeAndDate, DateIsPackedInLocalTime) {
  struct Case {
    int Year, Month, Day, Hour, Minute, Second;
    std::uint32_t Packed;  // worked out by hand from the field layout
  };
  const std::vector<Case> cases = {
      {2024, 3, 15, 13, 45, 58, 0x586F6DBDu},  // 44<<25 | 3<<21 | 15<<16 | 13<<11 | 45<<5 | 29
      {1980, 1, 1, 0, 0, 0, 0x00210000u},
      {1980, 1, 1, 0, 0, 1, 0x00210000u},       // two-second resolution
      {2000, 12, 31, 23, 59, 59, 0x299FBF7Du},  // 20<<25 | 12<<21 | 31<<16 | 23<<11 | 59<<5 | 29
      {1975, 6, 1, 12, 0, 0, 0x00210000u},      // before 1980: the first second of 1980
  };
  TempFolder folder;
  const std::string path = folder / "f";
  WriteBytes(path, "x");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Year);
    std::tm local{};
    local.tm_year = c.Year - 1900;
    local.tm_mon = c.Month - 1;
    local.tm_mday = c.Day;
    local.tm_hour = c.Hour;
    local.tm_min = c.Minute;
    local.tm_sec = c.Second;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    const utimbuf times{when, when};
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(GetFileDate(path)), c.Packed);
  }
}

// Two starts of the window compare the homes they were given: spellings of one folder match.
TEST(SameFolder, MatchesSpellingsAndLinksOfOneFolder) {
  testing::TempFolder folder;
  const fs::path home = folder.Root() / "home";
  fs::create_directories(home);
  fs::create_directories(folder.Root() / "other");
  fs::create_directory_symlink(home, folder.Root() / "link");
  const std::string root = folder.Root().string();
  struct Case {
    std::string A;
    std::string B;
    bool Same;
  };
  const std::vector<Case> cases = {
      {root + "/home", root + "/home/", true},
      {root + "/home", root + "/other/../home", true},
      {root + "/home", root + "/link/", true},
      {root + "/home", root + "/other", false},
      {root + "/missing/", root + "/missing", true},  // a folder not made yet
      {root + "/missing", root + "/home", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.A + " | " + c.B);
    EXPECT_EQ(SameFolder(c.A, c.B), c.Same);
  }
  EXPECT_EQ(CanonicalFolder(root + "/link"), fs::canonical(home).string() + "/");
}

TEST(SameFileContent, ComparesBytes) {
  struct Case {
    const char* Name;
    const char* A;  // nullptr: missing
    const char* B;
    bool Same;
  };
  const std::string big(200000, 'q');
  std::string bigOther = big;
  bigOther[150000] = 'r';
  const std::vector<Case> cases = {
      {"equal", "abc", "abc", true},
      {"both empty", "", "", true},
      {"differ in one byte", "abc", "abd", false},
      {"differ in size", "abc", "abcd", false},
      {"first missing", nullptr, "abc", false},
      {"second missing", "abc", nullptr, false},
      {"both missing", nullptr, nullptr, false},
      {"large equal", big.c_str(), big.c_str(), true},
      {"large differ past the first block", big.c_str(), bigOther.c_str(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    if (c.A) WriteBytes(folder / "a", c.A);
    if (c.B) WriteBytes(folder / "b", c.B);
    EXPECT_EQ(SameFileContent(folder / "a", folder / "b"), c.Same);
  }
}

TEST(ReadFileBytes, WholeFileUpToTheLimit) {
  struct Case {
    const char* Name;
    std::string Path;     // under the folder, or absolute
    std::string Content;  // written first unless Path is absolute
    std::size_t Limit;
    bool TooLarge;
  };
  const std::string pastOneBlock(200000, 'q');
  const std::vector<Case> cases = {
      {"empty", "a", "", 10, false},
      {"exactly the limit", "a", "0123456789", 10, false},
      {"one byte over the limit", "a", "0123456789x", 10, true},
      {"larger than one read block", "a", pastOneBlock, pastOneBlock.size(), false},
      {"a large file over a small limit", "a", pastOneBlock, 1000, true},
      // A file that gives no size of its own is read to its end all the same.
      {"a kernel file without a size", "/proc/self/status", "", 1 << 20, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const bool absolute = c.Path.front() == '/';
    const std::string path = absolute ? c.Path : folder / c.Path;
    if (!absolute) WriteBytes(path, c.Content);
    try {
      const std::string bytes = ReadFileBytes(path, c.Limit);
      EXPECT_FALSE(c.TooLarge);
      if (absolute) {
        EXPECT_NE(bytes.find("Name:"), std::string::npos);
      } else {
        EXPECT_EQ(bytes, c.Content);
      }
    } catch (const Error& error) {
      EXPECT_TRUE(c.TooLarge) << error.what();
      EXPECT_EQ(std::string(error.what()),
                path + ": file is larger than the limit of " + std::to_string(c.Limit) + " bytes");
    }
  }
}

TEST(SameFileContent, UnreadableFileIsAnErrorNamingIt) {
  TempFolder folder;
  WriteBytes(folder / "a", "x");
  fs::create_directory(folder / "dir");
  try {
    SameFileContent(folder / "dir", folder / "a");
    ADD_FAILURE() << "a folder compared as a file";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), folder / "dir" + ": cannot read: Is a directory");
  }
}

TEST(ReplaceFileAtomically, NewFilesGetTheModeExistingKeepTheirs) {
  struct Case {
    const char* Name;
    int ExistingMode;  // -1: no file yet
    unsigned NewMode;
    unsigned Expected;
  };
  const std::vector<Case> cases = {
      {"new private file", -1, 0600, 0600},
      {"new ordinary file, umask 022", -1, 0666, 0644},
      {"existing group-readable file", 0640, 0600, 0640},
      {"existing read-only file gets the owner write bit", 0444, 0600, 0644},
  };
  const mode_t savedUmask = ::umask(022);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string path = folder / "f.ini";
    if (c.ExistingMode >= 0) {
      WriteBytes(path, "old content that is longer");
      ::chmod(path.c_str(), static_cast<mode_t>(c.ExistingMode));
    }
    ReplaceFileAtomically(path, "new", c.NewMode);
    EXPECT_EQ(ReadBytes(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.Expected);
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"f.ini"});
  }
  ::umask(savedUmask);
}

TEST(ReplaceFileAtomically, LinkTargetIsReplacedAndLinkKept) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real/tavrel.ini", "old");
  fs::create_symlink(folder / "real/tavrel.ini", folder / "tavrel.ini");
  ReplaceFileAtomically(folder / "tavrel.ini", "new", 0600);
  EXPECT_TRUE(fs::is_symlink(folder / "tavrel.ini"));
  EXPECT_EQ(ReadBytes(folder / "real/tavrel.ini"), "new");
}

}  // namespace
}  // namespace tavrel
