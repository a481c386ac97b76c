#include "transfer/zip_package.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/error.h"
#include "testing/run_command.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunCommand;
using testing::TempFolder;
using testing::WriteBytes;

// Python's zipfile is the independent reader: it checks every member's CRC (testzip), lists the
// names in archive order and extracts the members, whose bytes we compare with the sources.
std::vector<std::string> ReadArchiveWithPython(const fs::path& archive, const fs::path& target) {
  const std::string script =
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "bad = z.testzip()\n"
      "if bad is not None: sys.exit(\"bad member \" + bad)\n"
      "for i in z.infolist(): print(i.filename)\n"
      "z.extractall(sys.argv[2])\n";
  const fs::path scriptFile = target.parent_path() / "read_archive.py";
  WriteBytes(scriptFile, script);
  const auto result = RunCommand("/usr/bin/python3 " + scriptFile.string() + " " +
                                 archive.string() + " " + target.string());
  EXPECT_EQ(result.ExitCode, 0) << result.Output;
  std::vector<std::string> names;
  size_t start = 0;
  while (start < result.Output.size()) {
    const size_t end = result.Output.find('\n', start);
    names.push_back(result.Output.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::string AllByteValues() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes;
}

// Larger than one read chunk, and partly incompressible, so that deflate has to emit output
// in several rounds.
std::string LargeMixedContent() {
  std::mt19937 random(7);
  std::string bytes;
  for (int i = 0; i < 150000; ++i) bytes += static_cast<char>(random());
  for (int i = 0; i < 150000; ++i) bytes += "teletext"[i % 8];
  return bytes;
}

TEST(ZipPackage, ArchiveHoldsExactlyTheFilesOfTheFolder) {
  struct Case {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Files;  // relative path, content
    bool Recurse;
    std::vector<std::string> ExpectedMembers;
  };
  const std::vector<Case> cases = {
      {"flat pages under bare names, in name order",
       {{"101-0000.pag", std::string(1008, 'b')},
        {"100-0000.pag", std::string(1008, 'a')},
        {"Control.dat", "[100.0000]\r\nFilename=100-0000.pag\r\n"}},
       false,
       {"100-0000.pag", "101-0000.pag", "Control.dat"}},
      {"files of sub-folders are left out",
       {{"100-0000.pag", "page"}, {"old/100-0000.pag", "older page"}},
       false,
       {"100-0000.pag"}},
      {"recursion stores the folder names",
       {{"100-0000.pag", "page"}, {"old/100-0000.pag", "older page"}},
       true,
       {"100-0000.pag", "old/100-0000.pag"}},
      {"an old archive is replaced and never packed into the new one",
       {{"update.zip", "not a zip archive at all"}, {"100-0000.pag", "page"}},
       false,
       {"100-0000.pag"}},
      {"empty, binary and large members keep their bytes",
       {{"empty.pag", ""}, {"bytes.pag", AllByteValues()}, {"large.pag", LargeMixedContent()}},
       false,
       {"bytes.pag", "empty.pag", "large.pag"}},
      {"an empty folder gives an empty archive", {}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder temp;
    const fs::path source = temp.Root() / "Export";
    fs::create_directories(source);
    for (const auto& [name, content] : c.Files) WriteBytes(source / name, content);
    const fs::path archive = source / "update.zip";

    TZipUnzip zipper;
    zipper.SourceFolder = source.string();
    zipper.ZipFileName = archive.string();
    zipper.RecurseFolders = c.Recurse;
    zipper.Zip();

    const fs::path extracted = temp.Root() / "extracted";
    EXPECT_EQ(ReadArchiveWithPython(archive, extracted), c.ExpectedMembers);
    for (const std::string& member : c.ExpectedMembers) {
      SCOPED_TRACE(member);
      // Compared as a whole: a failure would otherwise print 300 KB of bytes.
      EXPECT_TRUE(ReadBytes(extracted / member) == ReadBytes(source / member));
    }
  }
}

TEST(ZipPackage, FailuresNameTheFileAndLeaveNoArchive) {
  struct Case {
    const char* Name;
    std::string Folder;           // relative to the test folder
    std::string Archive;          // relative to the test folder
    std::string ExpectedMessage;  // with <dir> for the test folder
  };
  const std::vector<Case> cases = {
      {"missing source folder", "Missing", "update.zip", "<dir>/Missing: folder to pack not found"},
      {"archive in a missing folder", "Export", "Nowhere/update.zip",
       "<dir>/Nowhere/update.zip: cannot write archive: Failure to create temporary file: No such "
       "file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder temp;
    WriteBytes(temp.Root() / "Export" / "100-0000.pag", "page");
    std::string expected = c.ExpectedMessage;
    expected.replace(expected.find("<dir>"), 5, temp.Root().string());
    try {
      ZipFolder((temp.Root() / c.Folder).string(), (temp.Root() / c.Archive).string());
      ADD_FAILURE() << "no error raised";
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), expected);
    }
    EXPECT_FALSE(fs::exists(temp.Root() / c.Archive));
  }
}

}  // namespace
}  // namespace tavrel
