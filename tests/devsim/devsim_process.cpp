#include "devsim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "posix_fd.h"
#include "protocol.h"

extern char** environ;

namespace kovo::testsupport {

namespace {

using Clock = std::chrono::steady_clock;
using devsim::UniqueFd;

// Exit code reported for a process ended by signal N, as shells do.
constexpr int kSignalExitBase = 128;
// Digits after the decimal point in the log's time stamps.
constexpr std::size_t kLogFractionDigits = 6;

struct Pipe {
  UniqueFd readEnd;
  UniqueFd writeEnd;
};

Pipe makePipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) devsim::throwLastError("pipe2");
  return {UniqueFd(ends[0]), UniqueFd(ends[1])};
}

void closeIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::string makeTemporaryFolder() {
  std::string folder = (std::filesystem::temp_directory_path() / "kovo-devsim-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) devsim::throwLastError("mkdtemp");
  return folder;
}

pid_t spawn(const std::vector<std::string>& arguments, int stdinFd, int stdoutFd) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
  ::posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  // A signal mask blocked by the caller's thread must not keep SIGTERM from the simulator.
  sigset_t noSignals;
  ::sigemptyset(&noSignals);
  ::posix_spawnattr_init(&attributes);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  ::posix_spawnattr_setsigmask(&attributes, &noSignals);

  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::system_error(error, std::generic_category(), "starting " + arguments[0]);
  return pid;
}

// Waits until `fd` is readable or at end of file; false once the deadline has passed.
bool waitReadable(int fd, Clock::time_point deadline) {
  while (true) {
    const auto remaining = std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()),
                                    std::chrono::milliseconds::zero());
    pollfd request{fd, POLLIN, 0};
    const int ready = ::poll(&request, 1, static_cast<int>(remaining.count()));
    if (ready > 0) return true;
    if (ready == 0 && remaining.count() == 0) return false;
    if (ready < 0 && errno != EINTR) devsim::throwLastError("poll");
  }
}

// Reads one byte; nothing at end of file.
std::optional<char> readByte(int fd) {
  while (true) {
    char byte = 0;
    const ssize_t count = ::read(fd, &byte, 1);
    if (count == 1) return byte;
    if (count == 0) return std::nullopt;
    if (errno != EINTR) devsim::throwLastError("reading from kovo-devsim");
  }
}

std::string readFirstLine(int fd, Clock::time_point deadline) {
  std::string line;
  while (true) {
    if (!waitReadable(fd, deadline)) throw std::runtime_error("kovo-devsim did not report its port in time");
    const auto byte = readByte(fd);
    if (!byte) throw std::runtime_error("kovo-devsim exited before reporting its port");
    if (*byte == '\n') return line;
    line += *byte;
  }
}

std::chrono::microseconds parseTimeStamp(const std::string& text) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos || text.size() - point - 1 != kLogFractionDigits) {
    throw std::runtime_error("bad time stamp in log: " + text);
  }
  return std::chrono::seconds(std::stoll(text.substr(0, point))) +
         std::chrono::microseconds(std::stoll(text.substr(point + 1)));
}

LoggedFrame parseLogLine(const std::string& line) {
  std::istringstream fields(line);
  std::string timeStamp;
  fields >> timeStamp;
  LoggedFrame frame{parseTimeStamp(timeStamp), {}};
  unsigned byte = 0;
  while (fields >> std::hex >> byte) frame.bytes.push_back(static_cast<std::uint8_t>(byte));
  if (!fields.eof() || frame.bytes.empty()) throw std::runtime_error("bad log line: " + line);
  return frame;
}

} // namespace

DevsimProcess::DevsimProcess(const std::vector<std::string>& extraArguments, std::chrono::milliseconds startTimeout)
    : folder_(makeTemporaryFolder()), memoryPath_(folder_ + "/memory.bin"), logPath_(folder_ + "/frames.log") {
  try {
    std::vector<std::string> arguments{KOVO_DEVSIM_EXECUTABLE, "--memory-out", memoryPath_, "--log", logPath_,
                                       "--exit-on-stdin-eof"};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    Pipe input = makePipe();
    Pipe output = makePipe();
    pid_ = spawn(arguments, input.readEnd.get(), output.writeEnd.get());
    stdinFd_ = input.writeEnd.release();
    stdoutFd_ = output.readEnd.release();
    ptyPath_ = readFirstLine(stdoutFd_, Clock::now() + startTimeout);
  } catch (...) {
    shutDown();
    throw;
  }
}

DevsimProcess::~DevsimProcess() { shutDown(); }

void DevsimProcess::shutDown() noexcept {
  try {
    stop();
  } catch (...) {
    // Nothing more can be done about a simulator we cannot stop; the folder still goes.
  }
  closeIfOpen(stdinFd_);
  closeIfOpen(stdoutFd_);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::optional<int> DevsimProcess::stop(std::chrono::milliseconds timeout) {
  if (pid_ < 0) return exitCode_;
  ::kill(pid_, SIGTERM);
  if (const auto code = waitForExit(timeout)) return code;
  ::kill(pid_, SIGKILL);
  reap();
  return std::nullopt;
}

std::optional<int> DevsimProcess::waitForExit(std::chrono::milliseconds timeout) {
  if (pid_ < 0) return exitCode_;
  // The simulator holds the only write end of its output pipe: end of file there means it is gone.
  const auto deadline = Clock::now() + timeout;
  while (true) {
    if (!waitReadable(stdoutFd_, deadline)) return std::nullopt;
    if (!readByte(stdoutFd_)) break;
  }
  reap();
  return exitCode_;
}

void DevsimProcess::reap() {
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) devsim::throwLastError("waitpid");
  }
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : kSignalExitBase + WTERMSIG(status);
  pid_ = -1;
}

void DevsimProcess::closeInput() { closeIfOpen(stdinFd_); }

std::vector<std::uint8_t> DevsimProcess::readMemory() const {
  std::ifstream file(memoryPath_, std::ios::binary);
  if (!file) throw std::runtime_error("no memory file at " + memoryPath_);
  std::vector<std::uint8_t> memory{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (memory.size() != devsim::kMemorySize) {
    throw std::runtime_error("memory file has " + std::to_string(memory.size()) + " bytes");
  }
  return memory;
}

std::vector<LoggedFrame> DevsimProcess::finalLog() {
  stop();
  return readLog();
}

std::vector<LoggedFrame> DevsimProcess::readLog() const {
  std::ifstream file(logPath_);
  if (!file) throw std::runtime_error("no log file at " + logPath_);
  std::vector<LoggedFrame> frames;
  for (std::string line; std::getline(file, line);) frames.push_back(parseLogLine(line));
  return frames;
}

} // namespace kovo::testsupport
