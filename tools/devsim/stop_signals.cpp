#include "stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace kovo::devsim {

namespace {

int signalWriteFd = -1;

void onStopSignal(int) {
  const char wakeUp = 0;
  [[maybe_unused]] const ssize_t ignored = ::write(signalWriteFd, &wakeUp, 1);
}

void install(int signalNumber) {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (::sigaction(signalNumber, &action, nullptr) != 0) throwLastError("sigaction");
}

} // namespace

StopSignals::StopSignals() {
  int ends[2];
  if (::pipe(ends) != 0) throwLastError("pipe");
  readEnd_.reset(ends[0]);
  writeEnd_.reset(ends[1]);
  for (const int fd : ends) {
    if (::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(fd, F_SETFL, O_NONBLOCK) != 0) throwLastError("fcntl");
  }
  signalWriteFd = writeEnd_.get();
  install(SIGTERM);
  install(SIGINT);
}

} // namespace kovo::devsim
