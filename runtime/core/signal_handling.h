// How the program meets the signals that would otherwise kill it mid-update.
// Ctrl-C, a termination request or a closed terminal (SIGINT, SIGTERM,
// SIGHUP; on Windows Ctrl-C, Ctrl-Break and the console closing) only ask the
// program to stop: StopRequested() (utility.h) turns non-zero, and the
// operation in progress ends as a failed one does, its closing command sent.
// A second such signal ends the process at once. A closed pipe or terminal on
// the output (SIGPIPE) ends nothing: writes to it just fail.
#pragma once

#ifndef _WIN32
#include <signal.h>
#endif

namespace rt {

#ifndef _WIN32
// What a copy of the program gets when the program that started it is gone
// (child_process.h): a stop request as Ctrl-C makes one, but never the second
// one that ends the process at once, since it may follow a Ctrl-C passed on.
// Any program with a SignalHandling takes it so, not only a copy.
inline constexpr int kProgramGoneSignal = SIGUSR1;
#endif

// Exactly one instance, for as long as the program should handle signals;
// the destructor puts back what was there and forgets a stop request.
class SignalHandling {
public:
  SignalHandling();
  ~SignalHandling();
  SignalHandling(const SignalHandling&) = delete;
  SignalHandling& operator=(const SignalHandling&) = delete;
};

} // namespace rt
