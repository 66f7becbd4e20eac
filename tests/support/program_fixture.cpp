#include "program_fixture.h"

#include "glob.h"
#include "main.h"
#include "userint.h"

#include <QAbstractButton>
#include <QTimer>
#include <QtTest/QTest>
#include <fstream>
#include <sstream>

namespace kovo::testing {

ProgramTest::ProgramTest() {
  reset_globals();
  QDir::setCurrent(folder_.path());
}

ProgramTest::~ProgramTest() { QDir::setCurrent(previous_folder_); }

int ProgramTest::run_program(const std::function<void()>& user) {
  QTimer::singleShot(0, [&user] {
    user();
    QuitUserInterface(0);
  });
  return kovo::main(0, nullptr);
}

int ProgramTest::run_program_until_quit(const std::function<void()>& user) {
  return run_program([&] {
    user();
    EXPECT_TRUE(runtime_.quit_requested()) << "the program was not told to quit";
  });
}

bool ProgramTest::told_to_quit_within(std::chrono::milliseconds deadline) const {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!runtime_.quit_requested() && std::chrono::steady_clock::now() < end) QTest::qWait(10);
  return runtime_.quit_requested();
}

QWidget* ProgramTest::window() const { return runtime_.panel_window(MAIN_P); }

void ProgramTest::click(const char* name) const { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }

bool ProgramTest::dimmed(int control) const {
  int value = -1;
  EXPECT_EQ(GetCtrlAttribute(MAIN_P, control, ATTR_DIMMED, &value), 0);
  return value == 1;
}

void ProgramTest::write_settings_file(const std::string& content) const {
  std::ofstream(path_in_folder("ini_pckovorecv.dat"), std::ios::binary) << content;
}

std::string ProgramTest::read_settings_file() const {
  std::ifstream file(path_in_folder("ini_pckovorecv.dat"), std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string ProgramTest::path_in_folder(const char* name) const {
  return QDir(folder_.path()).filePath(QString::fromLatin1(name)).toStdString();
}

} // namespace kovo::testing
