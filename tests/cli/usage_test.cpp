// The command line itself: bad usage, help, version, the default language;
// none of them touches a port or writes settings.
#include "cli_fixture.h"

#include <QFile>
#include <QRegularExpression>

namespace kovo::cli_testing {
namespace {

struct UsageCase {
  const char* name;
  QStringList arguments;
  const char* reason;
};

class UsageTest : public CliTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageTest, IsRefusedWithAHint) {
  const UsageCase& usage = GetParam();
  const CliRun result = run(usage.arguments);
  EXPECT_EQ(result.exit_code, kExitUsage);
  EXPECT_TRUE(result.err.contains(QString::fromUtf8(usage.reason))) << result.err.toStdString();
  EXPECT_TRUE(result.err.contains(QStringLiteral("Try 'kovoflash-cli --help'."))) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_FALSE(QFile::exists(settings_file()));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, UsageTest,
    ::testing::Values(UsageCase{"no_file", {}, "give one firmware file"},
                      UsageCase{"two_files", {"a.frm", "b.frm"}, "give one firmware file"},
                      UsageCase{"unknown_option", {"--frobnicate", "a.frm"}, "frobnicate"},
                      UsageCase{"language_not_offered", {"--lang", "fr", "a.frm"}, "--lang takes de or en"},
                      UsageCase{"port_without_name", {"a.frm", "--port"}, "--port needs a value"},
                      UsageCase{"value_to_a_switch", {"--json=yes", "a.frm"}, "--json takes no value"},
                      UsageCase{
                          "port_list_with_file", {"--list-ports", "a.frm"}, "--list-ports takes no other argument"}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

struct LocaleCase {
  const char* name;
  const char* locale;
  const char* complaint;
};

class DefaultLanguageTest : public CliTest, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(DefaultLanguageTest, FollowsTheLocale) {
  QProcessEnvironment environment = this->environment();
  environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(GetParam().locale));
  const CliRun result = run({QStringLiteral("missing.frm")}, environment);
  EXPECT_EQ(result.exit_code, kExitFile);
  EXPECT_EQ(result.err, QString::fromUtf8(GetParam().complaint));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, DefaultLanguageTest,
    ::testing::Values(LocaleCase{"german", "de_DE.UTF-8", "Die Firmwaredatei missing.frm ist nicht lesbar.\n"},
                      LocaleCase{"english", "en_GB.UTF-8", "The firmware file missing.frm cannot be read.\n"},
                      LocaleCase{"plain", "C", "The firmware file missing.frm cannot be read.\n"}),
    [](const ::testing::TestParamInfo<LocaleCase>& info) { return std::string(info.param.name); });

// Help and refusals speak --lang's language, wherever it stands, else the locale's.
struct LanguageCase {
  const char* name;
  const char* locale;
  QStringList arguments;
  int exit_code;
  const char* shown; // at the start of standard output, or all of standard error on a refusal
};

class CommandLineLanguageTest : public CliTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(CommandLineLanguageTest, FollowsTheLanguage) {
  const LanguageCase& language = GetParam();
  QProcessEnvironment environment = this->environment();
  environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(language.locale));
  const CliRun result = run(language.arguments, environment);
  EXPECT_EQ(result.exit_code, language.exit_code);
  if (language.exit_code == kExitSuccess)
    EXPECT_TRUE(result.out.startsWith(QString::fromUtf8(language.shown))) << result.out.toStdString();
  else
    EXPECT_EQ(result.err.toStdString(), language.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CommandLineLanguageTest,
    ::testing::Values(
        LanguageCase{"help_lang_de", "C", {"--help", "--lang", "de"}, kExitSuccess, "Aufruf: kovoflash-cli"},
        LanguageCase{"help_german_locale", "de_DE.UTF-8", {"--help"}, kExitSuccess, "Aufruf: kovoflash-cli"},
        LanguageCase{"help_lang_en_german_locale",
                     "de_DE.UTF-8",
                     {"--lang", "en", "--help"},
                     kExitSuccess,
                     "Usage: kovoflash-cli"},
        LanguageCase{"refusal_german_locale",
                     "de_DE.UTF-8",
                     {"a.frm", "b.frm"},
                     kExitUsage,
                     "kovoflash-cli: eine Firmwaredatei angeben\nMehr mit 'kovoflash-cli --help'.\n"},
        LanguageCase{"refusal_lang_de_after_it",
                     "C",
                     {"--frobnicate", "a.frm", "--lang", "de"},
                     kExitUsage,
                     "kovoflash-cli: unbekannte Option: --frobnicate\nMehr mit 'kovoflash-cli --help'.\n"},
        LanguageCase{"refusal_lang_en_german_locale",
                     "de_DE.UTF-8",
                     {"--lang", "en"},
                     kExitUsage,
                     "kovoflash-cli: give one firmware file\nTry 'kovoflash-cli --help'.\n"}),
    [](const ::testing::TestParamInfo<LanguageCase>& info) { return std::string(info.param.name); });

class TimeScaleTest : public CliTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TimeScaleTest, OutsideItsRangeIsRefused) {
  QProcessEnvironment environment = this->environment();
  environment.insert(QStringLiteral("KOVOFLASH_TIME_SCALE"), QString::fromLatin1(GetParam()));
  const CliRun result = run({QStringLiteral("missing.frm")}, environment);
  EXPECT_EQ(result.exit_code, kExitUsage);
  EXPECT_TRUE(result.err.contains(QStringLiteral("KOVOFLASH_TIME_SCALE takes a number from 0.01 to 100")))
      << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cli, TimeScaleTest, ::testing::Values("1e300", "1e-9", "fast"));

TEST_F(CliTest, HelpDocumentsEveryExitStatus) {
  const CliRun result = run({QStringLiteral("--help")});
  EXPECT_EQ(result.exit_code, kExitSuccess);
  for (int status : {0, 1, kExitUsage, kExitPort, kExitNoDevice, kExitUnsupported, kExitFile, kExitProgramming}) {
    const QRegularExpression line(QStringLiteral("\n  %1  \\S").arg(status));
    EXPECT_TRUE(line.match(result.out).hasMatch()) << "exit status " << status;
  }
  EXPECT_FALSE(QFile::exists(settings_file()));
}

struct VersionCase {
  const char* name;
  const char* executable;
};

class VersionTest : public ::testing::TestWithParam<VersionCase> {};

// The package's whole version (MAJOR.MINOR.PATCH), as the build names it.
TEST_P(VersionTest, IsTheProjectsWholeVersion) {
  QProcess process;
  process.start(QString::fromUtf8(GetParam().executable), {QStringLiteral("--version")});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), kExitSuccess) << process.readAllStandardError().toStdString();
  EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
            QStringLiteral("%1 " KOVO_PROJECT_VERSION "\n").arg(QString::fromUtf8(GetParam().name)));
}

INSTANTIATE_TEST_SUITE_P(Cli, VersionTest,
                         ::testing::Values(VersionCase{"kovoflash-cli", KOVOFLASH_CLI},
                                           VersionCase{"kovo-devsim", KOVO_DEVSIM}),
                         [](const ::testing::TestParamInfo<VersionCase>& info) {
                           return info.index == 0 ? std::string("CommandLine") : std::string("SimulatedDevice");
                         });

} // namespace
} // namespace kovo::cli_testing
