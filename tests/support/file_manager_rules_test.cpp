#include "support/file_manager_rules.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/language_texts.h"
#include "support/recent_files.h"

namespace tavrel {
namespace {

// The operator's side of the workflow: scripted answers, and the real recent-files list.
class ScriptedHost : public TFileManagerHost {
 public:
  TModalResult SaveFirstAnswer = TModalResult::Cancel;
  std::optional<std::string> OpenChoice;
  std::optional<std::string> SaveChoice;
  std::vector<std::string> Prompts;
  std::vector<std::string> Errors;
  TRecentFileList Recent;

  TModalResult AskSaveFirst(const std::string& message) override {
    Prompts.push_back(message);
    return SaveFirstAnswer;
  }
  void ShowMissingFile(const std::string& message) override { Errors.push_back(message); }
  std::optional<std::string> ChooseFileToOpen() override { return OpenChoice; }
  std::optional<std::string> ChooseFileToSave() override { return SaveChoice; }
  void SetRecentCurrentFile(const std::string& path) override { Recent.SetCurrentFile(path); }
};

class FileManagerRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLanguage(UiLanguage::English, UiLanguage::English);
    folder_ = std::filesystem::temp_directory_path() /
              ("tavrel_fm_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    rules_.OnNewFile = [this] {
      ++news_;
      return newAnswer_;
    };
    rules_.OnOpenFile = [this](const std::string& path) {
      opened_.push_back(path);
      return openAnswer_;
    };
    rules_.OnSaveFile = [this](const std::string& path) {
      saved_.push_back(path);
      return saveAnswer_;
    };
    rules_.OnFileChange = [this] { ++changes_; };
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch);
  }
  std::string MakeFile(const std::string& name) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path) << "page";
    return path;
  }

  std::filesystem::path folder_;
  ScriptedHost host_;
  TFileManagerRules rules_{host_};
  bool newAnswer_ = false, openAnswer_ = true, saveAnswer_ = true;
  int news_ = 0, changes_ = 0;
  std::vector<std::string> opened_, saved_;
};

TEST_F(FileManagerRulesTest, PromptsNameTheFileInQuotesOrNothing) {
  EXPECT_EQ(SaveFirstMessage(""), "File  was modified. Do you want to save it first?");
  EXPECT_EQ(SaveFirstMessage("/home/op/Templates/news.tpg"),
            "File \"news.tpg\" was modified. Do you want to save it first?");
  EXPECT_EQ(MissingFileMessage("/t/gone.tpg"),
            "Unable to locate file \"/t/gone.tpg\". It might be deleted or moved.");
  SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch);
  // The name is converted from the OS's UTF-8 to the window's code page.
  EXPECT_EQ(SaveFirstMessage("/t/caf\xC3\xA9.tpg"),
            "Bestand \"caf\xE9.tpg\" is gewijzigd. Wilt u het eerst opslaan?");
}

TEST_F(FileManagerRulesTest, SaveFirstAnswersDecideWhetherTheNewDocumentReplacesTheOld) {
  struct Case {
    const char* Name;
    TModalResult Answer;
    bool SaveWorks;
    bool ExpectNew;
    int ExpectSaves;
  };
  const Case cases[] = {
      {"Cancel abandons the new document", TModalResult::Cancel, true, false, 0},
      {"No discards the changes", TModalResult::No, true, true, 0},
      {"Yes saves first", TModalResult::Yes, true, true, 1},
      {"Yes with a failing save abandons", TModalResult::Yes, false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = MakeFile("doc.tpg");
    rules_.OpenFile(path);
    rules_.SetModified(true);
    host_.SaveFirstAnswer = c.Answer;
    saveAnswer_ = c.SaveWorks;
    news_ = 0;
    saved_.clear();
    newAnswer_ = true;
    rules_.NewFile();
    EXPECT_EQ(host_.Prompts.back(), SaveFirstMessage(path));
    EXPECT_EQ(news_, c.ExpectNew ? 1 : 0);
    EXPECT_EQ(rules_.FileName(), c.ExpectNew ? "" : path);
    EXPECT_TRUE(rules_.Modified()) << "an editor answering true leaves the new document modified";
    EXPECT_EQ(static_cast<int>(saved_.size()), c.ExpectSaves);
  }
}

TEST_F(FileManagerRulesTest, UnnamedSaveThatFailsKeepsTheChosenNameAndStaysModified) {
  rules_.SetModified(true);
  const std::string chosen = (folder_ / "new.tpg").string();
  host_.SaveChoice = chosen;
  saveAnswer_ = false;
  EXPECT_FALSE(rules_.SaveFile());
  EXPECT_EQ(rules_.FileName(), chosen);
  EXPECT_TRUE(rules_.Modified());
  EXPECT_EQ(changes_, 0);
  EXPECT_EQ(host_.Recent.CurrentFile(), chosen);
  // The next save goes straight to that name, without the dialog.
  host_.SaveChoice.reset();
  saveAnswer_ = true;
  EXPECT_TRUE(rules_.SaveFile());
  EXPECT_FALSE(rules_.Modified());
  EXPECT_EQ(saved_, (std::vector<std::string>{chosen, chosen}));

  // A cancelled save dialog answers false and names nothing.
  TFileManagerRules other(host_);
  other.SetModified(true);
  EXPECT_FALSE(other.SaveFile());
  EXPECT_EQ(other.FileName(), "");
}

TEST_F(FileManagerRulesTest, SaveAsChangesTheNameOnlyWhenTheSaveWorks) {
  const std::string first = MakeFile("first.tpg");
  rules_.OpenFile(first);
  host_.SaveChoice = (folder_ / "second.tpg").string();
  saveAnswer_ = false;
  rules_.SaveFileAs();
  EXPECT_EQ(rules_.FileName(), first);
  saveAnswer_ = true;
  rules_.SetModified(true);
  rules_.SaveFileAs();
  EXPECT_EQ(rules_.FileName(), *host_.SaveChoice);
  EXPECT_FALSE(rules_.Modified());
  EXPECT_EQ(host_.Recent.CurrentFile(), *host_.SaveChoice);
}

TEST_F(FileManagerRulesTest, MissingFilesAndRefusedOpensChangeNothing) {
  const std::string named = MakeFile("named.tpg");
  rules_.OpenFile(named);
  changes_ = 0;
  const std::string gone = (folder_ / "gone.tpg").string();
  rules_.OpenFile(gone);
  ASSERT_EQ(host_.Errors.size(), 1u);
  EXPECT_EQ(host_.Errors[0], MissingFileMessage(gone));
  openAnswer_ = false;
  rules_.OpenFile(MakeFile("refused.tpg"));
  EXPECT_EQ(rules_.FileName(), named);
  EXPECT_EQ(changes_, 0);
  EXPECT_EQ(host_.Recent.CurrentFile(), named);
}

TEST_F(FileManagerRulesTest, RecentChoiceOpensWithoutTouchingTheListAndHonoursCancel) {
  const std::string a = MakeFile("a.tpg");
  const std::string b = MakeFile("b.tpg");
  rules_.OpenFile(a);
  rules_.SetModified(true);
  host_.SaveFirstAnswer = TModalResult::Cancel;
  rules_.OpenRecent(b);
  EXPECT_EQ(rules_.FileName(), a);
  EXPECT_EQ(opened_, std::vector<std::string>{a});
  host_.SaveFirstAnswer = TModalResult::No;
  rules_.OpenRecent(b);
  EXPECT_EQ(rules_.FileName(), b);
  EXPECT_FALSE(rules_.Modified());
  EXPECT_EQ(host_.Recent.CurrentFile(), a) << "the list's own click handler moves the entry";
}

}  // namespace
}  // namespace tavrel
