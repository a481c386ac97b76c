#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tavrel {

// The user-interface texts of the shared components and of the page editor, in four languages.
// Every table row holds its texts in UiLanguage order. Texts are Windows-1252 bytes, like every
// other text of the core. The window selects English when it is created and nothing changes it
// later; the other columns are kept so that the components read their texts through one lookup
// whatever the language.

// The column order of every text table.
enum class UiLanguage : std::uint8_t { Dutch = 0, German = 1, English = 2, Swedish = 3 };
inline constexpr int kUiLanguageCount = 4;

using TLanguageRow = std::array<std::string_view, kUiLanguageCount>;

// The language of DialogTexts, SharedTexts and the message box, and the language of
// EditorTexts. Both start as Dutch; the main window sets both to English when it is created.
// They are the program-wide language choice, read by every window.
extern UiLanguage CurrentLanguage;
extern UiLanguage EditorLanguage;

void SetLanguage(UiLanguage current, UiLanguage editor);

inline constexpr int kDialogTextCount = 31;
inline constexpr int kEditorTextCount = 102;

// Rows of DialogTexts that this program uses.
enum DialogTextRow : int {
  kDialogClose = 3,
  kDialogCancel = 4,
  kDialogHelp = 5,
  kDialogName = 9,
  kDialogTestConnection = 10,
  kDialogUserIdCharacters = 19,
  kDialogNotFilledIn = 20,
  kDialogWrongPort = 22,
  kDialogConnectionFailed = 23,
  kDialogDirectoryNotFound = 24,
  kDialogConnectionFailedDirectory = 26,
  kDialogConnectionOk = 27,
  kDialogFileModified = 28,
  kDialogUnableToLocate = 29,
  kDialogNoName = 30,
};

extern const std::array<TLanguageRow, kDialogTextCount> DialogTexts;
extern const std::array<TLanguageRow, kEditorTextCount> EditorTexts;
// The one row of the texts shared by the teletext product family that this program shows: the
// about box's title line.
extern const TLanguageRow SharedTitleLine;

// The text of a row in the table's current language; an empty cell stays empty (no other
// language stands in). A row outside the table answers an empty text.
std::string_view DialogText(int row);
std::string_view EditorText(int row);
std::string_view SharedTitleLineText();

// The kinds and buttons of the language module's message box.
enum class TMsgDlgType : std::uint8_t { Warning, Error, Information, Confirmation, Custom };
enum class TMsgDlgBtn : std::uint8_t { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, Help };
inline constexpr int kMsgDlgBtnCount = 9;

// The caption of a kind in the current language; the custom kind has none (empty).
std::string_view MessageCaption(TMsgDlgType kind);
// The caption of a button in the current language.
std::string_view MessageButtonCaption(TMsgDlgBtn button);

}  // namespace tavrel
