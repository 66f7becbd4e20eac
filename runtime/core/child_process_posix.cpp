#include "child_process.h"

#include "signal_handling.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace rt {

struct ChildProcess::State {
  pid_t pid = -1; // -1: never started, or waited for
  int output = -1;
  std::optional<ChildEnd> ended;
  bool stop_passed = false;
};

namespace {

constexpr int kNotStarted = 127; // as a shell says of a program it could not run

std::string this_program() {
#ifdef __APPLE__
  char path[PATH_MAX];
  std::uint32_t size = sizeof path;
  return _NSGetExecutablePath(path, &size) == 0 ? path : "";
#else
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
#endif
}

// In the new process, before it becomes the copy: only calls that are safe
// between fork and exec. A process group of its own keeps the terminal's
// Ctrl-C away from it.
[[noreturn]] void become_copy(const char* program, char* const* argv, int output, int failure, pid_t parent) {
  setpgid(0, 0);
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, kProgramGoneSignal);
  // Gone before the line above, the program sends nothing: the copy ends
  // before it touched any port.
  if (getppid() != parent) _exit(EXIT_FAILURE);
#else
  (void)parent;
#endif
  // Nothing to read: a copy in a process group of its own that read the
  // terminal would be stopped.
  const int nowhere = open("/dev/null", O_RDWR);
  dup2(output, STDOUT_FILENO);
  if (nowhere >= 0) {
    dup2(nowhere, STDIN_FILENO);
    dup2(nowhere, STDERR_FILENO);
  }
  execv(program, argv);
  const int error = errno;
  [[maybe_unused]] const ssize_t said = write(failure, &error, sizeof error);
  _exit(kNotStarted);
}

// Whether the copy reached its program: the failure pipe closes on exec
// unread, or carries why exec failed.
bool reached_program(int failure) {
  int error = 0;
  ssize_t got;
  while ((got = read(failure, &error, sizeof error)) < 0 && errno == EINTR) {}
  return got == 0;
}

// Closed on exec, so no other copy inherits it.
bool closed_on_exec_pipe(int ends[2]) {
  if (pipe(ends) != 0) return false;
  fcntl(ends[0], F_SETFD, FD_CLOEXEC);
  fcntl(ends[1], F_SETFD, FD_CLOEXEC);
  return true;
}

ChildEnd end_of(int status) {
  if (WIFSIGNALED(status)) return {true, true, 0};
  return {true, false, WEXITSTATUS(status)};
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) : state_(std::make_unique<State>()) {
  const std::string program = this_program();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int output[2];
  int failure[2];
  if (!closed_on_exec_pipe(output)) {
    state_->ended = ChildEnd{false, false, 0};
    return;
  }
  if (!closed_on_exec_pipe(failure)) {
    close(output[0]);
    close(output[1]);
    state_->ended = ChildEnd{false, false, 0};
    return;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) become_copy(program.c_str(), argv.data(), output[1], failure[1], parent);
  close(output[1]);
  close(failure[1]);
  const bool started = pid > 0 && reached_program(failure[0]);
  close(failure[0]);
  if (!started) {
    close(output[0]);
    if (pid > 0) waitpid(pid, nullptr, 0);
    state_->ended = ChildEnd{false, false, 0};
    return;
  }
  fcntl(output[0], F_SETFL, fcntl(output[0], F_GETFL) | O_NONBLOCK);
  state_->pid = pid;
  state_->output = output[0];
}

ChildProcess::~ChildProcess() {
  if (state_->output >= 0) close(state_->output);
  if (state_->pid <= 0) return;
  kill(state_->pid, SIGKILL);
  waitpid(state_->pid, nullptr, 0);
}

std::string ChildProcess::read_output() {
  std::string got;
  char buffer[4096];
  while (state_->output >= 0) {
    const ssize_t count = read(state_->output, buffer, sizeof buffer);
    if (count > 0) {
      got.append(buffer, static_cast<std::size_t>(count));
    } else if (count < 0 && errno == EINTR) {
      continue;
    } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    } else { // the end, or the pipe is unusable: nothing more comes
      close(state_->output);
      state_->output = -1;
    }
  }
  return got;
}

void ChildProcess::pass_stop_request() {
  if (state_->stop_passed || state_->pid <= 0) return;
  kill(state_->pid, SIGINT);
  state_->stop_passed = true;
}

std::optional<ChildEnd> ChildProcess::end() {
  if (state_->pid > 0) {
    int status = 0;
    if (waitpid(state_->pid, &status, WNOHANG) == state_->pid) {
      state_->ended = end_of(status);
      state_->pid = -1;
    }
  }
  if (state_->output >= 0) return std::nullopt;
  return state_->ended;
}

void wait_for_any(const std::vector<ChildProcess*>& children, std::chrono::milliseconds timeout) {
  std::vector<pollfd> outputs;
  for (const ChildProcess* child : children) {
    if (child->state_->output >= 0) outputs.push_back({child->state_->output, POLLIN, 0});
  }
  poll(outputs.data(), outputs.size(), static_cast<int>(timeout.count()));
}

} // namespace rt
