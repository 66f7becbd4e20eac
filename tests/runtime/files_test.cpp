// The system's plain file names go to the folder a front end chose, while the
// process's current folder stays where it was.
#include "files.h"
#include "session.h"
#include "utility.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

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
  rt::set_file_folder(chosen.path());
  ASSERT_EQ(ReplaceTextFile("settings.dat", "3\n", 2), 0);
  const QString absolute = elsewhere.filePath(QStringLiteral("other.dat"));
  ASSERT_EQ(ReplaceTextFile(absolute.toUtf8().constData(), "4\n", 2), 0);
  std::FILE* relative = OpenFile("settings.dat", "r");

  EXPECT_TRUE(QFile::exists(chosen.filePath(QStringLiteral("settings.dat"))));
  EXPECT_TRUE(QFile::exists(absolute));
  ASSERT_NE(relative, nullptr);
  EXPECT_EQ(content_of(relative), "3\n");
  EXPECT_EQ(QDir::currentPath(), current);
  EXPECT_FALSE(QFile::exists(QDir(current).filePath(QStringLiteral("settings.dat"))));
}

} // namespace
