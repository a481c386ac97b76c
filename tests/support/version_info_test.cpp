#include "support/version_info.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(VersionInfo, SplitsAtTheSecondDot) {
  struct Case {
    const char* Text;
    const char* Version;
    const char* Build;
  };
  const Case cases[] = {
      {"1.2.4.1", "1.2", "4.1"},
      {"1.2", "", "1.2"},
      {"7", "", "7"},
      {"1..", "1.", ""},
      {"", "", "Value Not Available"},  // no version: the text has no dot
      {"Value Not Available", "", "Value Not Available"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    const TVersionInfo info{std::string(c.Text)};
    EXPECT_EQ(info.VersionNumber(), c.Version);
    EXPECT_EQ(info.BuildNumber(), c.Build);
  }
  EXPECT_EQ(AboutVersionLine(TVersionInfo("1.2.4.1"), "10-12-26"),
            "Version 1.2 build 4.1   10-12-26");
}

TEST(VersionInfo, TheBuildStampsAFourPartVersion) {
  const std::string version = TVersionInfo().FileVersion();
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3) << version;
  EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos) << version;
}

}  // namespace
}  // namespace tavrel
