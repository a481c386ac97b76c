// The FTP client's pure rules: folder comparison, the user ID check and the settings frame's
// validation.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "transfer/ftp_client.h"
#include "transfer/ftp_validation.h"
#include "transfer/transfer_failure_words.h"

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

// The frame's edit of each field, to change one in a test case.
std::string& EditOf(TFtpFrameTexts& texts, TFtpField field) {
  std::string* edits[] = {nullptr,         &texts.Name, &texts.Host,  &texts.UserId,
                          &texts.Password, &texts.Port, &texts.Proxi, &texts.CAFile};
  return *edits[static_cast<int>(field)];
}

TEST(ValidateFtpFrameTest, StopsAtTheFirstFailureWithItsMessageAndEdit) {
  using F = TFtpField;
  const std::string port = "Wrong FTP Port number, must be between 1 and 65535";
  const std::string userId =
      "The FTP UserID may not contain any of the following characters or spaces:\r"
      "/ \\ : * ? \" > < | ";
  const std::string caFile = (std::filesystem::temp_directory_path() / "ftp-rules-ca.pem").string();
  std::ofstream(caFile) << "pem";
  struct Case {
    std::vector<std::pair<F, std::string>> Edits;  // changed from a frame filled in well
    bool UseProxi;
    std::string Message;  // empty: valid
    F Field;
  };
  const std::vector<Case> cases = {
      {{}, false, "", F::None},
      {{{F::Name, ""}}, false, "Name niet ingevuld.", F::Name},
      {{{F::Name, " "}, {F::Host, ""}}, false, "Name niet ingevuld.", F::Name},
      {{{F::Host, "\t"}}, false, "FTP Host niet ingevuld.", F::Host},
      {{{F::UserId, "   "}}, false, "FTP User ID niet ingevuld.", F::UserId},  // not forbidden
      {{{F::Password, ""}}, false, "FTP Password niet ingevuld.", F::Password},
      {{{F::Port, ""}}, false, "FTP Port niet ingevuld.", F::Port},
      {{{F::Proxi, ""}}, false, "", F::None},
      {{{F::Proxi, ""}}, true, "Proxi niet ingevuld.", F::Proxi},
      {{{F::Proxi, "proxy:8080"}}, true, "", F::None},
      {{{F::Proxi, ""}, {F::Port, "x"}}, true, "Proxi niet ingevuld.", F::Proxi},
      {{{F::Port, "0"}}, false, port, F::Port},
      {{{F::Port, "1"}}, false, "", F::None},
      {{{F::Port, "65535"}}, false, "", F::None},
      {{{F::Port, "65536"}}, false, port, F::Port},
      {{{F::Port, "-21"}}, false, port, F::Port},
      {{{F::Port, "21a"}}, false, port, F::Port},
      {{{F::Port, "$15"}}, false, port, F::Port},
      {{{F::Port, " 2121 "}}, false, "", F::None},
      {{{F::Port, "99999"}, {F::UserId, "a/b"}}, false, port, F::Port},
      {{{F::UserId, "tav rel"}}, false, userId, F::UserId},
      // "Use TLS" is ticked in every case: an empty CA file means the system's store.
      {{{F::CAFile, caFile}}, false, "", F::None},
      {{{F::CAFile, caFile + ".gone"}}, false, "File not found.", F::CAFile},
      {{{F::CAFile, caFile + ".gone"}, {F::UserId, "a/b"}}, false, userId, F::UserId},
  };
  for (const auto& c : cases) {
    TFtpFrameTexts texts = {"Studio", "127.0.0.1", "tavrel", "secret", "21",
                            false,    c.UseProxi,  "",       true,     ""};
    std::string trace = c.UseProxi ? "proxy used;" : "";
    for (const auto& [field, text] : c.Edits) {
      EditOf(texts, field) = text;
      trace += " " + std::string(FtpFieldLabel(field)) + "=\"" + text + "\"";
    }
    SCOPED_TRACE(trace);
    const TFtpCheck check = ValidateFtpFrame(texts);
    EXPECT_EQ(check.Ok, c.Message.empty());
    EXPECT_EQ(check.Message, c.Message);
    EXPECT_EQ(check.Field, c.Field);
  }

  std::filesystem::remove(caFile);

  // The required-field checks leave their edits trimmed, so saving keeps the typed port.
  TFtpFrameTexts texts = {" Studio ", "\thost", "tavrel ", " pw", "2121 ",
                          true,       true,     " proxy ", false, ""};
  ASSERT_TRUE(ValidateFtpFrame(texts).Ok);
  EXPECT_EQ(texts.Name + texts.Host + texts.UserId + texts.Password + texts.Proxi,
            "Studiohosttavrelpwproxy");
  EXPECT_EQ(FtpFrameRecord(texts, {}).FTPPort, 2121);
}

TEST(FtpFrameRecordTest, ReadsTheEditsAsTheFrameDoes) {
  // The Test button reads the edits without trimming the port first.
  const std::vector<std::pair<std::string, std::int32_t>> ports = {
      {"2121", 2121}, {"2121 ", 21}, {" 2121", 21}, {"", 21},
      {"ftp", 21},    {"0x15", 21},  {"+990", 990}, {"70000", 70000},
  };
  TMediaServer base;
  base.Reserved3 = "kept";
  for (const auto& [port, expected] : ports) {
    SCOPED_TRACE("port \"" + port + "\"");
    const TFtpFrameTexts texts = {" Studio ", " host ", " user ",       " pass ", port,
                                  true,       true,     " proxy:8080 ", false,    ""};
    const TMediaServer server = FtpFrameRecord(texts, base);
    EXPECT_EQ(server.FTPPort, expected);
    EXPECT_EQ(server.ServerName + server.FTPHost + server.FTPUser + server.FTPPassword,
              "Studiohostuserpass");
    EXPECT_TRUE(server.FTPPassive && server.FTPUseProxi);
    EXPECT_EQ(server.FTPProxi, " proxy:8080 ") << "the proxy is taken as typed";
    EXPECT_EQ(server.Reserved3, "kept");
    EXPECT_EQ(FtpFrameRecord(FtpFrameTexts(server), server).FTPPort, expected);
  }
}

// Failures read by an operator: what happened, in plain words, and when it matters at what
// point of the transfer; the library's text follows for whoever looks deeper.
TEST(TransferFailureText, PutsTheOperatorsWordsBeforeTheTechnicalDetail) {
  struct Case {
    int Code;
    TTransferStage Stage;
    std::string Technical;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {CURLE_RECV_ERROR, TTransferStage::Upload, "response reading failed (errno: 115)",
       "the server closed the connection during the upload (response reading failed (errno: "
       "115))"},
      {CURLE_RECV_ERROR, TTransferStage::Login, "Recv failure: Connection reset by peer",
       "the server closed the connection during the login (Recv failure: Connection reset by "
       "peer)"},
      {CURLE_SEND_ERROR, TTransferStage::FeedDownload, "Send failure: Broken pipe",
       "the connection to the server broke while fetching the feed (Send failure: Broken pipe)"},
      // Failures that can only happen at one point do not say when.
      {CURLE_COULDNT_CONNECT, TTransferStage::Upload, "Failed to connect to 10.0.0.1 port 21",
       "the server could not be reached (Failed to connect to 10.0.0.1 port 21)"},
      {CURLE_LOGIN_DENIED, TTransferStage::Login, "",
       "the server refused the user name or password"},
      {CURLE_FTP_ACCEPT_TIMEOUT, TTransferStage::Upload, "Accept timeout occurred",
       "the server did not open the data connection in time (try passive mode) (Accept timeout "
       "occurred)"},
      // A refused certificate says why, read from the TLS library's text.
      {CURLE_PEER_FAILED_VERIFICATION, TTransferStage::Login,
       "SSL certificate problem: certificate has expired",
       "the server's certificate was not accepted: it has expired (SSL certificate problem: "
       "certificate has expired)"},
      {CURLE_PEER_FAILED_VERIFICATION, TTransferStage::Login, "unknown verify failure",
       "the server's certificate was not accepted (unknown verify failure)"},
      // A code without words of its own keeps the library's text.
      {CURLE_UNSUPPORTED_PROTOCOL, TTransferStage::FeedDownload, "Protocol \"file\" not supported",
       "Protocol \"file\" not supported"},
      {CURLE_UNSUPPORTED_PROTOCOL, TTransferStage::FeedDownload, "",
       curl_easy_strerror(CURLE_UNSUPPORTED_PROTOCOL)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Code) + " " + c.Technical);
    EXPECT_EQ(TransferFailureText(c.Code, c.Stage, c.Technical), c.Expected);
  }
}

}  // namespace
}  // namespace tavrel
