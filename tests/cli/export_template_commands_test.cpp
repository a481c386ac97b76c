// Runs the real tavrel executable's export and template commands on the sample workspace:
// exit codes, the files they write, and round trips through the open formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "page/template_file.h"
#include "page/tti_file.h"
#include "testing/run_command.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using tavrel::testing::ReadBytes;
using tavrel::testing::RunCommand;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

struct TRun {
  int ExitCode;
  std::string Out;
  std::string Err;
};

// The sample workspace with its pages generated, in a folder of its own.
class ExportTemplateCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = folder_.Path() + "home/";
    fs::copy(TAVREL_SOURCE_DIR "/data/sample", home_, fs::copy_options::recursive);
    ASSERT_EQ(Run("generate").ExitCode, 0);
  }

  // Runs "tavrel --home <home> <arguments>" in the test folder; arguments are shell words.
  TRun Run(const std::string& arguments) {
    const std::string command = "cd '" + folder_.Path() +
                                "' && '" TAVREL_BINARY_DIR "/tavrel' --home '" + home_ + "' " +
                                arguments + " 2>err.txt";
    const tavrel::testing::CommandResult result = RunCommand(command);
    return {result.ExitCode, result.Output, ReadBytes(folder_.Path() + "err.txt")};
  }

  TempFolder folder_;
  std::string home_;
};

TEST_F(ExportTemplateCommands, ExitCodesAndMessages) {
  struct TCase {
    const char* Name;
    std::string Arguments;
    std::string Prepare;  // "empty control": Control.dat without pages; "no control": none
    int ExitCode;
    std::string Err;  // start of stderr; "" when nothing
  };
  const std::vector<TCase> cases = {
      {"export both", "export --tti tti --t42 all.t42", "", 0, ""},
      {"export without a format", "export", "", 2, "tavrel export: give --tti DIR or --t42 FILE"},
      {"cycle out of range", "export --tti tti --cycle 0", "", 2, "tavrel export: --cycle must be"},
      {"unknown option", "export --tti tti --pdf x", "", 2,
       "tavrel export: unknown argument '--pdf'"},
      {"nothing generated", "export --t42 all.t42", "empty control", 7, "tavrel export: "},
      {"never generated", "export --t42 all.t42", "no control", 1, "Control.dat: no such file"},
      {"template without action", "template", "", 2, "tavrel template: say import or export"},
      {"import without output", "template import tti/101.tti", "", 2,
       "tavrel template: import needs -o FILE.tpg"},
      {"export needs the format", "template export x.tpg", "", 2,
       "tavrel template: export needs --edit-tf"},
      {"import of a missing file", "template import none.tti -o n.tpg", "", 1,
       "none.tti: no such file"},
      {"import of a bad address", "template import '#0:AAAA' -o n.tpg", "", 1,
       "edit.tf URL: the page data part holds 4 base64 digits"},
      {"export of a missing template", "template export none.tpg --edit-tf", "", 1,
       "none.tpg: no such file"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Prepare == "empty control") WriteBytes(home_ + "Export/Control.dat", "[100.*]\r\n");
    if (c.Prepare == "no control") fs::remove(home_ + "Export/Control.dat");
    const TRun run = Run(c.Arguments);
    EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err;
    if (c.Err.empty()) {
      EXPECT_EQ(run.Err, "");
    } else {
      EXPECT_NE(run.Err.find(c.Err), std::string::npos) << run.Err;
    }
    if (!c.Prepare.empty()) {
      ASSERT_EQ(Run("generate").ExitCode, 0);
    }
  }
  EXPECT_TRUE(fs::is_regular_file(folder_.Path() + "tti/100.tti"));
  EXPECT_GT(fs::file_size(folder_.Path() + "all.t42"), 0u);
}

TEST_F(ExportTemplateCommands, TemplateGoesThroughTtiAndEditTfUnchanged) {
  ASSERT_EQ(Run("export --tti tti").ExitCode, 0);
  // A TTI file of a generated page becomes a template, the template an edit.tf address, the
  // address a template again: the cells and the character set stay, whatever the route.
  ASSERT_EQ(Run("template import tti/101.tti -o from_tti.tpg").ExitCode, 0);
  const TRun url = Run("template export from_tti.tpg --edit-tf");
  ASSERT_EQ(url.ExitCode, 0);
  ASSERT_EQ(url.Out.rfind("https://edit.tf/#1:", 0), 0u) << url.Out;  // German
  ASSERT_EQ(Run("template import '" + url.Out.substr(0, url.Out.size() - 1) + "' -o from_url.tpg")
                .ExitCode,
            0);

  const TTtiFile tti = TTtiFile::Read(folder_.Path() + "tti/101.tti");
  TPrestPage expected = tti.Pages.front().ToPage(-1);
  for (const char* name : {"from_tti.tpg", "from_url.tpg"}) {
    SCOPED_TRACE(name);
    TPageFile file(folder_.Path() + name);
    TPrestPage page = TPrestPage::Blank();
    file.ReadRows(page);
    EXPECT_EQ(page.Cells, expected.Cells);
    EXPECT_EQ(file.GetCharSet(), expected.CharSet);
    EXPECT_EQ(file.GetBlockText(), TTextBlock{});
  }

  // An existing template is replaced only when asked.
  const TRun again = Run("template import tti/101.tti -o from_url.tpg");
  EXPECT_EQ(again.ExitCode, 1);
  EXPECT_NE(again.Err.find("from_url.tpg exists; give --force to replace it"), std::string::npos);
  EXPECT_EQ(Run("template import tti/101.tti -o from_url.tpg --force").ExitCode, 0);
}

}  // namespace
}  // namespace tavrel
