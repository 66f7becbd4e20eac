// Runs the real program (its main, its panel file, its callbacks) headless,
// in a fresh folder with fresh state, and lets a test act as the user.
#pragma once

#include "dialog_script.h"
#include "fake_ports.h"
#include "session.h"
#include "widgets_runtime.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>

namespace kovo::testing {

class ProgramTest : public ::testing::Test {
protected:
  ProgramTest();
  ~ProgramTest() override;

  // Runs main; `user` acts inside its event loop, after which the program is
  // told to quit if it has not been already. Returns main's result.
  int run_program(const std::function<void()>& user);
  // The same, but the user must end the program; the test fails if not.
  int run_program_until_quit(const std::function<void()>& user);

  // Lets the event loop run until the program is told to quit; false when
  // it is not within the deadline.
  bool told_to_quit_within(std::chrono::milliseconds deadline) const;

  QWidget* window() const;
  template <class Widget = QWidget>
  Widget* control(const char* name) const {
    auto* found = window()->findChild<Widget*>(QString::fromLatin1(name));
    if (!found) ADD_FAILURE() << "no control " << name;
    return found;
  }
  void click(const char* name) const;
  bool dimmed(int control) const;

  void write_settings_file(const std::string& content) const;
  std::string read_settings_file() const;
  std::string path_in_folder(const char* name) const;

  rt::Session session_;
  QTemporaryDir folder_;
  QString previous_folder_ = QDir::currentPath();
  FakePorts ports_;
  rt::testing::DialogScript dialogs_;
  rt::WidgetsRuntime runtime_;
};

} // namespace kovo::testing
