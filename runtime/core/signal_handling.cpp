#include "signal_handling.h"

#include "utility.h"

#include <atomic>

#ifdef _WIN32
#include "windows_api.h"
#else
#include <signal.h>
#endif

namespace {

// Written by a signal handler (or, on Windows, the console's handler thread):
// only a lock-free atomic is safe there.
std::atomic<int> stop_requests{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef _WIN32

// Windows ends the process as soon as the handler of a closing console
// returns, and at the latest after 5 s: this much is left for the closing
// command and the port to close.
constexpr DWORD kConsoleCloseGraceMs = 4000;

BOOL WINAPI on_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  // A second request falls through to the default handler, which ends the process.
  if (stop_requests.fetch_add(1) > 0) return FALSE;
  if (event == CTRL_CLOSE_EVENT) Sleep(kConsoleCloseGraceMs); // main returns meanwhile
  return TRUE;
}

#else

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kHandledSignals = sizeof kStopSignals / sizeof kStopSignals[0];

struct sigaction previous_stop_actions[kHandledSignals];
struct sigaction previous_pipe_action;
struct sigaction previous_program_gone_action;

struct sigaction action_of(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART; // waits and reads go on; the system looks at the request
  return action;
}

extern "C" void on_stop_signal(int signal_number) {
  if (stop_requests.fetch_add(1) == 0) return;
  // A second request: end as the signal would have ended the process.
  const struct sigaction default_action = action_of(SIG_DFL);
  sigaction(signal_number, &default_action, nullptr);
  raise(signal_number);
}

extern "C" void on_program_gone(int) {
  int none = 0;
  stop_requests.compare_exchange_strong(none, 1);
}

#endif

} // namespace

namespace rt {

#ifdef _WIN32

SignalHandling::SignalHandling() { SetConsoleCtrlHandler(on_console_event, TRUE); }

SignalHandling::~SignalHandling() {
  SetConsoleCtrlHandler(on_console_event, FALSE);
  stop_requests = 0;
}

#else

SignalHandling::SignalHandling() {
  const struct sigaction stop_action = action_of(on_stop_signal);
  for (int i = 0; i < kHandledSignals; ++i) sigaction(kStopSignals[i], &stop_action, &previous_stop_actions[i]);
  const struct sigaction program_gone_action = action_of(on_program_gone);
  sigaction(kProgramGoneSignal, &program_gone_action, &previous_program_gone_action);
  const struct sigaction ignore = action_of(SIG_IGN);
  sigaction(SIGPIPE, &ignore, &previous_pipe_action);
}

SignalHandling::~SignalHandling() {
  sigaction(SIGPIPE, &previous_pipe_action, nullptr);
  sigaction(kProgramGoneSignal, &previous_program_gone_action, nullptr);
  for (int i = 0; i < kHandledSignals; ++i) sigaction(kStopSignals[i], &previous_stop_actions[i], nullptr);
  stop_requests = 0;
}

#endif

} // namespace rt

int StopRequested() { return stop_requests.load() > 0 ? 1 : 0; }
