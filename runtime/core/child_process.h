// Copies of the program that each do a part of its work, how a stop request
// reaches them, and the file they all read.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rt {

// How a copy ended.
struct ChildEnd {
  bool started = true;    // false: it never ran
  bool by_signal = false; // killed (on Windows: ended by an exception or as Ctrl-C ends a process), not exited
  int code = 0;           // what it exited with
};

// A copy of this program, started with the arguments given, that answers to
// this program alone. It is deaf to the terminal's Ctrl-C: only this program
// passes a stop request on, exactly once, since a second one would end it at
// once (signal_handling.h). And it stops when this program is gone, however
// that ended, so that no copy goes on with no one to report to: on POSIX as
// on Ctrl-C; on Windows it is ended outright. Its standard output is read
// here; its standard error goes nowhere.
class ChildProcess {
public:
  explicit ChildProcess(const std::vector<std::string>& arguments);
  // A copy still running is ended and waited for.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // What it wrote since the last call; never waits.
  std::string read_output();
  // Asks the running copy to stop as Ctrl-C would; only the first call does.
  // On Windows the console already delivered Ctrl-C to every process attached to it.
  void pass_stop_request();
  // Once it ended and its output was read to the end.
  std::optional<ChildEnd> end();

private:
  friend void wait_for_any(const std::vector<ChildProcess*>& children, std::chrono::milliseconds timeout);

  struct State; // the system's handles
  std::unique_ptr<State> state_;
};

// Waits until one of the copies has output or has ended, at most timeout.
void wait_for_any(const std::vector<ChildProcess*>& children, std::chrono::milliseconds timeout);

// A file's content, held unchanged for the copies this program starts to
// read, and nothing left behind when the last process that holds it ends,
// whatever ends it. On Linux a sealed copy in memory, in no folder; on
// Windows the file itself, opened so that no one can change, move or delete
// it while it is held.
class SharedFileCopy {
public:
#if defined(__linux__) || defined(_WIN32)
  static constexpr bool possible = true;
#else
  static constexpr bool possible = false; // no file can be held unchanged here yet
#endif

  // Nothing when file cannot be read or held, holds more than most_bytes (it
  // may grow while it is read) or no copy can be made.
  static std::optional<SharedFileCopy> of(const std::string& file, long long most_bytes);
  SharedFileCopy(SharedFileCopy&& other) noexcept
      : held_(std::exchange(other.held_, -1)), path_(std::move(other.path_)) {}
  SharedFileCopy& operator=(SharedFileCopy&&) = delete;
  SharedFileCopy(const SharedFileCopy&) = delete;
  ~SharedFileCopy();

  // Where this program and the copies it starts open it, as the system names files.
  const std::string& path() const { return path_; }

private:
  SharedFileCopy(std::intptr_t held, std::string path) : held_(held), path_(std::move(path)) {}
  std::intptr_t held_; // the descriptor or handle; -1: none
  std::string path_;
};

} // namespace rt
