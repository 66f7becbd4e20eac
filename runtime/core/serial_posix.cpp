// Serial lines on termios. The descriptor stays non-blocking: every wait is
// a poll with a deadline.
#include "port_scan.h"
#include "serial_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>

#ifdef __linux__
#include <sys/sysmacros.h>
#endif

namespace rt {

struct SerialLine::Native {
  int fd;
  bool exclusive = false; // this program set the line's exclusive mode
};

namespace {

#ifdef __linux__
// /dev/tty, /dev/console and /dev/ptmx: character devices, but no line of
// their own; opening /dev/ptmx even makes a new pseudo-terminal.
constexpr unsigned kTtyAuxiliaryMajor = 5;
#endif

int milliseconds_until(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

// Why a path cannot be opened as a line, told by the file itself before
// the open's own error.
PortFailure failure_of_file(const std::string& location) {
  struct stat status {};
  if (stat(location.c_str(), &status) != 0) {
    return errno == EACCES ? PortFailure::PermissionDenied : PortFailure::NotFound;
  }
  if (!S_ISCHR(status.st_mode)) return PortFailure::NotSerial;
  return PortFailure::None;
}

PortFailure failure_of_open(const std::string& location, int error) {
  if (access(location.c_str(), R_OK | W_OK) != 0) return PortFailure::PermissionDenied;
  switch (error) {
  case ENOENT:
  case ENODEV:
  case ENXIO: return PortFailure::NotFound;
  case EBUSY:
  case EACCES:
  case EPERM: return PortFailure::InUse; // another program holds it exclusively
  default: return PortFailure::Other;
  }
}

// TIOCEXCL keeps other programs out, but not root; the lock keeps out every
// copy of this program and whatever else locks its lines.
PortFailure take_exclusively(SerialLine::Native& native) {
  if (flock(native.fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? PortFailure::InUse : PortFailure::Other;
  native.exclusive = ioctl(native.fd, TIOCEXCL) == 0;
  return PortFailure::None;
}

bool speed_of(long baud_rate, speed_t& speed) {
  static const std::map<long, speed_t> speeds = {{1200, B1200},   {2400, B2400},     {4800, B4800},
                                                 {9600, B9600},   {19200, B19200},   {38400, B38400},
                                                 {57600, B57600}, {115200, B115200}, {230400, B230400}};
  const auto found = speeds.find(baud_rate);
  if (found == speeds.end()) return false;
  speed = found->second;
  return true;
}

bool set_parity(termios& mode, Parity parity) {
  mode.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
  switch (parity) {
  case Parity::None: return true;
  case Parity::Odd: mode.c_cflag |= PARENB | PARODD; return true;
  case Parity::Even: mode.c_cflag |= PARENB; return true;
#ifdef CMSPAR // mark and space parity are a Linux extension
  case Parity::Mark: mode.c_cflag |= PARENB | PARODD | CMSPAR; return true;
  case Parity::Space: mode.c_cflag |= PARENB | CMSPAR; return true;
#endif
  default: return false;
  }
}

bool set_frame(termios& mode, int data_bits, int stop_bits) {
  static const std::map<int, tcflag_t> sizes = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
  const auto size = sizes.find(data_bits);
  if (size == sizes.end() || stop_bits < 1 || stop_bits > 2) return false;
  mode.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB);
  mode.c_cflag |= size->second | (stop_bits == 2 ? CSTOPB : 0);
  return true;
}

bool set_modem_line(int fd, unsigned long request, int line) { return ioctl(fd, request, &line) == 0; }

// Waits for events up to the deadline; false once the line is gone.
bool still_there(int fd, short events, Clock::time_point deadline) {
  pollfd watched{fd, events, 0};
  if (poll(&watched, 1, milliseconds_until(deadline)) < 0) return errno == EINTR;
  return (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

} // namespace

SerialLine::SerialLine(std::unique_ptr<Native> native) : native_(std::move(native)) {}

// The exclusive mode outlives the descriptor where the driver keeps the line
// (a pseudo-terminal whose other end stays open): it is given up by hand.
SerialLine::~SerialLine() {
  if (native_->exclusive) ioctl(native_->fd, TIOCNXCL);
  close(native_->fd);
}

std::unique_ptr<SerialLine> SerialLine::open(const std::string& location, PortFailure& failure) {
  failure = failure_of_file(location);
  if (failure != PortFailure::None) return nullptr;
  const int fd = ::open(location.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    failure = failure_of_open(location, errno);
    return nullptr;
  }
  std::unique_ptr<SerialLine> line(new SerialLine(std::make_unique<Native>(Native{fd})));
  failure = take_exclusively(*line->native_);
  if (failure == PortFailure::None && !line->configure(line->settings_)) failure = PortFailure::NotSerial;
  if (failure != PortFailure::None) return nullptr;
  return line;
}

bool SerialLine::configure(const LineSettings& settings) {
  termios mode{};
  speed_t speed{};
  if (tcgetattr(native_->fd, &mode) != 0 || !speed_of(settings.baud_rate, speed)) return false;
  cfmakeraw(&mode);
  mode.c_cflag |= CLOCAL | CREAD;
  mode.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  mode.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  mode.c_cc[VMIN] = 0;
  mode.c_cc[VTIME] = 0;
  if (!set_parity(mode, settings.parity) || !set_frame(mode, settings.data_bits, settings.stop_bits) ||
      cfsetispeed(&mode, speed) != 0 || cfsetospeed(&mode, speed) != 0 || tcsetattr(native_->fd, TCSANOW, &mode) != 0) {
    return false;
  }
  settings_ = settings;
  return true;
}

bool SerialLine::wait_for_news(Clock::time_point deadline) { return still_there(native_->fd, POLLIN, deadline); }

int SerialLine::read_now(std::span<unsigned char> buffer) {
  const ssize_t got = ::read(native_->fd, buffer.data(), buffer.size());
  if (got > 0) return static_cast<int>(got);
  // Raw mode without a minimum count reads nothing, not end of file, from a
  // quiet line; a line hung up says so to poll.
  if (got == 0) return still_there(native_->fd, POLLIN, Clock::now()) ? 0 : -1;
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1; // EIO: the far end closed
}

WriteOutcome SerialLine::write(std::span<const unsigned char> bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(native_->fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(written));
      continue;
    }
    if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return WriteOutcome::LineLost;
    if (Clock::now() >= deadline) return WriteOutcome::TimedOut;
    if (!still_there(native_->fd, POLLOUT, deadline)) return WriteOutcome::LineLost;
  }
  return WriteOutcome::Written;
}

bool SerialLine::purge_input() { return tcflush(native_->fd, TCIFLUSH) == 0; }

bool SerialLine::flush_output() { return tcflush(native_->fd, TCOFLUSH) == 0; }

bool SerialLine::set_request_to_send() { return set_modem_line(native_->fd, TIOCMBIS, TIOCM_RTS); }

bool SerialLine::clear_data_terminal_ready() { return set_modem_line(native_->fd, TIOCMBIC, TIOCM_DTR); }

bool may_be_serial_line(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISCHR(status.st_mode)) return false;
#ifdef __linux__
  return major(status.st_rdev) != kTtyAuxiliaryMajor;
#else
  return true;
#endif
}

std::string unlisted_port_location(int) { return {}; }

std::string resolved_location(const std::string& location) {
  char* canonical = realpath(location.c_str(), nullptr);
  if (!canonical) return location;
  std::string resolved(canonical);
  std::free(canonical);
  return resolved;
}

} // namespace rt
