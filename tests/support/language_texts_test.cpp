#include "support/language_texts.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

// Restores the program-wide languages after each test.
class LanguageTexts : public ::testing::Test {
 protected:
  void TearDown() override { SetLanguage(UiLanguage::Dutch, UiLanguage::Dutch); }
};

TEST_F(LanguageTexts, LookupsAnswerTheCellOfTheCurrentLanguageWithoutFallback) {
  struct Row {
    const char* Name;
    UiLanguage Language;
    std::string_view (*Lookup)(int);
    int TableRow;
    std::string_view Expected;
  };
  const Row rows[] = {
      {"dialog close, Dutch", UiLanguage::Dutch, DialogText, kDialogClose, "Sluiten"},
      {"dialog close, English", UiLanguage::English, DialogText, kDialogClose, "Close"},
      {"dialog close, Swedish", UiLanguage::Swedish, DialogText, kDialogClose, "St\xE4ng"},
      {"dialog close, German placeholder", UiLanguage::German, DialogText, kDialogClose, "German"},
      {"test connection, German is empty", UiLanguage::German, DialogText, kDialogTestConnection,
       ""},
      {"port, German is empty", UiLanguage::German, DialogText, kDialogWrongPort, ""},
      {"port, Dutch keeps its typo", UiLanguage::Dutch, DialogText, kDialogWrongPort,
       "Fout FTP Poort nummmer, moet tussen 1 en 65535 liggen"},
      {"no name, English", UiLanguage::English, DialogText, kDialogNoName, "<no name>"},
      {"row outside the table", UiLanguage::English, DialogText, kDialogTextCount, ""},
      {"editor red, German", UiLanguage::German, EditorText, 33, "Rot"},
      {"editor double height, Swedish", UiLanguage::Swedish, EditorText, 46, "Dubbel H\xF6jd"},
      {"editor save and close, German", UiLanguage::German, EditorText, 58, "German"},
      {"editor delete keeps its spaces", UiLanguage::English, EditorText, 10,
       "Delete          Del"},
      {"editor last row", UiLanguage::English, EditorText, 101, "Save as default"},
      {"editor negative row", UiLanguage::English, EditorText, -1, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    // Each table follows its own language variable; the other one is set elsewhere on purpose.
    const UiLanguage other =
        row.Language == UiLanguage::Dutch ? UiLanguage::English : UiLanguage::Dutch;
    if (row.Lookup == DialogText) {
      SetLanguage(row.Language, other);
    } else {
      SetLanguage(other, row.Language);
    }
    EXPECT_EQ(row.Lookup(row.TableRow), row.Expected);
  }
}

TEST_F(LanguageTexts, EveryUsedDialogRowHasAnEnglishText) {
  for (int row : {3, 4, 5, 9, 10, 19, 20, 22, 23, 24, 26, 27, 28, 29, 30}) {
    EXPECT_FALSE(DialogTexts[static_cast<std::size_t>(row)][2].empty()) << row;
  }
  for (const TLanguageRow& row : EditorTexts) EXPECT_FALSE(row[2].empty());
  EXPECT_EQ(EditorTexts[100][2],
            "There are attributes within the textblock!\r\nThese will be deleted if blocktext "
            "mode is active.\r\nResume ?");
}

TEST_F(LanguageTexts, MessageBoxCaptionsAndButtonsFollowTheCurrentLanguage) {
  SetLanguage(UiLanguage::English, UiLanguage::English);
  EXPECT_EQ(MessageCaption(TMsgDlgType::Warning), "Warning");
  EXPECT_EQ(MessageCaption(TMsgDlgType::Confirmation), "Confirm");
  EXPECT_EQ(MessageCaption(TMsgDlgType::Custom), "");
  EXPECT_EQ(MessageButtonCaption(TMsgDlgBtn::Yes), "Yes");
  EXPECT_EQ(MessageButtonCaption(TMsgDlgBtn::Help), "Help");
  SetLanguage(UiLanguage::German, UiLanguage::English);
  EXPECT_EQ(MessageCaption(TMsgDlgType::Confirmation), "Befestig");
  EXPECT_EQ(MessageButtonCaption(TMsgDlgBtn::Abort), "Afbrechen");
  SetLanguage(UiLanguage::Swedish, UiLanguage::English);
  EXPECT_EQ(MessageButtonCaption(TMsgDlgBtn::Retry), "F\xF6rs\xF6k igen");
  EXPECT_EQ(MessageButtonCaption(TMsgDlgBtn::Abort), "Avbryt");
  SetLanguage(UiLanguage::Dutch, UiLanguage::English);
  EXPECT_EQ(MessageCaption(TMsgDlgType::Error), "Fout");
  EXPECT_EQ(MessageButtonCaption(TMsgDlgBtn::Cancel), "Annuleren");
}

TEST_F(LanguageTexts, BothLanguagesStartDutch) {
  // No test before this one in the binary changes them without restoring them.
  EXPECT_EQ(CurrentLanguage, UiLanguage::Dutch);
  EXPECT_EQ(EditorLanguage, UiLanguage::Dutch);
}

}  // namespace
}  // namespace tavrel
