// A serial line held as programs that share lines hold one: opened, put in
// exclusive mode and locked, until the object goes.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <string>

namespace kovo::testing {

class HeldLine {
public:
  explicit HeldLine(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    if (fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0 && ioctl(fd_, TIOCEXCL) == 0) return;
    release();
  }
  ~HeldLine() {
    if (fd_ >= 0) ioctl(fd_, TIOCNXCL);
    release();
  }
  HeldLine(const HeldLine&) = delete;
  HeldLine& operator=(const HeldLine&) = delete;

  bool held() const { return fd_ >= 0; }

private:
  void release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_;
};

} // namespace kovo::testing
