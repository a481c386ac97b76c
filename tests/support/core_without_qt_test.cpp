// The core must stay free of Qt so that the headless service runs on a bare server. This test
// executable links against tavrel_core and GoogleTest alone, so a Qt dependency of the core
// breaks its build.
#include <gtest/gtest.h>

#include "support/error.h"

TEST(CoreWithoutQt, ErrorMessagesNameTheFileAndPosition) {
  EXPECT_STREQ(tavrel::FileError("a/b.ini", "cannot read").what(), "a/b.ini: cannot read");
  EXPECT_STREQ(tavrel::ParseError("feed.xml", 3, 14, "unexpected end").what(),
               "feed.xml:3:14: unexpected end");
}
