// The headless commands fed hostile input: overlapping page ranges, pages left on air, broken
// templates, settings that fell back, output paths that are not plain files. The real program
// runs as a child process on a workspace of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "integration/varnex_sim_fixture.h"
#include "page/template_file.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kProgram = TAVREL_BINARY_DIR "/tavrel";

struct Finished {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

Finished Tavrel(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {kProgram};
  all.insert(all.end(), arguments.begin(), arguments.end());
  ChildProcess child(all);
  Finished run;
  run.Exit = child.Finish(120s).value_or(-2);
  run.Out = child.Out;
  run.Err = child.Err;
  return run;
}

void WriteTemplate(const std::string& path, const char* blockText = "03063822") {
  WriteBytes(path, "");
  TPageFile file(path);
  file.WriteString(TPageFile::kSection, "blocktext1", blockText);
  file.Save();
}

struct Category {
  std::string Name;
  int Index;
  int First;
};

// A home with one section per category, both using Templates/index.tpg and message.tpg.
struct Home {
  explicit Home(const std::vector<Category>& categories, const std::string& settings = "") {
    std::string ini = "[Settings]\nXMLFilePath=feeds/news.xml\nUseFastext=0\n" + settings;
    int number = 1;
    for (const Category& c : categories) {
      ini += "[XMLItem00" + std::to_string(number++) + "]\nCategory=" + c.Name +
             "\nIndexNumber=" + std::to_string(c.Index) +
             "\nFirstNumber=" + std::to_string(c.First) +
             "\nIndexTemplateFileName=Templates/index.tpg"
             "\nMessageTemplateFileName=Templates/message.tpg\n";
    }
    WriteBytes(Dir + "tavrel.ini", ini);
    WriteTemplate(Dir + "Templates/index.tpg");
    WriteTemplate(Dir + "Templates/message.tpg");
  }
  // count messages of a category, titled "<Category> story <k>".
  void Feed(const std::vector<std::pair<std::string, int>>& counts,
            const std::string& text = "Text.") const {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    for (const auto& [category, count] : counts) {
      for (int k = 0; k < count; ++k) {
        xml += "<message><category>" + category + "</category><title>" + category + " story " +
               std::to_string(k) + "</title><text>" + text + "</text></message>\n";
      }
    }
    WriteBytes(Dir + "feeds/news.xml", xml + "</root>\n");
  }
  std::vector<std::string> Args(std::vector<std::string> rest) const {
    rest.insert(rest.begin(), {"--home", Dir});
    return rest;
  }
  std::set<std::string> PageFiles() const {
    std::set<std::string> names;
    for (const auto& file : fs::directory_iterator(Dir + "Export")) {
      if (file.path().extension() == ".pag") names.insert(file.path().filename().string());
    }
    return names;
  }

  TempFolder Temp;
  std::string Dir = Temp / "home/";
};

std::vector<std::string> Sections(const std::string& control) {
  std::vector<std::string> sections;
  for (std::size_t at = control.find('['); at != std::string::npos;
       at = control.find('[', at + 1)) {
    sections.push_back(control.substr(at, control.find(']', at) - at + 1));
  }
  return sections;
}

// 120 News messages from page 101 run over Sport's index page 200 and its messages 201..203.
TEST(HostileInput, OverlappingPageRangesWriteEachPageOnceAndSayWhichLost) {
  Home home({{"News", 100, 101}, {"Sport", 200, 201}});
  home.Feed({{"News", 120}, {"Sport", 3}});
  const std::vector<std::string> clashes = {
      "Page 200 of \"News\" is taken by the index of \"Sport\"; message \"News story 99\" is not "
      "generated.",
      "Page 201 of \"Sport\" is taken by message \"News story 100\" of \"News\"; message \"Sport "
      "story 0\" is not generated.",
      "Page 202 of \"Sport\" is taken by message \"News story 101\" of \"News\"; message \"Sport "
      "story 1\" is not generated.",
      "Page 203 of \"Sport\" is taken by message \"News story 102\" of \"News\"; message \"Sport "
      "story 2\" is not generated.",
  };

  // The index page has rows for 17 of News's 119 titles on air; check names that too.
  const std::string unlisted =
      "Category \"News\": index page 100 lists 17 of 119 titles; the "
      "text block of " +
      home.Dir + "Templates/index.tpg has 17 rows.";

  const Finished check = Tavrel(home.Args({"check"}));
  EXPECT_EQ(check.Exit, 1);
  std::string expected;
  for (const std::string& line : clashes) expected += line + "\n";
  EXPECT_EQ(check.Out, expected + unlisted + "\n");

  const Finished generate = Tavrel(home.Args({"generate"}));
  ASSERT_EQ(generate.Exit, 0) << generate.Err;
  // 2 index pages and 119 News stories: what the summary counts is what is on disk.
  EXPECT_EQ(home.PageFiles().size(), 121u);
  EXPECT_NE(generate.Out.find("Files: 121 page files"), std::string::npos) << generate.Out;
  for (const std::string& line : clashes) {
    EXPECT_NE(generate.Out.find("  " + line + "\n"), std::string::npos) << line;
  }
  EXPECT_NE(generate.Out.find("  " + unlisted + "\n"), std::string::npos) << generate.Out;
  const std::vector<std::string> sections = Sections(ReadBytes(home.Dir + "Export/Control.dat"));
  const std::set<std::string> unique(sections.begin(), sections.end());
  EXPECT_EQ(unique.size(), sections.size());
  EXPECT_EQ(std::count(sections.begin(), sections.end(), "[200.0000]"), 1);
}

// 30 News messages, then 5: pages 118..130 of the first update must not stay on air.
TEST(HostileInput, PagesTheLastUpdatePutOnAirAndTheNextDoesNotWriteAreCleared) {
  testing::VarnexSimulator simulator;
  Home home({{"News", 100, 101}},
            "FTPHost=127.0.0.1\nFTPUser=tavrel\nFTPPassword=secret\nFTPPassive=1\nFTPPort=" +
                std::to_string(simulator.Port()) + "\nTransferDir=Varnex\\Transfer\\\n");
  auto onAir = [&] {
    std::set<int> pages;
    for (const auto& file : fs::directory_iterator(simulator.OnAirDir())) {
      if (file.path().extension() != ".pag") continue;
      pages.insert(std::stoi(file.path().filename().string()));
    }
    return pages;
  };
  auto range = [](int from, int to) {
    std::set<int> pages;
    for (int page = from; page <= to; ++page) pages.insert(page);
    return pages;
  };

  home.Feed({{"News", 30}});
  Finished upload = Tavrel(home.Args({"upload"}));
  ASSERT_EQ(upload.Exit, 0) << upload.Err;
  ASSERT_TRUE(simulator.WaitForReportLines(1));
  EXPECT_EQ(onAir(), range(100, 130));
  std::string list;
  for (int page = 100; page <= 130; ++page) list += std::to_string(page) + "\r\n";
  EXPECT_EQ(ReadBytes(home.Dir + "Handled/SentPages.txt"), list);

  // The server takes the next update once it has removed the semaphore of this one.
  for (int i = 0; i < 200 && fs::exists(simulator.TransferDir() / "update.sem"); ++i) {
    std::this_thread::sleep_for(50ms);
  }

  // A run that is only generated sends nothing and leaves the list of the last sent update.
  home.Feed({{"News", 2}});
  ASSERT_EQ(Tavrel(home.Args({"generate"})).Exit, 0);
  EXPECT_EQ(ReadBytes(home.Dir + "Handled/SentPages.txt"), list);

  home.Feed({{"News", 5}});
  upload = Tavrel(home.Args({"upload"}));
  ASSERT_EQ(upload.Exit, 0) << upload.Err;
  ASSERT_TRUE(simulator.WaitForReportLines(2));
  EXPECT_EQ(onAir(), range(100, 105));
  // The clearing block stands as it was (index 100, then 101..117 from the index template's
  // 17 rows); the pages of the last update above that follow it.
  const std::vector<std::string> sections = Sections(ReadBytes(home.Dir + "Export/Control.dat"));
  std::vector<std::string> clearing;
  for (int page = 117; page >= 100; --page) clearing.push_back("[" + std::to_string(page) + ".*]");
  for (int page = 118; page <= 130; ++page) clearing.push_back("[" + std::to_string(page) + ".*]");
  EXPECT_EQ(std::vector<std::string>(sections.begin(), sections.begin() + 31), clearing);
  EXPECT_EQ(sections.at(31), "[100.0000]");
}

TEST(HostileInput, BrokenTemplatesStopTheRunAndCheckNamesThem) {
  struct Case {
    const char* Name;
    std::function<void(const std::string& path)> Damage;
    std::string Problem;
  };
  auto block = [](const char* text) {
    return [text](const std::string& path) { WriteTemplate(path, text); };
  };
  auto bytes = [](const char* text) {
    return [text](const std::string& path) { WriteBytes(path, text); };
  };
  const std::vector<Case> cases = {
      {"letters for a block", block("abcdefgh"),
       "text block \"abcdefgh\" (blocktext1) is unusable: it lies on row 0, the page header, and "
       "cannot hold one row of text"},
      {"an empty block", block(""),
       "text block \"\" (blocktext1) is unusable: it lies on row 0, the page header, and cannot "
       "hold one row of text"},
      {"a block of four zeros", block("0000"),
       "text block \"0000\" (blocktext1) is unusable: it lies on row 0, the page header, and "
       "cannot hold one row of text"},
      {"an inverted block", block("03060022"),
       "text block \"03060022\" (blocktext1) is unusable: right column 0 is left of left column 3"},
      {"a folder",
       [](const std::string& path) {
         fs::remove(path);
         fs::create_directory(path);
       },
       "is a folder, not a template file"},
      {"a file of another kind", bytes("root:x:0:0:root:/root:/bin/bash\n"),
       "not a template: it has no [PAGE] section"},
      {"an empty file", bytes(""), "not a template: it has no [PAGE] section"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Home home({{"News", 100, 101}});
    home.Feed({{"News", 2}});
    const std::string path = home.Dir + "Templates/message.tpg";
    c.Damage(path);
    const Finished check = Tavrel(home.Args({"check"}));
    EXPECT_EQ(check.Exit, 1);
    EXPECT_NE(check.Out.find(path + ": " + c.Problem + "\n"), std::string::npos) << check.Out;
    const Finished generate = Tavrel(home.Args({"generate"}));
    EXPECT_EQ(generate.Exit, 1);
    EXPECT_EQ(generate.Err, "tavrel generate: " + path + ": " + c.Problem + "\n");
    EXPECT_TRUE(home.PageFiles().empty());
    EXPECT_FALSE(fs::exists(home.Dir + "Export/Control.dat"));
  }
}

TEST(HostileInput, CheckNamesSettingsThatFellBack) {
  Home home({{"News", 100, 101}},
            "FTPPort=21x\nScanInterval=ten\nFormatCorrection=0x845\nScanInterval=12\n"
            "[XMLItem001]\nFirstNumber=1o1\n");
  home.Feed({{"News", 1}});
  const std::string ini = home.Dir + "tavrel.ini";
  const Finished check = Tavrel(home.Args({"check"}));
  EXPECT_EQ(check.Exit, 1);
  const std::string expected =
      ini + ":4: FTPPort=21x is not a decimal number; its default is used\n" +  //
      ini + ":5: ScanInterval=ten is not a decimal number; its default is used\n" + ini +
      ":6: FormatCorrection=0x845 is not a decimal number; it is read as 2117\n" + ini +
      ":7: key ScanInterval appears again in [Settings] (first on line 5); the first value "
      "is used\n" +
      ini + ":9: FirstNumber=1o1 is not a decimal number; its default is used\n" + ini +
      ":10: section [XMLItem001] appears again (first on line 8); its keys count as part "
      "of the first\n" +
      ini +
      ":13: key FirstNumber appears again in [XMLItem001] (first on line 9); the first "
      "value is used\n";
  EXPECT_EQ(check.Out.substr(0, expected.size()), expected);
}

TEST(HostileInput, AHomeWithoutSettingsIsNamedByEveryCommand) {
  TempFolder folder;
  const std::string home = folder / "typo";
  for (const char* command : {"check", "generate", "upload", "scan"}) {
    SCOPED_TRACE(command);
    const Finished run = Tavrel({"--home", home, command});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Err,
              std::string("tavrel ") + command + ": no settings file " + home + "/tavrel.ini\n");
    EXPECT_FALSE(fs::exists(home));
  }
  const Finished empty = Tavrel({"--home", "", "check"});
  EXPECT_EQ(empty.Exit, 2);
  EXPECT_EQ(empty.Err, "tavrel: --home needs a folder, not an empty name\n");
}

TEST(HostileInput, OutputPathsNeverReplaceWhatIsNotAPlainFile) {
  TempFolder folder;
  const std::string page = folder / "page.tpg";
  WriteTemplate(page);
  const std::string kPngSignature = "\x89PNG\r\n\x1a\n";

  // A link is followed: its target gets the picture, the link stays a link.
  const std::string target = folder / "target.png";
  const std::string link = folder / "link.png";
  WriteBytes(target, "old");
  fs::create_symlink(target, link);
  Finished run = Tavrel({"render", page, "-o", link});
  EXPECT_EQ(run.Exit, 0) << run.Err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(target).substr(0, 8), kPngSignature);

  run = Tavrel({"template", "export", page, "--edit-tf"});
  ASSERT_EQ(run.Exit, 0) << run.Err;
  const std::string address = run.Out.substr(0, run.Out.find('\n'));

  struct Case {
    const char* Name;
    std::function<bool(const std::string& path)> Make;  // false: cannot be made here
  };
  const std::vector<Case> cases = {
      {"a FIFO", [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }},
      // A device of our own, in the temporary folder: /dev/null's numbers. Only root may.
      {"a character device",
       [](const std::string& path) {
         return ::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = folder / "special";
    fs::remove(path);
    if (!c.Make(path)) {
      std::printf("not tested here: %s cannot be made\n", c.Name);
      continue;
    }
    const auto type = fs::symlink_status(path).type();
    run = Tavrel({"render", page, "-o", path});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Err, "tavrel render: " + path +
                           ": cannot save: is not a regular file, and is not replaced\n");
    EXPECT_EQ(fs::symlink_status(path).type(), type);
    // The same for a template imported over it.
    run = Tavrel({"template", "import", address, "-o", path, "--force"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Err, "tavrel template: " + path +
                           ": cannot save: is not a regular file, and is not replaced\n");
    EXPECT_EQ(fs::symlink_status(path).type(), type);
    fs::remove(path);
  }

  run = Tavrel({"render", page, "-o", "-"});
  EXPECT_EQ(run.Exit, 0) << run.Err;
  EXPECT_EQ(run.Out.substr(0, 8), kPngSignature);
  EXPECT_EQ(run.Err.substr(0, 3), "-: ");
}

// Many distinct categories and a huge title: the operator gets a bounded report.
TEST(HostileInput, ReportsStayBounded) {
  Home home({{"News", 100, 101}});
  std::vector<std::pair<std::string, int>> counts;
  for (int c = 0; c < 25; ++c) counts.emplace_back("C" + std::to_string(c), 1);
  home.Feed(counts);
  const Finished check = Tavrel(home.Args({"check"}));
  EXPECT_EQ(check.Exit, 1);
  std::string expected;
  for (int c = 0; c < 20; ++c) expected += "Category \"C" + std::to_string(c) + "\" not defined.\n";
  EXPECT_EQ(check.Out, expected + "... and 5 more categories not defined.\n");

  // A title of a megabyte in a block with no room for it is named, cut, in one short line.
  home.Feed({{"News", 1}}, "Text.");
  std::string xml = ReadBytes(home.Dir + "feeds/news.xml");
  xml.replace(xml.find("News story 0"), 12, std::string(1 << 20, 'x'));
  WriteBytes(home.Dir + "feeds/news.xml", xml);
  const Finished generate = Tavrel(home.Args({"generate"}));
  EXPECT_EQ(generate.Exit, 0) << generate.Err;
  EXPECT_LT(generate.Out.size(), 1000u);
  EXPECT_NE(generate.Out.find("  Message \"" + std::string(60, 'x') + "...\" on page 101"),
            std::string::npos)
      << generate.Out;
}

// Raw control bytes went on air as colour, flash and conceal codes.
TEST(HostileInput, FeedTextCannotInjectTeletextCodes) {
  Home home({{"News", 100, 101}});
  const std::string feed = home.Dir + "feeds/news.xml";
  WriteBytes(feed,
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n<message><category>News"
             "</category><title>Red\x01"
             "alert \x08"
             "flash</title>\n<text>Hidden\x18text "
             "&#8; &bogus; &amp; &#x41;</text></message>\n</root>\n");
  const Finished check = Tavrel(home.Args({"check"}));
  EXPECT_EQ(check.Exit, 1);
  const std::string tail = ", which XML does not allow; it is shown as a space\n";
  EXPECT_EQ(check.Out, feed + ":3: control character 0x01" + tail +      //
                           feed + ":3: control character 0x08" + tail +  //
                           feed + ":4: control character 0x18" + tail + feed +
                           ":4: reference &#8; stands for control character 0x08" + tail + feed +
                           ":4: entity &bogus; is not defined; it is shown as written\n");

  ASSERT_EQ(Tavrel(home.Args({"generate"})).Exit, 0);
  std::string text;
  for (const char byte : ReadBytes(home.Dir + "Export/101-0000.pag")) text += char(byte & 0x7F);
  EXPECT_NE(text.find("RED ALERT  FLASH"), std::string::npos) << text;
  EXPECT_NE(text.find("Hidden text   &bogus; & A"), std::string::npos) << text;

  // Bytes that read as UTF-8 under a declaration of an 8-bit code page.
  WriteBytes(feed,
             "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<root><message><category>News"
             "</category><title>M\xc3\xbcnchen</title><text>x</text></message></root>\n");
  const Finished declared = Tavrel(home.Args({"check"}));
  EXPECT_EQ(declared.Exit, 1);
  EXPECT_EQ(declared.Out, feed +
                              ": declared as \"windows-1252\", but its bytes are valid UTF-8; the "
                              "declaration looks wrong (accented letters would show as two "
                              "characters each)\n");
}

// With "Title uppercase" every letter with a capital becomes it before translation. The text
// chooses the German set: Ö and Ä stand at the places of \ and [, and Å, which the set lacks,
// becomes what the translation gives for it, A.
TEST(HostileInput, TitlesInCapitalsTurnAccentedLettersToo) {
  Home home({{"Europa", 100, 101}});
  WriteBytes(home.Dir + "feeds/news.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><message><category>Europa"
             "</category><title>G\xc3\xb6teborg f\xc3\xa5r ny sp\xc3\xa5rv\xc3\xa4g</title>"
             "<text>Sp\xc3\xa5rv\xc3\xa4gen \xc3\xb6ppnar.</text></message></root>\n");
  ASSERT_EQ(Tavrel(home.Args({"generate"})).Exit, 0);
  std::string text;
  for (const char byte : ReadBytes(home.Dir + "Export/101-0000.pag")) text += char(byte & 0x7F);
  EXPECT_NE(text.find("G\\TEBORG FAR NY SPARV[G"), std::string::npos) << text;
}

}  // namespace
}  // namespace tavrel
