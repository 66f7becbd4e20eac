#include "child_process.h"

#include "signal_handling.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#endif
#ifdef __linux__
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#endif

namespace rt {
namespace {

#ifdef __linux__
constexpr char kCopyName[] = "kovoflash-shared-copy"; // shown in /proc/PID/fd, nowhere else
constexpr unsigned kCopySeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;

// In the new process, before it becomes the copy: only calls that are safe
// between fork and exec.
void stop_when_program_gone(pid_t program) {
  prctl(PR_SET_PDEATHSIG, kProgramGoneSignal);
  // Gone before the line above, the program sends nothing: the copy ends
  // before it touched any port.
  if (getppid() != program) _exit(EXIT_FAILURE);
}

bool write_all(int descriptor, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = write(descriptor, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}
#endif

} // namespace

void bind_to_this_program([[maybe_unused]] QProcess& process) {
#ifdef __linux__
  process.setChildProcessModifier([program = getpid()] {
    setpgid(0, 0);
    stop_when_program_gone(program);
  });
#elif !defined(_WIN32)
  process.setChildProcessModifier([] { setpgid(0, 0); });
#endif
}

void pass_stop_request([[maybe_unused]] const QProcess& process) {
#ifndef _WIN32
  if (process.state() != QProcess::NotRunning) kill(static_cast<pid_t>(process.processId()), SIGINT);
#endif
}

#ifdef __linux__

// Not closed on exec: the copies inherit it.
std::optional<SharedFileCopy> SharedFileCopy::of(std::FILE* file, long long most_bytes) {
  const int descriptor = memfd_create(kCopyName, MFD_ALLOW_SEALING);
  if (descriptor < 0) return std::nullopt;
  SharedFileCopy copy(descriptor);
  char buffer[1 << 16];
  long long copied = 0;
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    copied += static_cast<long long>(got);
    if (copied > most_bytes || !write_all(descriptor, buffer, got)) return std::nullopt;
  }
  if (std::ferror(file) || fcntl(descriptor, F_ADD_SEALS, kCopySeals) != 0) return std::nullopt;
  return copy;
}

SharedFileCopy::~SharedFileCopy() {
  if (descriptor_ >= 0) close(descriptor_);
}

#else

// Elsewhere no file lives outside every folder yet: there is no copy.
std::optional<SharedFileCopy> SharedFileCopy::of(std::FILE*, long long) { return std::nullopt; }

SharedFileCopy::~SharedFileCopy() = default;

#endif

SharedFileCopy::SharedFileCopy(SharedFileCopy&& other) noexcept : descriptor_(other.descriptor_) {
  other.descriptor_ = -1;
}

QString SharedFileCopy::path() const { return QStringLiteral("/dev/fd/%1").arg(descriptor_); }

} // namespace rt
