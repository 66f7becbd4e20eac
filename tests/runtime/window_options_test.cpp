#include "window_options.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace {

TEST(WindowOptions, AreFoundAmongOtherArgumentsAndEverythingElseIsIgnored) {
  const char* arguments[] = {"kovoflash", "-style", "Fusion", "--user-config", "file.frm"};
  const rt::WindowOptions options = rt::window_options(5, arguments);
  EXPECT_TRUE(options.user_config);
  EXPECT_FALSE(options.version);
  EXPECT_FALSE(options.help);
}

TEST(WindowOptions, NoneGivenMeansTheCurrentFolderAndAWindow) {
  const char* arguments[] = {"kovoflash", "--user-configuration", "--versions", "--helps"};
  const rt::WindowOptions options = rt::window_options(4, arguments);
  EXPECT_FALSE(options.user_config);
  EXPECT_FALSE(options.version);
  EXPECT_FALSE(options.help);
}

// The real program with no display to open a window on: had it started Qt,
// it would end with an error instead.
TEST(WindowProgram, HelpAndVersionPrintAndEndWithoutADisplay) {
  struct Case {
    const char* option;
    QString expected_output;
  };
  const Case cases[] = {
      {"--help", QString::fromLatin1(rt::kWindowUsage)},
      {"--version", QStringLiteral("kovoflash " KOVO_PROJECT_VERSION "\n")},
  };
  QProcessEnvironment no_display = QProcessEnvironment::systemEnvironment();
  no_display.remove(QStringLiteral("DISPLAY"));
  no_display.remove(QStringLiteral("WAYLAND_DISPLAY"));
  no_display.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  for (const Case& tried : cases) {
    SCOPED_TRACE(tried.option);
    QProcess program;
    program.setProcessEnvironment(no_display);
    program.start(QStringLiteral(KOVOFLASH_WINDOW), {QString::fromLatin1(tried.option)});
    ASSERT_TRUE(program.waitForFinished(30000)) << "the program did not end";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()), tried.expected_output);
  }
  EXPECT_TRUE(QString::fromLatin1(rt::kWindowUsage).contains(QStringLiteral("--user-config")));
}

} // namespace
