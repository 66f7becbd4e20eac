#include "window_driver_client.h"

#include <stdexcept>
#include <thread>

namespace kovo::testsupport {
namespace {

// Each of the driver's own commands answers within its own wait; this is
// for a driver that no longer answers at all.
constexpr int kAnswerDeadlineMs = 120000; // longer than any wait the driver makes itself

std::string unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
  }
  return out;
}

} // namespace

WindowDriverClient::WindowDriverClient(const QString& wine, const QString& driver,
                                       const QProcessEnvironment& environment, const QString& folder) {
  driver_.setProcessEnvironment(environment);
  driver_.setWorkingDirectory(folder);
  driver_.setProcessChannelMode(QProcess::SeparateChannels);
  driver_.start(wine, {driver});
  if (!driver_.waitForStarted()) throw std::runtime_error("the window driver does not start: " + driver.toStdString());
}

WindowDriverClient::~WindowDriverClient() {
  driver_.closeWriteChannel(); // the driver ends at the end of its input
  if (!driver_.waitForFinished(10000)) driver_.kill();
  driver_.waitForFinished();
}

DriverAnswer WindowDriverClient::ask(const std::string& command) {
  driver_.write(QByteArray::fromStdString(command + "\n"));
  while (!pending_.contains('\n')) {
    if (!driver_.waitForReadyRead(kAnswerDeadlineMs)) {
      throw std::runtime_error("the window driver gave no answer to: " + command + " (" + state_of_driver() + ")");
    }
    pending_ += driver_.readAllStandardOutput();
  }
  const qsizetype end = pending_.indexOf('\n');
  std::string line = pending_.left(end).toStdString();
  pending_.remove(0, end + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back(); // Windows' text mode
  if (line == "ok") return {true, {}};
  if (line.rfind("ok ", 0) == 0) return {true, unescaped(line.substr(3))};
  if (line.rfind("error ", 0) == 0) return {false, line.substr(6)};
  throw std::runtime_error("the window driver answered '" + line + "' to: " + command);
}

// Why a driver gives no answer: it ended, and what Wine said.
std::string WindowDriverClient::state_of_driver() {
  if (driver_.state() != QProcess::NotRunning) return "still running";
  return "ended with status " + std::to_string(driver_.exitCode()) +
         ", saying: " + driver_.readAllStandardError().toStdString();
}

bool wait_until(const std::function<bool()>& done, std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

} // namespace kovo::testsupport
