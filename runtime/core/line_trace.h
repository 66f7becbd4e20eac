// A record of what went over the serial lines, for a user whose update fails
// on real hardware to send along: one line per frame written and per read,
//   <microseconds since the trace began> <port> <attempt> sent|received <bytes in hex>
// and a read that timed out short ends with "(N of M bytes)".
#pragma once

#include "idle.h"
#include "native_files.h"

#include <span>
#include <string>
#include <vector>

namespace rt {

enum class TraceOpening {
  Open,
  CannotOpen,
  NotRegularFile, // a pipe, a device, a folder
  Guarded,        // one of the files the trace must never empty
};

class LineTrace {
public:
  // Opens path for the trace, or creates it, without waiting (a pipe), and
  // empties it only once it is known to be a regular file and none of
  // guarded, the same file however named (compared by the file itself, not
  // by its name): a trace named after the firmware file never empties it.
  // The paths are named as the system names files (bytes on POSIX, UTF-8
  // on Windows).
  LineTrace(const std::string& path, const std::vector<std::string>& guarded);
  ~LineTrace();
  LineTrace(const LineTrace&) = delete;
  LineTrace& operator=(const LineTrace&) = delete;

  TraceOpening opening() const { return opening_; }
  bool is_open() const { return opening_ == TraceOpening::Open; }
  // Which of guarded the path names, when opening() is Guarded.
  std::size_t guarded_index() const { return guarded_index_; }
  // False once a line could not be written whole (a full disk).
  bool complete() const { return complete_; }

  void sent(const std::string& port, int attempt, std::span<const unsigned char> bytes);
  void received(const std::string& port, int attempt, std::span<const unsigned char> bytes, int expected);

private:
  TraceOpening open(const std::string& path, const std::vector<std::string>& guarded);
  TraceOpening what_is_opened(native::TraceFile file, const std::vector<std::string>& guarded);
  void write(const std::string& port, int attempt, const char* direction, std::span<const unsigned char> bytes,
             const std::string& tail);

  native::TraceFile file_;
  std::size_t guarded_index_ = 0;
  TraceOpening opening_;
  bool complete_ = true;
  Clock::time_point start_;
};

} // namespace rt
