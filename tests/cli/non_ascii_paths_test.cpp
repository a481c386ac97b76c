// Names beyond ASCII as operators give them: a home, a feed and templates whose names hold
// å, ä, ö, é and ß, with tavrel.ini in UTF-8 and in Windows-1252, through the real program's
// check, generate and scan --once against the transmission-server simulator.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "integration/varnex_sim_fixture.h"
#include "page/template_file.h"
#include "support/windows1252.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::ReadBytes;
using testing::TempFolder;
using testing::VarnexSimulator;
using testing::WriteBytes;

const std::string kProgram = TAVREL_BINARY_DIR "/tavrel";

void WriteTemplate(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  WriteBytes(path, "");
  TPageFile file(path);
  file.SetBlockText(TTextBlock{3, 6, 38, 9});
  file.Save();
}

struct TavrelRun {
  int ExitCode;
  std::string Out;
  std::string Err;
};

TavrelRun Tavrel(const std::string& home, const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {kProgram, "--home", home};
  command.insert(command.end(), arguments.begin(), arguments.end());
  ChildProcess child(command);
  const auto exitCode = child.Finish(60s);
  return {exitCode.value_or(-1), child.Out, child.Err};
}

TEST(NonAsciiPaths, CheckGenerateAndScanFindEveryFileInEitherEncoding) {
  for (const bool utf8 : {true, false}) {
    SCOPED_TRACE(utf8 ? "tavrel.ini in UTF-8" : "tavrel.ini in Windows-1252");
    VarnexSimulator simulator;
    TempFolder temp;
    // All in UTF-8, as the file system names them.
    const std::string home =
        (temp.Root() / "h\xC3\xB6m\xC3\xA9 \xC3\xA5\xC3\xA4\xC3\xB6").string() + "/";
    const std::string feed = home +
                             "Fl\xC3\xB6"
                             "den/nyhet\xC3\xA9r-\xC3\x9F.xml";
    const std::string indexTemplate = home + "Templates/index-\xC3\xA5.tpg";
    const std::string messageTemplate = "Templates/meddelande-\xC3\xA4.tpg";  // from the home
    WriteBytes(home + "tavrel.ini", "[Settings]\r\nXMLFilePath=" + feed + "\r\n");
    const TavrelRun missing = Tavrel(home, {"check"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "tavrel check: " + feed + ": feed file not found\n")
        << "the name as the file system has it";

    WriteTemplate(indexTemplate);
    WriteTemplate(home + messageTemplate);
    fs::create_directories(fs::path(feed).parent_path());
    WriteBytes(feed,
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><message><category>S\xC3\xBC"
               "d</category><title>Storm</title><text>Text.</text></message></root>\n");
    const std::string settings =
        "[Settings]\r\nXMLFilePath=" + feed + "\r\nFTPHost=127.0.0.1\r\nFTPUser=tavrel\r\n" +
        "FTPPassword=secret\r\nFTPPort=" + std::to_string(simulator.Port()) +
        "\r\nFTPPassive=1\r\n[XMLItem001]\r\nCategory=S\xC3\xBC"
        "d\r\nIndexNumber=100\r\n" +
        "FirstNumber=101\r\nIndexTemplateFileName=" + indexTemplate +
        "\r\nMessageTemplateFileName=" + messageTemplate + "\r\n";
    // Every character here has a Windows-1252 form.
    const std::string onDisk = utf8 ? settings : Utf8ToWindows1252(settings);
    WriteBytes(home + "tavrel.ini", onDisk);

    const TavrelRun check = Tavrel(home, {"check"});
    EXPECT_EQ(check.ExitCode, 0) << check.Err;
    EXPECT_EQ(check.Out, feed + ": no problems found.\n");

    const TavrelRun generate = Tavrel(home, {"generate"});
    EXPECT_EQ(generate.ExitCode, 0) << generate.Err;
    EXPECT_EQ(generate.Out.substr(0, generate.Out.find('\n') + 1), "Generated from " + feed + "\n");
    EXPECT_NE(generate.Out.find("Files: 2 page files and Control.dat in " + home + "Export/\n"),
              std::string::npos)
        << generate.Out;
    EXPECT_TRUE(fs::exists(home + "Export/100-0000.pag"));
    EXPECT_TRUE(fs::exists(home + "Export/101-0000.pag"));

    const TavrelRun scan = Tavrel(home, {"scan", "--once"});
    EXPECT_EQ(scan.ExitCode, 0) << scan.Out << scan.Err;
    EXPECT_NE(scan.Out.find(" Scan step: feed " + feed + ", server 127.0.0.1:"), std::string::npos)
        << scan.Out;
    EXPECT_EQ(ReadBytes(home + "Handled/nyhet\xC3\xA9r-\xC3\x9F.xml"), ReadBytes(feed));
    EXPECT_FALSE(simulator.ReceivedNames().empty());

    EXPECT_EQ(ReadBytes(home + "tavrel.ini"), onDisk) << "the commands never rewrite it";
  }
}

// Text a setting keeps in Windows-1252 that a hand-edited UTF-8 tavrel.ini gives characters
// the code page lacks: check names each of them and fails, where the pages would show "?". A
// path is taken as it is and named by nothing.
TEST(NonAsciiPaths, CheckNamesCharactersATextSettingCannotHold) {
  TempFolder temp;
  const std::string home = temp.Root().string() + "/";
  const std::string feed = home + "\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0.xml";  // Пресса
  WriteBytes(feed,
             "<root><message><category>News</category><title>T</title>"
             "<text>x</text></message></root>\n");
  WriteBytes(home + "tavrel.ini",
             "[Settings]\r\nXMLFilePath=" + feed +
                 "\r\nServerName=V\xC3\xA4rnex s\xC3\xA4ndare \xE2\x9C\x93\r\n"  // ✓
                 "[XMLItem001]\r\nCategory=\xD0\x9F\xD1\x80\xD0\xB5\xD1\x81\xD1\x81\xD0\xB0\r\n");
  const TavrelRun check = Tavrel(home, {"check"});
  EXPECT_EQ(check.ExitCode, 1);
  const std::string ini = home + "tavrel.ini";
  const std::string expected =
      ini + ":3: \"\xE2\x9C\x93\" (U+2713) has no Windows-1252 form; it is read as \"?\"\n" + ini +
      ":5: \"\xD0\x9F\" (U+041F) has no Windows-1252 form; it is read as \"?\"\n" + ini +
      ":5: \"\xD1\x80\" (U+0440) has no Windows-1252 form; it is read as \"?\"\n" + ini +
      ":5: \"\xD0\xB5\" (U+0435) has no Windows-1252 form; it is read as \"?\"\n" + ini +
      ":5: \"\xD1\x81\" (U+0441) has no Windows-1252 form; it is read as \"?\"\n" + ini +
      ":5: \"\xD1\x81\" (U+0441) has no Windows-1252 form; it is read as \"?\"\n" + ini +
      ":5: \"\xD0\xB0\" (U+0430) has no Windows-1252 form; it is read as \"?\"\n";
  EXPECT_EQ(check.Out.substr(0, expected.size()), expected) << check.Out;
}

}  // namespace
}  // namespace tavrel
