// The FTP client's pure rules: folder comparison and the user ID check.

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

}  // namespace
}  // namespace tavrel
