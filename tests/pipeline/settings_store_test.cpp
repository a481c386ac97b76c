#include "pipeline/settings_store.h"
#include "pipeline/settings_problems.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/temp_folder.h"
#include "support/error.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string Golden(const std::string& name) {
  return ReadBytes(std::string(TAVREL_TEST_DATA_DIR) + "/pipeline/" + name);
}

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(TRIGlobals, FirstStartCreatesFoldersAndSavesAllDefaults) {
  TempFolder folder;
  const std::string home = folder / "home/sub";  // parents are created too
  {
    TRIGlobals settings(home);
    EXPECT_EQ(settings.ProgramDir, home + "/");
    EXPECT_EQ(settings.IniFileName, home + "/tavrel.ini");
    EXPECT_EQ(settings.ImportDir, home + "/Import/");
    EXPECT_EQ(settings.ExportDir, home + "/Export/");
    EXPECT_EQ(settings.HandledDir, home + "/Handled/");
    EXPECT_EQ(settings.TemplatesDir, home + "/Templates/");
    for (const auto& dir : {"Import", "Export", "Handled", "Templates"}) {
      EXPECT_TRUE(fs::is_directory(home + "/" + dir)) << dir;
    }
    EXPECT_EQ(settings.TransferDir, "Varnex\\Transfer\\");
    EXPECT_FALSE(fs::exists(settings.IniFileName)) << "nothing is written before a save";
    settings.SaveOnExit = true;  // as the window does
  }
  const std::string ini = home + "/tavrel.ini";
  EXPECT_EQ(ReadBytes(ini), Golden("default_settings.ini"));
  EXPECT_EQ(ModeOf(ini), 0600u);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(home)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"Export", "Handled", "Import", "Templates", "tavrel.ini"}))
      << "no temporary file is left beside the settings file";

  // A second start reads the same values and saves the same bytes.
  TRIGlobals again(home);
  again.SaveSettings();
  EXPECT_EQ(ReadBytes(ini), Golden("default_settings.ini"));
}

TEST(TRIGlobals, EveryFieldRoundTrips) {
  TempFolder folder;
  {
    TRIGlobals settings(folder.Path());
    settings.IsXMLWeb = true;
    settings.XMLFilePath = "/data/feeds/news.xml";
    settings.XmlUrl = "http://127.0.0.1:8080/feed?a=1&b=2";
    settings.Server.ServerName = "Studio";
    settings.Server.FTPHost = "127.0.0.1";
    settings.Server.FTPUser = "tt1";
    settings.Server.FTPPassword = " s3cr=t;#\xE9 ";
    settings.Server.FTPPort = 2121;
    settings.Server.FTPPassive = true;
    settings.TransferDir = "Other\\";
    settings.DefaultCharSet = 12;
    settings.UseFastext = false;
    settings.ScanInterval = 30;
    settings.StartScanAtProgramStart = true;
    settings.FormatCorrection = -2;
    settings.XmlSchema = TXMLSchema{"rss", "chan", true, false, "item", "head", "cat", "body"};
    settings.SaveSettings();
  }
  const std::string text = ReadBytes(folder / "tavrel.ini");
  // A new settings file is written in UTF-8, as operators on Linux edit it.
  EXPECT_NE(text.find("\r\nFTPPassword= s3cr=t;#\xC3\xA9 \r\n"), std::string::npos)
      << "the password is stored as plain text";
  TRIGlobals settings(folder.Path());
  EXPECT_TRUE(settings.IsXMLWeb);
  EXPECT_EQ(settings.XMLFilePath, "/data/feeds/news.xml");
  EXPECT_EQ(settings.XmlUrl, "http://127.0.0.1:8080/feed?a=1&b=2");
  EXPECT_EQ(settings.Server.ServerName, "Studio");
  EXPECT_EQ(settings.Server.FTPHost, "127.0.0.1");
  EXPECT_EQ(settings.Server.FTPUser, "tt1");
  EXPECT_EQ(settings.Server.FTPPassword, "s3cr=t;#\xE9") << "outer blanks do not survive";
  EXPECT_EQ(settings.Server.FTPPort, 2121);
  EXPECT_TRUE(settings.Server.FTPPassive);
  EXPECT_EQ(settings.TransferDir, "Other\\");
  EXPECT_EQ(settings.DefaultCharSet, 12);
  EXPECT_FALSE(settings.UseFastext);
  EXPECT_EQ(settings.ScanInterval, 30);
  EXPECT_TRUE(settings.StartScanAtProgramStart);
  EXPECT_EQ(settings.FormatCorrection, -2);
  EXPECT_EQ(settings.XmlSchema.RootElement, "rss");
  EXPECT_EQ(settings.XmlSchema.ChannelElement, "chan");
  EXPECT_TRUE(settings.XmlSchema.UseChannelElement);
  EXPECT_FALSE(settings.XmlSchema.UseCategoryElement);
  EXPECT_EQ(settings.XmlSchema.MessageElement, "item");
  EXPECT_EQ(settings.XmlSchema.TitleElement, "head");
  EXPECT_EQ(settings.XmlSchema.CategoryElement, "cat");
  EXPECT_EQ(settings.XmlSchema.TextElement, "body");
}

struct LoadCase {
  const char* Name;
  std::string Settings;  // lines of the Settings section
  bool IsXMLWeb;
  std::int32_t FTPPort;
  bool UseFastext;
  std::int32_t ScanInterval;
};

TEST(TRIGlobals, UnreadableNumbersAndBooleansGiveTheirDefaults) {
  const std::vector<LoadCase> cases = {
      {"word yes is the default", "IsXMLWeb=yes\nUseFastext=yes\n", false, 21, true, 10},
      {"two is true", "IsXMLWeb=2\n", true, 21, true, 10},
      {"zero is false", "UseFastext=0\n", false, 21, false, 10},
      {"hex numbers", "FTPPort=$15\nScanInterval=0x1E\n", false, 21, true, 30},
      {"garbage numbers", "FTPPort=21x\nScanInterval=\n", false, 21, true, 10},
      {"keys in any case", "ftpport=990\nSCANINTERVAL=5\nisxmlweb=1\n", true, 990, true, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    WriteBytes(folder / "tavrel.ini", "[settings]\n" + c.Settings);
    TRIGlobals settings(folder.Path());
    EXPECT_EQ(settings.IsXMLWeb, c.IsXMLWeb);
    EXPECT_EQ(settings.Server.FTPPort, c.FTPPort);
    EXPECT_EQ(settings.UseFastext, c.UseFastext);
    EXPECT_EQ(settings.ScanInterval, c.ScanInterval);
  }
}

TEST(TRIGlobals, XmlFileNameFollowsTheFeedSource) {
  struct Case {
    bool IsXMLWeb;
    std::string XMLFilePath;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {true, "/data/news.xml", "WebRSS.xml"},
      {true, "", "WebRSS.xml"},
      {false, "/data/feeds/news.xml", "news.xml"},
      {false, "C:\\Feeds\\news.xml", "news.xml"},
      {false, "news.xml", "news.xml"},
      {false, "", ""},
  };
  TempFolder folder;
  TRIGlobals settings(folder.Path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.XMLFilePath);
    settings.IsXMLWeb = c.IsXMLWeb;
    settings.XMLFilePath = c.XMLFilePath;
    EXPECT_EQ(settings.XmlFileName(), c.Expected);
  }
}

TEST(TRIGlobals, SavingKeepsOtherSectionsAndTheFileMode) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  WriteBytes(ini, "[XMLItem001]\nCategory=Sport\n[Settings]\nFTPHost=old\n; note\n[Custom]\nx=1\n");
  ::chmod(ini.c_str(), 0640);
  TRIGlobals settings(folder.Path());
  settings.Server.FTPHost = "new";
  settings.SaveSettings();
  const std::string text = ReadBytes(ini);
  const std::string start = "[Settings]\r\nFTPHost=new\r\n";
  EXPECT_EQ(text.substr(0, start.size()), start) << "sections and keys stay where they were";
  // The category sections are written anew after the others.
  EXPECT_NE(text.find("\r\n\r\n[Custom]\r\nx=1\r\n\r\n[XMLItem001]\r\nCategory=Sport\r\n"),
            std::string::npos);
  EXPECT_EQ(ModeOf(ini), 0640u);
}

TEST(TRIGlobals, DestructorSavesOnlyForTheWindowAndNeverThrows) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  WriteBytes(ini, "[Settings]\nScanInterval=15\n");
  {
    TRIGlobals settings(folder.Path());
    settings.ScanInterval = 99;  // a headless command changes a field but never saves
  }
  EXPECT_EQ(ReadBytes(ini), "[Settings]\nScanInterval=15\n");

  // The settings file turned into a folder: the explicit save reports it, the destructor
  // swallows it.
  {
    TRIGlobals settings(folder.Path());
    fs::remove(ini);
    fs::create_directory(ini);
    settings.SaveOnExit = true;
    try {
      settings.SaveSettings();
      ADD_FAILURE() << "saving over a folder succeeded";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), ini + ": cannot save: is a folder");
    }
  }
  EXPECT_TRUE(fs::is_directory(ini));
}

TEST(TRIGlobals, SettingsFileThatCannotBeReadStopsTheStart) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  fs::create_directory(ini);
  try {
    TRIGlobals settings(folder.Path());
    ADD_FAILURE() << "started on an unreadable settings file";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), ini + ": cannot read: Is a directory");
  }
}

TEST(ResolveProgramDir, OptionThenEnvironmentThenExecutableFolder) {
  TempFolder folder;
  const std::string executableFolder =
      fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
  struct Case {
    const char* Name;
    std::string Option;
    const char* Environment;  // nullptr: unset
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"option wins", folder / "a", "/tmp/env-home", folder / "a/"},
      {"option keeps one trailing slash", folder / "a/", nullptr, folder / "a/"},
      {"environment", "", "/tmp/env-home", "/tmp/env-home/"},
      {"empty environment is unset", "", "", executableFolder},
      {"executable folder", "", nullptr, executableFolder},
  };
  const char* saved = std::getenv("TAVREL_HOME");
  const std::string savedValue = saved ? saved : "";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Environment) {
      ::setenv("TAVREL_HOME", c.Environment, 1);
    } else {
      ::unsetenv("TAVREL_HOME");
    }
    EXPECT_EQ(ResolveProgramDir(c.Option, "/usr/bin/tavrel"), c.Expected);
  }
  if (saved) {
    ::setenv("TAVREL_HOME", savedValue.c_str(), 1);
  } else {
    ::unsetenv("TAVREL_HOME");
  }
  // A relative option is made absolute against the current folder.
  EXPECT_EQ(ResolveProgramDir("rel/home", ""), fs::current_path().string() + "/rel/home/");
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

// Operators on Linux write the settings in UTF-8, the program keeps Windows-1252 text: a file
// of well-formed UTF-8 with a byte above 127 is read as UTF-8, anything else byte for byte, and
// saving writes what was read.
TEST(TRIGlobals, SettingsFileIsReadAndSavedInTheEncodingItWasWrittenIn) {
  struct Case {
    const char* Name;
    std::string OnDisk;           // the Category line of [XMLItem001]
    std::string ExpectedCategory;  // Windows-1252
    std::string ExpectedSaved;     // the Category line after a save
  };
  const std::vector<Case> cases = {
      {"UTF-8", "Category=\xC3\x89" "conomie", "\xC9" "conomie", "Category=\xC3\x89" "conomie"},
      {"UTF-8 with a character Windows-1252 lacks", "Category=\xC5\x81\xC3\xB3" "d\xC5\xBA",
       "L\xF3" "dz", "Category=L\xC3\xB3" "dz"},
      {"UTF-8 with a byte order mark", "Category=\xE2\x82\xAC", "\x80", "Category=\xE2\x82\xAC"},
      {"Windows-1252", "Category=\xC9" "conomie", "\xC9" "conomie", "Category=\xC9" "conomie"},
      {"Windows-1252 that is not UTF-8 by chance", "Category=\xC3\xA9t\xE9", "\xC3\xA9t\xE9",
       "Category=\xC3\xA9t\xE9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string ini = folder / "tavrel.ini";
    const std::string mark = std::string(c.Name).find("order mark") != std::string::npos
                                 ? "\xEF\xBB\xBF"
                                 : "";
    WriteBytes(ini, mark + "[XMLItem001]\r\n" + c.OnDisk + "\r\n");
    TRIGlobals settings(folder.Path());
    ASSERT_EQ(settings.Categories.size(), 1u);
    EXPECT_EQ(settings.Categories[0].Category, c.ExpectedCategory);
    settings.SaveSettings();
    EXPECT_NE(ReadBytes(ini).find("\r\n" + c.ExpectedSaved + "\r\n"), std::string::npos)
        << ReadBytes(ini);
  }
}

// The check names every character of a UTF-8 settings file that Windows-1252 lacks and what
// reading makes of it; a Windows-1252 file has none to name.
TEST(SettingsFileProblems, NamesCharactersWindows1252Lacks) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  WriteBytes(ini, "[XMLItem001]\r\nCategory=\xC3\x89" "conomie\r\n"
                  "FastextPrompt1=\xC5\x81\xC3\xB3" "d\xC5\xBA\r\n");
  EXPECT_EQ(SettingsFileProblems(ini),
            (std::vector<std::string>{
                ini + ":3: \"\xC5\x81\" (U+0141) has no Windows-1252 form; it is read as \"L\"",
                ini + ":3: \"\xC5\xBA\" (U+017A) has no Windows-1252 form; it is read as \"z\""}));
  WriteBytes(ini, "[XMLItem001]\r\nCategory=\xC9" "conomie \x8C\r\n");
  EXPECT_TRUE(SettingsFileProblems(ini).empty());
}

}  // namespace
}  // namespace tavrel
