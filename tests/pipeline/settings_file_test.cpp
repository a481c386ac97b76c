#include "pipeline/settings_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/temp_folder.h"
#include "support/error.h"

namespace tavrel {
namespace {

struct RewriteCase {
  const char* Name;
  std::string Text;
  std::string Saved;
};

TEST(TSettingsFile, LoadingThenSavingRewritesTheWholeFile) {
  const std::vector<RewriteCase> cases = {
      {"empty", "", ""},
      {"lines trimmed, names and values trimmed around the first =",
       "  [ Settings ]  \n  Key  =  some value  \nurl = a=b \n",
       "[Settings]\r\nKey=some value\r\nurl=a=b\r\n\r\n"},
      {"comments and empty lines dropped, one empty line after each section",
       "; comment\r\n[A]\r\n\r\n;x=1\r\nx=2\r\n\r\n\r\n[B]\r\ny=3",
       "[A]\r\nx=2\r\n\r\n[B]\r\ny=3\r\n\r\n"},
      {"sections in first-read order, a repeated header joins the first",
       "[XMLItem002]\nCategory=b\n[Settings]\nA=1\n[xmlitem002]\nExtra=e\n",
       "[XMLItem002]\r\nCategory=b\r\nExtra=e\r\n\r\n[Settings]\r\nA=1\r\n\r\n"},
      {"a line without = and lines before any section survive", "orphan=1\n[A]\nplain text\n",
       "orphan=1\r\n\r\n[A]\r\nplain text\r\n\r\n"},
      {"CR-only line ends", "[A]\rx=1\ry=2\r", "[A]\r\nx=1\r\ny=2\r\n\r\n"},
      {"bytes above 0x7F kept", "[A]\nname=Caf\xE9 \xA0\n", "[A]\r\nname=Caf\xE9 \xA0\r\n\r\n"},
      {"empty section kept", "[Empty]\n[A]\nx=1\n", "[Empty]\r\n\r\n[A]\r\nx=1\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TSettingsFile file;
    file.LoadText(c.Text);
    EXPECT_EQ(file.ToText(), c.Saved);
  }
}

struct ReadCase {
  const char* Name;
  std::string Value;     // of key "k" in section "S"; "<missing>" leaves the key out
  std::int32_t Integer;  // ReadInteger with default 77
  bool Boolean;          // ReadBool with default true
};

TEST(TSettingsFile, NumbersAndBooleans) {
  const std::vector<ReadCase> cases = {
      {"decimal", "21", 21, true},
      {"negative", "-5", -5, true},
      {"zero is false", "0", 0, false},
      {"two is true", "2", 2, true},
      {"dollar hex", "$1F", 31, true},
      {"0x hex", "0x10", 16, true},
      {"0X hex", "0XfF", 255, true},
      {"hex wraps like a bit pattern", "$FFFFFFFF", -1, true},
      {"hex too long", "$100000000", 77, true},
      {"word yes reads as the default", "yes", 77, true},
      {"true reads as the default", "true", 77, true},
      {"trailing garbage", "12a", 77, true},
      {"empty", "", 77, true},
      {"bare dollar", "$", 77, true},
      {"too large", "2147483648", 77, true},
      {"smallest", "-2147483648", -2147483647 - 1, true},
      {"missing", "<missing>", 77, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TSettingsFile file;
    file.LoadText(c.Value == "<missing>" ? "[S]\n" : "[S]\nK=" + c.Value + "\n");
    EXPECT_EQ(file.ReadInteger("s", "k", 77), c.Integer);
    EXPECT_EQ(file.ReadBool("S", "K", true), c.Boolean);
  }
  TSettingsFile file;
  file.LoadText("[S]\nk=yes\n");
  EXPECT_FALSE(file.ReadBool("S", "k", false)) << "a word reads as the default either way";
}

TEST(TSettingsFile, WritesReplaceInPlaceAppendAndEraseIgnoringCase) {
  TSettingsFile file;
  file.LoadText("[Settings]\nFTPPort=21\nFTPHost=old\n[XMLItem001]\nCategory=a\n");
  file.WriteInteger("SETTINGS", "ftpport", 2121);
  file.WriteString("settings", "NewKey", "v\r\n[Evil]");
  file.WriteBool("Other", "Flag", true);
  file.EraseSection("xmlitem001");
  file.DeleteKey("Settings", "FTPHOST");
  EXPECT_EQ(file.ToText(),
            "[Settings]\r\nFTPPort=2121\r\nNewKey=v  [Evil]\r\n\r\n[Other]\r\nFlag=1\r\n\r\n");
  EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"Settings", "Other"}));
  EXPECT_EQ(file.KeyNames("settings"), (std::vector<std::string>{"FTPPort", "NewKey"}));
  EXPECT_EQ(file.ReadString("Settings", "newkey", "d"), "v  [Evil]");
  EXPECT_EQ(file.ReadString("Nowhere", "k", "d"), "d");
  EXPECT_FALSE(file.SectionExists("XMLItem001"));
}

TEST(TSettingsFile, LoadFileMissingIsEmptyUnreadableIsAnError) {
  testing::TempFolder folder;
  TSettingsFile file;
  file.LoadText("[A]\nx=1\n");
  file.LoadFile(folder / "missing.ini");
  EXPECT_TRUE(file.Sections().empty());

  const std::string big = folder / "big.ini";
  testing::WriteBytes(big, "[A]\nx=" + std::string(100, 'y') + "\n");
  try {
    file.LoadFile(big, 64);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), big + ": file is larger than the limit of 64 bytes");
  }
}

}  // namespace
}  // namespace tavrel
