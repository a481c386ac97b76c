// Runs the real tavrel executable's check and generate commands on a workspace of their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "page/template_file.h"
#include "testing/run_command.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::ReadBytes;
using tavrel::testing::RunCommand;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

void WriteTemplate(const std::string& path) {
  WriteBytes(path, "");
  TPageFile file(path);
  file.SetBlockText(TTextBlock{3, 6, 38, 9});
  file.Save();
}

// The feed is UTF-8; "S\xc3\xbcd" is "Süd", which the system holds in Windows-1252 and the
// commands must print as UTF-8 again.
std::string Feed(const char* root, const std::vector<std::string>& categories) {
  std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<") + root + ">\n";
  for (const std::string& category : categories) {
    xml += "<message><category>" + category +
           "</category><title>Title</title><text>Text.</text></message>\n";
  }
  return xml + "</" + root + ">\n";
}

struct Case {
  const char* Name;
  std::string Arguments;  // after "tavrel --home <home>"; <home> is replaced
  std::vector<std::string> FeedCategories;
  const char* Root = "root";
  bool BlockPageFile = false;  // a folder stands where page 101 must be written
  int ExitCode = 0;
  std::string Out;  // exact; <home> replaced
  std::string Err;  // exact; empty: nothing
};

TEST(CheckAndGenerateCommands, ExitCodesAndOutput) {
  const std::string summary =
      "Generated from <home>feeds/news.xml\n"
      "Categories: 2 in the feed, 1 generated\n"
      "Pages: 1 index page, 2 message pages\n"
      "Files: 3 page files and Control.dat in <home>Export/\n"
      "Skipped:\n"
      "  Category \"S\xc3\xbc"
      "d\" not defined. 1 message skipped.\n";
  const std::vector<Case> cases = {
      {"check of a clean feed",
       "check",
       {"News"},
       "root",
       false,
       0,
       "<home>feeds/news.xml: no problems found.\n",
       ""},
      {"check finds an undefined category, printed as UTF-8",
       "check",
       {"News",
        "S\xc3\xbc"
        "d"},
       "root",
       false,
       1,
       "Category \"S\xc3\xbc"
       "d\" not defined.\n",
       ""},
      {"check of a named feed that does not fit the schema",
       "check <home>feeds/news.xml",
       {"News"},
       "feed",
       false,
       1,
       "Root element \"root\" not found.\n",
       ""},
      {"check of a feed that is not there",
       "check <home>nowhere.xml",
       {"News"},
       "root",
       false,
       1,
       "",
       "tavrel check: <home>nowhere.xml: feed file not found\n"},
      {"check with two feeds",
       "check a.xml b.xml",
       {"News"},
       "root",
       false,
       2,
       "",
       "tavrel check: one feed file at most, got 'a.xml' and 'b.xml'\n"},
      {"generate prints the summary",
       "generate",
       {"News",
        "S\xc3\xbc"
        "d",
        "news"},
       "root",
       false,
       0,
       summary,
       ""},
      {"generate ends with an error naming a page file it cannot create",
       "generate",
       {"News", "News"},
       "root",
       true,
       1,
       "",
       "tavrel generate: <home>Export/101-0000.pag: cannot be created: Is a directory\n"},
      {"generate with an unknown option",
       "generate --fast",
       {"News"},
       "root",
       false,
       2,
       "",
       "tavrel generate: unknown option '--fast'\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string home = folder / "home/";
    WriteBytes(home + "tavrel.ini",
               "[Settings]\nXMLFilePath=feeds/news.xml\n"
               "[XMLItem001]\nCategory=News\nIndexNumber=100\nFirstNumber=101\n"
               "IndexTemplateFileName=Templates/index.tpg\n"
               "MessageTemplateFileName=Templates/message.tpg\n");
    WriteTemplate(home + "Templates/index.tpg");
    WriteTemplate(home + "Templates/message.tpg");
    WriteBytes(home + "feeds/news.xml", Feed(c.Root, c.FeedCategories));
    if (c.BlockPageFile) fs::create_directories(home + "Export/101-0000.pag");

    const std::string arguments = std::regex_replace(c.Arguments, std::regex("<home>"), home);
    const std::string errors = folder / "stderr.txt";
    const auto result = RunCommand(std::string(TAVREL_BINARY_DIR) + "/tavrel --home " + home + " " +
                                   arguments + " 2>" + errors);
    auto withHome = [&](const std::string& text) {
      return std::regex_replace(text, std::regex("<home>"), home);
    };
    EXPECT_EQ(result.ExitCode, c.ExitCode);
    EXPECT_EQ(result.Output, withHome(c.Out));
    const std::string err = ReadBytes(errors);
    if (c.ExitCode == 2) {
      // A usage error is followed by the command's help.
      EXPECT_EQ(err.substr(0, c.Err.size() + 1), withHome(c.Err) + "\n");
    } else {
      EXPECT_EQ(err, withHome(c.Err));
    }
    // A run that failed leaves no control file that could be sent.
    if (c.BlockPageFile) {
      EXPECT_FALSE(fs::exists(home + "Export/Control.dat"));
    }
  }
}

// With the page folder as the target, check names a folder that cannot take pages.
TEST(CheckAndGenerateCommands, CheckNamesAPageFolderThatCannotTakePages) {
  struct FolderCase {
    const char* Name;
    const char* Target;
    const char* TargetFolder;
    int ExitCode;
    std::string Out;  // <home> replaced
  };
  const std::vector<FolderCase> cases = {
      {"a folder there", "Folder", "pages", 0, "<home>feeds/news.xml: no problems found.\n"},
      {"a missing folder", "Folder", "gone", 1,
       "<home>gone: the page folder cannot be reached: No such file or directory\n"},
      {"a file, not a folder", "Folder", "tavrel.ini", 1,
       "<home>tavrel.ini: the page folder is not a folder\n"},
      {"no folder set", "Folder", "", 1, "no page folder is set (TargetFolder)\n"},
      {"an unknown target", "Floppy", "pages", 1,
       "Target=Floppy is neither Varnex nor Folder; the pages go to the server\n"},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string home = folder / "home/";
    WriteBytes(home + "tavrel.ini",
               std::string("[Settings]\nXMLFilePath=feeds/news.xml\nTarget=") + c.Target +
                   "\nTargetFolder=" + c.TargetFolder +
                   "\n[XMLItem001]\nCategory=News\nIndexNumber=100\nFirstNumber=101\n"
                   "IndexTemplateFileName=Templates/index.tpg\n"
                   "MessageTemplateFileName=Templates/message.tpg\n");
    WriteTemplate(home + "Templates/index.tpg");
    WriteTemplate(home + "Templates/message.tpg");
    WriteBytes(home + "feeds/news.xml", Feed("root", {"News"}));
    fs::create_directories(home + "pages");
    const auto result = RunCommand(std::string(TAVREL_BINARY_DIR) + "/tavrel --home " + home +
                                   " check 2>/dev/null");
    EXPECT_EQ(result.ExitCode, c.ExitCode);
    EXPECT_EQ(result.Output, std::regex_replace(c.Out, std::regex("<home>"), home));
  }
}

// What a preview would lose or show wrongly without a word: check names it, as generate's
// summary does, and exits 1.
TEST(CheckAndGenerateCommands, CheckNamesAMessageThatCannotBeLaidOutAndAPromptWithASpace) {
  std::string longTitle;
  for (int word = 0; word < 150; ++word) longTitle += word == 0 ? "Storm" : " Storm";
  const std::string cutTitle = longTitle.substr(0, 60) + "...";
  const std::string noRoom =
      "Message \"" + cutTitle +
      "\" on page 102: the text block of <home>Templates/message.tpg has no room for the "
      "title, the text and a page counter; the whole text is on one page, cut at the block.\n";
  const std::string spacePrompt =
      "Category \"News\": Prompt 2 \"Top News\" holds a space, which ends a prompt in "
      "\"Control.dat\". Write \"Top_News\": an underscore is shown as a space.\n";
  struct Row {
    const char* Name;
    std::string Title;     // of the second message
    std::string Settings;  // added to the section Settings
    std::string Category;  // added to the category's section
    int ExitCode;
    std::string CheckOut;  // <home> replaced
  };
  const std::vector<Row> rows = {
      {"a plain feed", "Calm", "", "", 0, "<home>feeds/news.xml: no problems found.\n"},
      {"a 150-word title", longTitle, "", "", 1, noRoom},
      {"a prompt with a space", "Calm", "", "FastextPrompt2=Top News\n", 1, spacePrompt},
      {"a prompt with a space, fastext off", "Calm", "UseFastext=0\n", "FastextPrompt2=Top News\n",
       0, "<home>feeds/news.xml: no problems found.\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    TempFolder folder;
    const std::string home = folder / "home/";
    WriteBytes(home + "tavrel.ini",
               "[Settings]\nXMLFilePath=feeds/news.xml\n" + row.Settings +
                   "[XMLItem001]\nCategory=News\nIndexNumber=100\nFirstNumber=101\n"
                   "IndexTemplateFileName=Templates/index.tpg\n"
                   "MessageTemplateFileName=Templates/message.tpg\n" +
                   row.Category);
    WriteTemplate(home + "Templates/index.tpg");
    WriteTemplate(home + "Templates/message.tpg");
    WriteBytes(home + "feeds/news.xml",
               "<root><message><category>News</category><title>Calm</title><text>Quiet.</text>"
               "</message><message><category>News</category><title>" +
                   row.Title + "</title><text>Windy.</text></message></root>\n");
    auto withHome = [&](const std::string& text) {
      return std::regex_replace(text, std::regex("<home>"), home);
    };
    const std::string program = std::string(TAVREL_BINARY_DIR) + "/tavrel --home " + home;

    const auto check = RunCommand(program + " check");
    EXPECT_EQ(check.ExitCode, row.ExitCode);
    EXPECT_EQ(check.Output, withHome(row.CheckOut));
    // What check names of the layout is the line generate reports, word for word.
    if (row.Title == longTitle) {
      const auto generate = RunCommand(program + " generate");
      EXPECT_EQ(generate.ExitCode, 0);
      EXPECT_NE(generate.Output.find("Skipped:\n  " + withHome(noRoom)), std::string::npos)
          << generate.Output;
    }
  }
}

TEST(CheckAndGenerateCommands, HelpNamesTheUsage) {
  for (const char* command : {"check", "generate"}) {
    SCOPED_TRACE(command);
    const auto result =
        RunCommand(std::string(TAVREL_BINARY_DIR) + "/tavrel " + command + " --help");
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(
        result.Output.rfind(std::string("Usage: tavrel [--home DIR] ") + command + " [FEED]\n", 0),
        0u);
  }
}

}  // namespace
}  // namespace tavrel
