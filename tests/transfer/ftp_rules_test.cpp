// The FTP client's pure rules: folder comparison, the user ID check and the settings frame's
// validation.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/ftp_client.h"
#include "transfer/ftp_validation.h"

namespace tavrel {
namespace {

TEST(SameDirTest, ComparesFoldersUpToSeparatorsBlanksAndCase) {
  struct Case {
    const char* name;
    std::string a;
    std::string b;
    bool same;
  };
  const Case cases[] = {
      {"identical", "Varnex\\Transfer\\", "Varnex\\Transfer\\", true},
      {"kind of slash", "/Varnex/Transfer/tavrel", "Varnex\\Transfer\\tavrel\\", true},
      {"letter case", "VARNEX\\transfer", "varnex\\TRANSFER", true},
      {"leading, trailing and doubled separators", "//Varnex//Transfer//", "Varnex\\Transfer",
       true},
      {"root and empty", "/", "", true},
      {"root as backslash", "\\", "/", true},
      {"blanks around the path", "  /Varnex/ \t", "Varnex", true},
      {"blanks between separators", "/ /Varnex", "Varnex", true},
      {"names run together", "Varnex\\Transfer", "VarnexTransfer", true},
      {"inner blank kept", "Var nex", "Varnex", false},
      {"different folder", "Varnex\\Transfer\\a", "Varnex\\Transfer\\b", false},
      {"relative below the login folder", "Transfer\\tavrel", "/Varnex/Transfer/tavrel", false},
      {"accented letters in other case", "\xC9t\xE9", "\xE9T\xC9", true},
      {"accented letter against plain", "\xE9", "e", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TPFTP::SameDir(c.a, c.b), c.same);
    EXPECT_EQ(TPFTP::SameDir(c.b, c.a), c.same);
  }
}

TEST(ValidateFtpUserIdTest, RejectsForbiddenCharactersWithTheExactMessage) {
  const std::string message =
      "The FTP UserID may not contain any of the following characters or spaces:\r"
      "/ \\ : * ? \" > < | ";
  struct Case {
    std::string userId;
    bool valid;
  };
  const Case cases[] = {
      {"tavrel", true},        {"", true},         {"  tavrel  ", true}, {"\ttavrel\r\n", true},
      {"user.name-1_x", true}, {"ta vrel", false}, {"a/b", false},       {"a\\b", false},
      {"a:b", false},          {"a*b", false},     {"a?b", false},       {"a\"b", false},
      {"a>b", false},          {"a<b", false},     {"a|b", false},       {"user,proxy", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("user ID \"" + c.userId + "\"");
    std::vector<std::string> shown;
    EXPECT_EQ(ValidateFtpUserId(c.userId, [&](const std::string& text) { shown.push_back(text); }),
              c.valid);
    EXPECT_EQ(shown, c.valid ? std::vector<std::string>{} : std::vector<std::string>{message});
  }
}

TEST(ValidateFtpFrameTest, StopsAtTheFirstFailureWithItsMessageAndEdit) {
  const TFtpFrameTexts filled = {"Studio", "127.0.0.1", "tavrel", "secret", "21", false, false, ""};
  const std::string userIdMessage =
      "The FTP UserID may not contain any of the following characters or spaces:\r"
      "/ \\ : * ? \" > < | ";
  const std::string portMessage = "Wrong FTP Port number, must be between 1 and 65535";
  struct Case {
    const char* Name;
    void (*Change)(TFtpFrameTexts&);
    std::string Message;  // empty: valid
    TFtpField Field;
  };
  const std::vector<Case> cases = {
      {"all filled in", [](TFtpFrameTexts&) {}, "", TFtpField::None},
      {"no name", [](TFtpFrameTexts& t) { t.Name = ""; }, "Name niet ingevuld.", TFtpField::Name},
      {"no name before no host",
       [](TFtpFrameTexts& t) {
         t.Name = " ";
         t.Host = "";
       },
       "Name niet ingevuld.", TFtpField::Name},
      {"no host", [](TFtpFrameTexts& t) { t.Host = "\t"; }, "FTP Host niet ingevuld.",
       TFtpField::Host},
      {"user ID of spaces fails as empty, not as forbidden",
       [](TFtpFrameTexts& t) { t.UserId = "   "; }, "FTP User ID niet ingevuld.",
       TFtpField::UserId},
      {"no password", [](TFtpFrameTexts& t) { t.Password = ""; }, "FTP Password niet ingevuld.",
       TFtpField::Password},
      {"no port", [](TFtpFrameTexts& t) { t.Port = ""; }, "FTP Port niet ingevuld.",
       TFtpField::Port},
      {"proxy not checked unless used", [](TFtpFrameTexts& t) { t.Proxi = ""; }, "",
       TFtpField::None},
      {"no proxy while used", [](TFtpFrameTexts& t) { t.UseProxi = true; }, "Proxi niet ingevuld.",
       TFtpField::Proxi},
      {"proxy used and given",
       [](TFtpFrameTexts& t) {
         t.UseProxi = true;
         t.Proxi = "proxy:8080";
       },
       "", TFtpField::None},
      {"empty proxy before a bad port",
       [](TFtpFrameTexts& t) {
         t.UseProxi = true;
         t.Port = "x";
       },
       "Proxi niet ingevuld.", TFtpField::Proxi},
      {"port 0", [](TFtpFrameTexts& t) { t.Port = "0"; }, portMessage, TFtpField::Port},
      {"port 1", [](TFtpFrameTexts& t) { t.Port = "1"; }, "", TFtpField::None},
      {"port 65535", [](TFtpFrameTexts& t) { t.Port = "65535"; }, "", TFtpField::None},
      {"port 65536", [](TFtpFrameTexts& t) { t.Port = "65536"; }, portMessage, TFtpField::Port},
      {"negative port", [](TFtpFrameTexts& t) { t.Port = "-21"; }, portMessage, TFtpField::Port},
      {"port with letters", [](TFtpFrameTexts& t) { t.Port = "21a"; }, portMessage,
       TFtpField::Port},
      {"hexadecimal port", [](TFtpFrameTexts& t) { t.Port = "$15"; }, portMessage, TFtpField::Port},
      {"port framed by blanks is trimmed first", [](TFtpFrameTexts& t) { t.Port = " 2121 "; }, "",
       TFtpField::None},
      {"bad port before a bad user ID",
       [](TFtpFrameTexts& t) {
         t.Port = "99999";
         t.UserId = "a/b";
       },
       portMessage, TFtpField::Port},
      {"forbidden user ID", [](TFtpFrameTexts& t) { t.UserId = "tav rel"; }, userIdMessage,
       TFtpField::UserId},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFtpFrameTexts texts = filled;
    c.Change(texts);
    const TFtpCheck check = ValidateFtpFrame(texts);
    EXPECT_EQ(check.Ok, c.Message.empty());
    EXPECT_EQ(check.Message, c.Message);
    EXPECT_EQ(check.Field, c.Field);
  }

  // The required-field checks leave their edits trimmed, so saving keeps the typed port.
  TFtpFrameTexts texts = {" Studio ", "\t127.0.0.1", "tavrel ", " secret",
                          "2121 ",    true,          true,      " proxy "};
  ASSERT_TRUE(ValidateFtpFrame(texts).Ok);
  EXPECT_EQ(texts.Name, "Studio");
  EXPECT_EQ(texts.Host, "127.0.0.1");
  EXPECT_EQ(texts.UserId, "tavrel");
  EXPECT_EQ(texts.Password, "secret");
  EXPECT_EQ(texts.Port, "2121");
  EXPECT_EQ(texts.Proxi, "proxy");
  EXPECT_EQ(FtpFrameRecord(texts, {}).FTPPort, 2121);
}

TEST(FtpFrameRecordTest, ReadsTheEditsAsTheFrameDoes) {
  struct Case {
    const char* Name;
    std::string Port;
    std::int32_t Expected;
  };
  // The Test button reads the edits without trimming the port first.
  const std::vector<Case> cases = {
      {"decimal", "2121", 2121},      {"trailing blank", "2121 ", 21},
      {"leading blank", " 2121", 21}, {"empty", "", 21},
      {"letters", "ftp", 21},         {"hexadecimal", "0x15", 21},
      {"signed", "+990", 990},        {"out of range kept", "70000", 70000},
  };
  TMediaServer base;
  base.Reserved1 = 7;
  base.Reserved3 = "kept";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TFtpFrameTexts texts = {" Studio ", " host ", " user ", " pass ",
                                  c.Port,     true,     true,     " proxy:8080 "};
    const TMediaServer server = FtpFrameRecord(texts, base);
    EXPECT_EQ(FtpPortFromText(c.Port), c.Expected);
    EXPECT_EQ(server.FTPPort, c.Expected);
    EXPECT_EQ(server.ServerName, "Studio");
    EXPECT_EQ(server.FTPHost, "host");
    EXPECT_EQ(server.FTPUser, "user");
    EXPECT_EQ(server.FTPPassword, "pass");
    EXPECT_TRUE(server.FTPPassive);
    EXPECT_TRUE(server.FTPUseProxi);
    EXPECT_EQ(server.FTPProxi, " proxy:8080 ") << "the proxy is taken as typed";
    EXPECT_EQ(server.Reserved1, 7);
    EXPECT_EQ(server.Reserved3, "kept");
  }

  // Shown and read back, a record does not change.
  TMediaServer server;
  server.ServerName = "Studio";
  server.FTPHost = "127.0.0.1";
  server.FTPUser = "tt1";
  server.FTPPassword = "s3cr=t";
  server.FTPPort = 2121;
  server.FTPPassive = true;
  server.FTPProxi = "proxy";
  const TMediaServer again = FtpFrameRecord(FtpFrameTexts(server), server);
  EXPECT_EQ(FtpFrameTexts(again).Port, "2121");
  EXPECT_EQ(again.FTPPort, 2121);
  EXPECT_EQ(again.ServerName, "Studio");
  EXPECT_EQ(again.FTPPassword, "s3cr=t");
  EXPECT_TRUE(again.FTPPassive);
  EXPECT_FALSE(again.FTPUseProxi);
  EXPECT_EQ(again.FTPProxi, "proxy");
}

}  // namespace
}  // namespace tavrel
