// The command-line program's exit status: one value per kind of outcome, so
// that a script can tell what went wrong.
#pragma once

namespace cli {

enum class ExitStatus {
  Success = 0,
  Internal = 1, // the program could not start
  Usage = 2,
  Port = 3, // the port cannot be opened, is not listed, or was lost while connecting
  NoDevice = 4,
  Unsupported = 5, // the device type cannot be updated
  File = 6,        // the firmware file cannot be read or is faulty
  Programming = 7,
  Interrupted = 8, // a signal (Ctrl-C) ended the update early
};

inline int code_of(ExitStatus status) { return static_cast<int>(status); }

} // namespace cli
