// The system's plain file names go to the folder a front end chose, while the
// process's current folder stays where it was.
#include "files.h"
#include "session.h"
#include "utility.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

namespace {

std::string content_of(std::FILE* file) {
  std::string content;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) content.push_back(static_cast<char>(c));
  std::fclose(file);
  return content;
}

TEST(FileFolder, TakesRelativeNamesAndLeavesAbsoluteOnesAndTheCurrentFolder) {
  const rt::Session session;
  QTemporaryDir chosen;
  QTemporaryDir elsewhere;
  const QString current = QDir::currentPath();
  rt::set_file_folder(QFile::encodeName(chosen.path()).toStdString());
  ASSERT_EQ(ReplaceTextFile("settings.dat", "3\n", 2), 0);
  const QString absolute = elsewhere.filePath(QStringLiteral("other.dat"));
  ASSERT_EQ(ReplaceTextFile(absolute.toUtf8().constData(), "4\n", 2), 0);
  std::FILE* relative = OpenRegularFile("settings.dat", 100);

  EXPECT_TRUE(QFile::exists(chosen.filePath(QStringLiteral("settings.dat"))));
  EXPECT_TRUE(QFile::exists(absolute));
  ASSERT_NE(relative, nullptr);
  EXPECT_EQ(content_of(relative), "3\n");
  EXPECT_EQ(QDir::currentPath(), current);
  EXPECT_FALSE(QFile::exists(QDir(current).filePath(QStringLiteral("settings.dat"))));
}

#ifndef _WIN32
// A name is bytes on POSIX: one that is not UTF-8 opens that file, not the
// one whose name reads the same once decoded (U+FFFD for the byte).
TEST(FileFolder, OpensANameThatIsNotUtf8ByItsBytes) {
  const rt::Session session;
  QTemporaryDir chosen;
  const std::string folder = QFile::encodeName(chosen.path()).toStdString();
  rt::set_file_folder(folder);
  std::ofstream(folder + "/fw\xef\xbf\xbd.frm") << "look-alike";
  std::ofstream(folder + "/fw\xff.frm") << "named";

  std::FILE* relative = OpenRegularFile("fw\xff.frm", 100);
  std::FILE* absolute = OpenRegularFile((folder + "/fw\xff.frm").c_str(), 100);

  ASSERT_NE(relative, nullptr);
  EXPECT_EQ(content_of(relative), "named");
  ASSERT_NE(absolute, nullptr);
  EXPECT_EQ(content_of(absolute), "named");
}
#endif

// A variable set for one test and put back as it was afterwards.
class ScopedVariable {
public:
  ScopedVariable(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedVariable() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

struct ConfigHomeCase {
  const char* name;
  const char* xdg_config_home; // relative to the test's folder when it does not start with '/'
  const char* expected;        // below the test's home folder, or (absolute) below the test's folder
};

void PrintTo(const ConfigHomeCase& c, std::ostream* out) { *out << c.name; }

class UserSettingsFolder : public ::testing::TestWithParam<ConfigHomeCase> {};

// The XDG rule: a relative XDG_CONFIG_HOME is ignored, so the settings never
// land in whatever folder a run starts in.
TEST_P(UserSettingsFolder, FollowsOnlyAnAbsoluteXdgConfigHome) {
  const ConfigHomeCase& c = GetParam();
  QTemporaryDir home;
  QTemporaryDir current;
  const QString started_in = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(current.path()));
  const QByteArray config_home = c.xdg_config_home[0] == '/' ? QFile::encodeName(current.path()) + c.xdg_config_home
                                                             : QByteArray(c.xdg_config_home);
  const ScopedVariable home_variable("HOME", QFile::encodeName(home.path()));
  const ScopedVariable config_variable("XDG_CONFIG_HOME", config_home);
  const rt::Session session;

  const bool kept = rt::keep_files_in_user_settings_folder();
  const QString folder = QFile::decodeName(rt::user_settings_folder().c_str());
  QDir::setCurrent(started_in);

  EXPECT_TRUE(kept);
  const QString base = c.xdg_config_home[0] == '/' ? current.path() : home.path();
  EXPECT_EQ(folder, QDir(base).filePath(QString::fromLatin1(c.expected)));
  EXPECT_TRUE(QFileInfo(folder).isDir());
  if (c.xdg_config_home[0] != '/') {
    EXPECT_EQ(QDir(current.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, UserSettingsFolder,
                         ::testing::Values(ConfigHomeCase{"Absolute", "/settings", "settings/KovoFlash"},
                                           ConfigHomeCase{"Relative", "relative/config", ".config/KovoFlash"},
                                           ConfigHomeCase{"RelativeDot", ".", ".config/KovoFlash"},
                                           ConfigHomeCase{"Empty", "", ".config/KovoFlash"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
