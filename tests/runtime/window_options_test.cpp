#include "window_options.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowOptions, AreFoundAmongOtherArgumentsAndEverythingElseIsIgnored) {
  const char* arguments[] = {"kovoflash", "-style", "Fusion", "--user-config", "file.frm"};
  const rt::WindowOptions options = rt::window_options(5, arguments);
  EXPECT_TRUE(options.user_config);
  EXPECT_FALSE(options.version);
}

TEST(WindowOptions, NoneGivenMeansTheCurrentFolderAndAWindow) {
  const char* arguments[] = {"kovoflash", "--user-configuration", "--versions"};
  const rt::WindowOptions options = rt::window_options(3, arguments);
  EXPECT_FALSE(options.user_config);
  EXPECT_FALSE(options.version);
}

TEST(WindowOptions, VersionIsFound) {
  const char* arguments[] = {"kovoflash", "--version"};
  EXPECT_TRUE(rt::window_options(2, arguments).version);
}

} // namespace
