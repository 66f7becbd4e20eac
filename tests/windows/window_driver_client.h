// The test's side of window_driver.exe: runs it under Wine beside the
// program and hands it one command at a time (see window_driver.cpp).
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <chrono>
#include <functional>
#include <string>

namespace kovo::testsupport {

struct DriverAnswer {
  bool ok = false;
  std::string value; // UTF-8, line ends and tabs as the control holds them; on an error, why
};

class WindowDriverClient {
public:
  // The driver runs in folder, and so does the program it starts.
  WindowDriverClient(const QString& wine, const QString& driver, const QProcessEnvironment& environment,
                     const QString& folder);
  ~WindowDriverClient();
  WindowDriverClient(const WindowDriverClient&) = delete;
  WindowDriverClient& operator=(const WindowDriverClient&) = delete;

  DriverAnswer ask(const std::string& command);

private:
  std::string state_of_driver();

  QProcess driver_;
  QByteArray pending_;
};

// Asks until done says so, or the deadline passes; false then.
bool wait_until(const std::function<bool()>& done, std::chrono::seconds deadline);

} // namespace kovo::testsupport
