#pragma once

// Runs kovo-devsim for a test: a simulated receiver bootloader behind a pseudo-terminal.
//
//   kovo::testsupport::DevsimProcess device({"--wrong-check", "0A:1"});
//   open device.ptyPath() as the serial port, talk to it, then
//   device.stop();  device.readMemory();  device.readLog();
//
// The simulator always gets --memory-out and --log pointing into a private temporary folder
// (removed by the destructor) and --exit-on-stdin-eof, so it dies with the test process.
// Failures throw std::runtime_error.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kovo::testsupport {

// The options of a device that never answers an identification request.
inline const std::vector<std::string> kSilentDevice = {"--silent-ids", "1000"};

// One frame from the simulator's log.
struct LoggedFrame {
  std::chrono::microseconds sinceStart;
  std::vector<std::uint8_t> bytes;
};

class DevsimProcess {
public:
  // Starts the simulator with `extraArguments` (see kovo-devsim --help) and waits for its port.
  explicit DevsimProcess(const std::vector<std::string>& extraArguments = {},
                         std::chrono::milliseconds startTimeout = std::chrono::seconds(10));
  // Stops the simulator if still running and removes the temporary folder.
  ~DevsimProcess();
  DevsimProcess(const DevsimProcess&) = delete;
  DevsimProcess& operator=(const DevsimProcess&) = delete;

  // The port to open, e.g. /dev/pts/7.
  const std::string& ptyPath() const { return ptyPath_; }
  const std::string& memoryPath() const { return memoryPath_; }
  const std::string& logPath() const { return logPath_; }
  pid_t pid() const { return pid_; }

  // Sends SIGTERM and waits. Returns the exit code, or nothing if the simulator had to be killed.
  std::optional<int> stop(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Waits for the simulator to end by itself. Returns the exit code (128 + signal number if a
  // signal ended it), or nothing if it is still running at the deadline.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);
  // Closes the simulator's standard input, as if the test process had died.
  void closeInput();

  // The memory image: 65,536 bytes, written on the closing command and at exit.
  std::vector<std::uint8_t> readMemory() const;
  // Every frame the simulator has received so far, in order.
  std::vector<LoggedFrame> readLog() const;
  // Stops the simulator and reads the whole log: for a test that counts frames
  // once the program is done. What was sent before the stop is in it, however
  // late a busy machine let the simulator get to it.
  std::vector<LoggedFrame> finalLog();

private:
  void reap();
  void shutDown() noexcept;

  std::string folder_;
  std::string memoryPath_;
  std::string logPath_;
  std::string ptyPath_;
  pid_t pid_ = -1;
  int stdinFd_ = -1;
  int stdoutFd_ = -1;
  std::optional<int> exitCode_;
};

} // namespace kovo::testsupport
