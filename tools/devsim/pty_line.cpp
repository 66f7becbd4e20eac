#include "pty_line.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "line_settings.h"

namespace kovo::devsim {

namespace {

bool isTransient(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

void makeNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) throwLastError("fcntl");
}

} // namespace

PtyLine::PtyLine() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
  if (!master_) throwLastError("posix_openpt");
  if (::grantpt(master_.get()) != 0 || ::unlockpt(master_.get()) != 0) throwLastError("unlocking pty");
  const char* name = ::ptsname(master_.get());
  if (name == nullptr) throwLastError("ptsname");
  slavePath_ = name;
  slave_.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!slave_) throwLastError("opening " + slavePath_);
  applyDeviceLineSettings(slave_.get());
  makeNonBlocking(master_.get());
}

std::size_t PtyLine::read(std::span<std::uint8_t> buffer) {
  const ssize_t count = ::read(master_.get(), buffer.data(), buffer.size());
  if (count < 0 && isTransient(errno)) return 0;
  if (count < 0) throwLastError("reading the line");
  return static_cast<std::size_t>(count);
}

std::size_t PtyLine::write(ByteView bytes) {
  const ssize_t count = ::write(master_.get(), bytes.data(), bytes.size());
  if (count < 0 && isTransient(errno)) return 0;
  if (count < 0) throwLastError("writing the line");
  return static_cast<std::size_t>(count);
}

std::size_t PtyLine::unreadByPc() const {
  int count = 0;
  if (::ioctl(slave_.get(), FIONREAD, &count) != 0) throwLastError("FIONREAD");
  return static_cast<std::size_t>(count);
}

void PtyLine::close() {
  master_.reset();
  slave_.reset();
}

} // namespace kovo::devsim
