#include "child_process.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace rt {

void keep_from_terminal_signals([[maybe_unused]] QProcess& process) {
#ifndef _WIN32
  process.setChildProcessModifier([] { setpgid(0, 0); });
#endif
}

void pass_stop_request([[maybe_unused]] const QProcess& process) {
#ifndef _WIN32
  if (process.state() != QProcess::NotRunning) kill(static_cast<pid_t>(process.processId()), SIGINT);
#endif
}

} // namespace rt
