// The window's save of tavrel.ini at its end, as an operator meets it: an edit made on disk
// while the window was open survives closing it, and a file its owner locked is not replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "dialog_answer.h"
#include "pipeline/home_setup.h"
#include "pipeline/settings_store.h"
#include "render/teletext_fonts.h"
#include "support/lang_message_dlg.h"
#include "testing/temp_folder.h"

namespace tavrel::gui {
namespace {

using tavrel::testing::ReadBytes;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;
using testing::TMessageBoxes;

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

class SettingsSaveWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(LoadTeletextFonts(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  }
  static void TearDownTestSuite() { UnloadTeletextFonts(); }
  void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
};

TEST_F(SettingsSaveWindowTest, ClosingKeepsTheDisksEditsAndRefusesALockedFile) {
  const std::string start = "[Settings]\r\nFTPPassword=old\r\nScanInterval=10\r\n";
  const std::string edited = "[Settings]\r\nFTPPassword=admin\r\nScanInterval=10\r\n";
  struct Case {
    const char* Name;
    // Done while the window is open: the window's own change, and what happens on disk.
    std::function<void(TRIGlobals&, const std::string& ini)> MeanWhile;
    std::vector<std::string> Messages;  // <ini> stands for the file's path
    std::string Saved;                  // the file afterwards
    unsigned Mode;
  };
  const std::vector<Case> cases = {
      {"nothing changed in the window, the password changed on disk",
       [&](TRIGlobals&, const std::string& ini) { WriteBytes(ini, edited); },
       {},
       edited,
       0600},
      {"the interval changed in the window, the password on disk",
       [&](TRIGlobals& globals, const std::string& ini) {
         WriteBytes(ini, edited);
         globals.ScanInterval = 30;
       },
       {"<ini> was changed on disk since it was read: only the settings changed here were "
        "written ([Settings] ScanInterval); the disk's values were kept for [Settings] "
        "FTPPassword."},
       "[Settings]\r\nFTPPassword=admin\r\nScanInterval=30\r\n",
       0600},
      {"a change in the window, the file locked by its owner",
       [&](TRIGlobals& globals, const std::string& ini) {
         ::chmod(ini.c_str(), 0444);
         globals.ScanInterval = 30;
       },
       {"<ini>: is read-only (its owner may not write it); the settings were not saved"},
       start,
       0444},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder home;
    const std::string ini = home / "tavrel.ini";
    WriteBytes(ini, start);
    ::chmod(ini.c_str(), 0600);
    TRIGlobals globals(home.Path());
    globals.SaveOnExit = true;  // as the desktop program sets it
    {
      TRIMainForm window(globals, QString());
      window.show();
      QApplication::processEvents();
      c.MeanWhile(globals, ini);
      TMessageBoxes boxes;
      window.close();
      std::vector<std::string> expected;
      for (std::string message : c.Messages) {
        expected.push_back(message.replace(message.find("<ini>"), 5, ini));
      }
      EXPECT_EQ(boxes.Texts, expected);
    }
    const std::string saved = ReadBytes(ini);
    EXPECT_EQ(saved.substr(0, c.Saved.size()), c.Saved) << saved;
    if (c.Messages.empty()) {
      EXPECT_EQ(saved, c.Saved) << "not a byte written";
    }
    EXPECT_EQ(ModeOf(ini), c.Mode);
    if (c.Mode == 0444) {
      EXPECT_EQ(globals.ScanInterval, 30) << "the window keeps its change for the session";
      globals.SaveOnExit = false;  // the end of the run would only say the same on stderr
    }
  }
}

// 'tavrel init' makes a home without a display; its settings file must be the very file the
// window writes when it first starts on an empty folder, so that a home made either way reads
// the same.
TEST_F(SettingsSaveWindowTest, FirstStartWritesTheSettingsInitWrites) {
  TempFolder folders;
  const std::string windowHome = folders / "window";
  {
    TRIGlobals globals(windowHome);
    globals.SaveOnExit = true;  // as the desktop program sets it
    TRIMainForm window(globals, QString());
    window.show();
    QApplication::processEvents();
    TMessageBoxes boxes;
    window.close();
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{});
  }
  const std::string initHome = folders / "init";
  EXPECT_TRUE(CreateHome(initHome, "", false).SettingsWritten);
  const std::string written = ReadBytes(windowHome + "/tavrel.ini");
  EXPECT_FALSE(written.empty());
  EXPECT_EQ(ReadBytes(initHome + "/tavrel.ini"), written);
}

}  // namespace
}  // namespace tavrel::gui
