#include "pipeline/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pipeline/settings_problems.h"
#include "support/error.h"
#include "testing/temp_folder.h"

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
  EXPECT_TRUE(settings.SaveSettings().Written);
  const std::string text = ReadBytes(ini);
  // Sections and keys stay where they were; keys the file lacked are added to their section.
  const std::string start = "[XMLItem001]\r\nCategory=Sport\r\n\r\n[Settings]\r\nFTPHost=new\r\n";
  EXPECT_EQ(text.substr(0, start.size()), start);
  EXPECT_NE(text.find("\r\n\r\n[Custom]\r\nx=1\r\n\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nScanInterval=10\r\n"), std::string::npos);
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
    settings.ScanInterval = 20;
    try {
      settings.SaveSettings();
      ADD_FAILURE() << "saving over a folder succeeded";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), ini + ": cannot read: Is a directory");
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
// of well-formed UTF-8 (plain ASCII too) is read as UTF-8, anything else byte for byte, and
// saving writes what was read. A value nobody changed goes back byte for byte, a character
// Windows-1252 lacks included.
TEST(TRIGlobals, SettingsFileIsReadAndSavedInTheEncodingItWasWrittenIn) {
  struct Case {
    const char* Name;
    std::string OnDisk;            // the Category line of [XMLItem001]
    std::string ExpectedCategory;  // Windows-1252
    std::string ExpectedServer;    // the ServerName line after the server name "Caf\xE9"
  };
  const std::vector<Case> cases = {
      {"UTF-8",
       "Category=\xC3\x89"
       "conomie",
       "\xC9"
       "conomie",
       "ServerName=Caf\xC3\xA9"},
      {"UTF-8 with a character Windows-1252 lacks",
       "Category=\xC5\x81\xC3\xB3"
       "d\xC5\xBA",
       "L\xF3"
       "dz",
       "ServerName=Caf\xC3\xA9"},
      {"UTF-8 with a byte order mark", "Category=\xE2\x82\xAC", "\x80", "ServerName=Caf\xC3\xA9"},
      {"Windows-1252",
       "Category=\xC9"
       "conomie",
       "\xC9"
       "conomie",
       "ServerName=Caf\xE9"},
      {"Windows-1252 that is not UTF-8 by chance", "Category=\xC3\xA9t\xE9", "\xC3\xA9t\xE9",
       "ServerName=Caf\xE9"},
      // Plain ASCII reads the same either way; what is added goes in as UTF-8, as in a new file.
      {"plain ASCII", "Category=Sport", "Sport", "ServerName=Caf\xC3\xA9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string ini = folder / "tavrel.ini";
    const std::string mark =
        std::string(c.Name).find("order mark") != std::string::npos ? "\xEF\xBB\xBF" : "";
    WriteBytes(ini, mark + "[XMLItem001]\r\n" + c.OnDisk + "\r\n");
    TRIGlobals settings(folder.Path());
    ASSERT_EQ(settings.Categories.size(), 1u);
    EXPECT_EQ(settings.Categories[0].Category, c.ExpectedCategory);
    settings.Server.ServerName = "Caf\xE9";
    settings.SaveSettings();
    const std::string saved = ReadBytes(ini);
    EXPECT_EQ(saved.substr(0, mark.size() + 14), mark + "[XMLItem001]\r\n");
    EXPECT_NE(saved.find("\r\n" + c.OnDisk + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\n" + c.ExpectedServer + "\r\n"), std::string::npos) << saved;
  }
}

// Paths are the file system's bytes (UTF-8 here) whatever the settings file's encoding: read
// from a Windows-1252 file they are converted, from a UTF-8 file taken as they are (characters
// Windows-1252 lacks included), and saving puts them back in the file's own encoding.
TEST(TRIGlobals, PathsKeepTheFileSystemsBytesInEitherEncoding) {
  const std::string feed = "/srv/h\xC3\xB6me \xC3\xA5\xC3\xA4/nyh\xC3\xA9ter-\xC3\x9F.xml";
  const std::string feed1252 = "/srv/h\xF6me \xE5\xE4/nyh\xE9ter-\xDF.xml";
  const std::string cyrillic = "/srv/\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0/index.tpg";
  struct Case {
    const char* Name;
    std::string OnDisk;
    std::string Feed;           // XMLFilePath as read
    std::string IndexTemplate;  // as read
    std::string SavedFeedLine;  // after a save of another change
  };
  const std::vector<Case> cases = {
      {"UTF-8",
       "[Settings]\r\nXMLFilePath=" + feed +
           "\r\n[XMLItem001]\r\nCategory=S\xC3\xBC"
           "d\r\n"
           "IndexTemplateFileName=" +
           cyrillic + "\r\n",
       feed, cyrillic, "XMLFilePath=" + feed},
      {"Windows-1252",
       "[Settings]\r\nXMLFilePath=" + feed1252 +
           "\r\n[XMLItem001]\r\nCategory=S\xFC"
           "d\r\n"
           "IndexTemplateFileName=/srv/\xDF.tpg\r\n",
       feed, "/srv/\xC3\x9F.tpg", "XMLFilePath=" + feed1252},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string ini = folder / "tavrel.ini";
    WriteBytes(ini, c.OnDisk);
    TRIGlobals settings(folder.Path());
    EXPECT_EQ(settings.XMLFilePath, c.Feed);
    EXPECT_EQ(settings.FeedFilePath(), c.Feed);
    EXPECT_EQ(settings.XmlFileName(), "nyh\xC3\xA9ter-\xC3\x9F.xml");
    ASSERT_EQ(settings.Categories.size(), 1u);
    EXPECT_EQ(settings.Categories[0].Category,
              "S\xFC"
              "d")
        << "page text is Windows-1252";
    EXPECT_EQ(settings.Categories[0].IndexTemplateFileName, c.IndexTemplate);
    settings.ScanInterval = 30;
    settings.SaveSettings();
    const std::string saved = ReadBytes(ini);
    EXPECT_NE(saved.find("\r\n" + c.SavedFeedLine + "\r\n"), std::string::npos) << saved;
    TRIGlobals again(folder.Path());
    EXPECT_EQ(again.XMLFilePath, c.Feed);
    EXPECT_EQ(again.Categories[0].IndexTemplateFileName, c.IndexTemplate);

    // Bytes that are not UTF-8 cannot be kept in either encoding: refused, the file untouched.
    again.XMLFilePath = "/srv/\xF6.xml";
    try {
      again.SaveSettings();
      ADD_FAILURE() << "a path that is not UTF-8 was saved";
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()),
                ini +
                    ": [Settings] XMLFilePath: the path \"/srv/\xF6.xml\" is not UTF-8, so the "
                    "settings file cannot keep it; the settings were not saved");
    }
    EXPECT_EQ(ReadBytes(ini), saved);
  }
}

// The window saves what it changed and nothing else: an edit made on disk while it ran
// survives, a save without a change writes nothing, and a file its owner locked is refused.
TEST(TRIGlobals, SavingNeverOverwritesTheDisksEditsNorALockedFile) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  const std::string original = "[Settings]\r\nFTPPassword=old\r\nScanInterval=10\r\n";
  WriteBytes(ini, original);
  TRIGlobals settings(folder.Path());
  const std::string edited = "[Settings]\r\nFTPPassword=admin\r\nScanInterval=10\r\n";
  WriteBytes(ini, edited);
  EXPECT_FALSE(settings.SaveSettings().Written);
  EXPECT_EQ(ReadBytes(ini), edited) << "nothing changed here: not a byte written";

  settings.ScanInterval = 30;
  settings.Server.FTPProxi = "proxy:3128";  // for this session only: the file holds no proxy
  const TRIGlobals::TSaveReport report = settings.SaveSettings();
  EXPECT_TRUE(report.Written);
  EXPECT_EQ(report.Message, ini +
                                " was changed on disk since it was read: only the settings "
                                "changed here were written ([Settings] ScanInterval); the "
                                "disk's values were kept for [Settings] FTPPassword.");
  TRIGlobals reread(folder.Path());
  EXPECT_EQ(reread.Server.FTPPassword, "admin");
  EXPECT_EQ(reread.ScanInterval, 30);
  EXPECT_EQ(settings.Server.FTPPassword, "admin") << "the store holds what the file holds";
  EXPECT_EQ(settings.Server.FTPProxi, "proxy:3128") << "and keeps what the file does not";

  // Locked by its owner: refused, the file and its mode as they were, the change kept.
  const std::string locked = ReadBytes(ini);
  ::chmod(ini.c_str(), 0444);
  settings.ScanInterval = 45;
  try {
    settings.SaveSettings();
    ADD_FAILURE() << "a read-only settings file was replaced";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()),
              ini + ": is read-only (its owner may not write it); the settings were not saved");
  }
  EXPECT_EQ(ModeOf(ini), 0444u);
  EXPECT_EQ(ReadBytes(ini), locked);
  EXPECT_EQ(settings.ScanInterval, 45);
  ::chmod(ini.c_str(), 0644);
  EXPECT_TRUE(settings.SaveSettings().Written) << "unlocked, the kept change is saved";
  EXPECT_EQ(TRIGlobals(folder.Path()).ScanInterval, 45);
}

// The check names every character of a UTF-8 settings file's texts that Windows-1252 lacks and
// what reading makes of it; a Windows-1252 file has none to name, nor has a path.
TEST(SettingsFileProblems, NamesCharactersWindows1252Lacks) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  WriteBytes(ini,
             "[XMLItem001]\r\nCategory=\xC3\x89"
             "conomie\r\n"
             "FastextPrompt1=\xC5\x81\xC3\xB3"
             "d\xC5\xBA\r\n"
             // A path reaches the file system as it is: nothing to name.
             "IndexTemplateFileName=/\xC5\x81\xC3\xB3"
             "d\xC5\xBA.tpg\r\n");
  EXPECT_EQ(SettingsFileProblems(ini),
            (std::vector<std::string>{
                ini + ":3: \"\xC5\x81\" (U+0141) has no Windows-1252 form; it is read as \"L\"",
                ini + ":3: \"\xC5\xBA\" (U+017A) has no Windows-1252 form; it is read as \"z\""}));
  WriteBytes(ini,
             "[XMLItem001]\r\nCategory=\xC9"
             "conomie \x8C\r\n");
  EXPECT_TRUE(SettingsFileProblems(ini).empty());
}

}  // namespace
// An authority file that is not there would fail every TLS upload: the check names it, and
// passes over one that exists and an empty key (the system's store).
TEST(SettingsFileProblems, NamesMissingCaFile) {
  TempFolder folder;
  const std::string ini = folder / "tavrel.ini";
  const std::string existing = folder / "ca.pem";
  WriteBytes(existing, "pem");
  const struct {
    std::string Value;
    bool Named;
  } cases[] = {{folder / "gone.pem", true}, {existing, false}, {"", false}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.Value);
    WriteBytes(ini, "[Settings]\r\nFTPUseTLS=1\r\nFTPCAFile=" + row.Value + "\r\n");
    const std::vector<std::string> expected =
        row.Named ? std::vector<std::string>{ini + ":3: FTPCAFile=" + row.Value + ": no such file"}
                  : std::vector<std::string>{};
    EXPECT_EQ(SettingsFileProblems(ini), expected);
  }
}

}  // namespace tavrel
