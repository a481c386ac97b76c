// The General Options dialog's own checks: the feed file of a "File" source must exist, and a
// page folder chosen as the target must be one this program can write.

#include "pipeline/general_options_validation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

TEST(ValidateGeneralOptions, FileSourceNeedsAnExistingFeedFile) {
  TempFolder folder;
  WriteBytes(folder / "feeds/news.xml", "<root/>");
  std::filesystem::create_directory(folder / "folder.xml");
  struct Case {
    const char* Name;
    bool IsXMLWeb;
    std::string XMLFilePath;
    std::string ProgramDir;
    bool Ok;
  };
  const std::vector<Case> cases = {
      {"absolute path of an existing file", false, folder / "feeds/news.xml", "", true},
      {"relative path from the home folder", false, "feeds/news.xml", folder.Path(), true},
      {"relative path, other home folder", false, "feeds/news.xml", folder / "feeds/", false},
      {"missing file", false, folder / "feeds/old.xml", folder.Path(), false},
      {"empty file name", false, "", folder.Path(), false},
      {"a folder is no feed file", false, "folder.xml", folder.Path(), false},
      {"web source with no file", true, "", folder.Path(), true},
      {"web source with a missing file", true, folder / "feeds/old.xml", folder.Path(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGeneralOptions options;
    options.IsXMLWeb = c.IsXMLWeb;
    options.XMLFilePath = c.XMLFilePath;
    const TGeneralOptionsCheck check = ValidateGeneralOptions(options, c.ProgramDir);
    EXPECT_EQ(check.Ok, c.Ok);
    EXPECT_EQ(check.Message, c.Ok ? "" : "File not found.");
    EXPECT_EQ(check.Field, c.Ok ? TGeneralOptionsField::None : TGeneralOptionsField::FeedFile);
  }
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

TEST(ValidateGeneralOptions, PageFolderTargetNeedsAWritableFolder) {
  using testing::TempFolder;
  TempFolder home;
  testing::WriteBytes(home / "news.xml", "<root/>");
  testing::WriteBytes(home / "a-file", "x");
  std::filesystem::create_directory(home / "pages");
  struct Case {
    const char* Name;
    std::string Target;
    std::string TargetFolder;
    std::string ExpectedMessage;  // empty: accepted; else a part of the message
  };
  const std::vector<Case> cases = {
      {"server ignores the folder", "Varnex", "missing", ""},
      {"relative folder from the home", "Folder", "pages", ""},
      {"absolute folder, the value's case aside", "folder", home / "pages", ""},
      {"no folder", "Folder", "", "Choose the page folder of the inserter."},
      {"missing folder", "Folder", "missing", "missing: the page folder cannot be reached"},
      {"a file is no folder", "Folder", "a-file", "a-file: the page folder is not a folder"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.Name);
    TGeneralOptions options;
    options.XMLFilePath = "news.xml";
    options.Target = row.Target;
    options.TargetFolder = row.TargetFolder;
    const TGeneralOptionsCheck check = ValidateGeneralOptions(options, home.Path());
    EXPECT_EQ(check.Ok, row.ExpectedMessage.empty());
    EXPECT_NE(check.Message.find(row.ExpectedMessage), std::string::npos) << check.Message;
    EXPECT_EQ(check.Field, row.ExpectedMessage.empty() ? TGeneralOptionsField::None
                                                       : TGeneralOptionsField::TargetFolder);
  }
}

}  // namespace
}  // namespace tavrel
