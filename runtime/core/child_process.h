// Copies of the program that each do a part of its work, how a stop request
// reaches them, and the file they all read.
#pragma once

#include <QProcess>
#include <QString>
#include <cstdio>
#include <optional>

namespace rt {

// Makes the process, not yet started, a copy that answers to this program
// alone. It is deaf to the terminal's Ctrl-C: only this program passes a stop
// request on, exactly once, since a second one would end it at once
// (signal_handling.h). And it stops as on Ctrl-C when this program is gone,
// however that ended, so that no copy goes on with no one to report to.
void bind_to_this_program(QProcess& process);

// Asks the running process to stop as Ctrl-C would. On Windows the console
// already delivered Ctrl-C to every process attached to it.
void pass_stop_request(const QProcess& process);

// A file's content in memory, handed on to the copies this program starts:
// sealed against change, and in no folder, so nothing is left behind when the
// last process that holds it ends, whatever ends it.
class SharedFileCopy {
public:
#ifdef __linux__
  static constexpr bool possible = true;
#else
  static constexpr bool possible = false; // no file lives outside every folder here yet
#endif

  // Reads file to its end. Nothing when it cannot be read, holds more than
  // most_bytes (it may grow while it is read) or no copy can be made.
  static std::optional<SharedFileCopy> of(std::FILE* file, long long most_bytes);
  SharedFileCopy(SharedFileCopy&& other) noexcept;
  SharedFileCopy& operator=(SharedFileCopy&&) = delete;
  SharedFileCopy(const SharedFileCopy&) = delete;
  ~SharedFileCopy();

  // Where this program and the copies it starts open it.
  QString path() const;

private:
  explicit SharedFileCopy(int descriptor) : descriptor_(descriptor) {}
  int descriptor_;
};

} // namespace rt
