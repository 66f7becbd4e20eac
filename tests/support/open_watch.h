// Tells whether anything opened a file while it was watched (Linux inotify),
// for a test that a program leaves a port alone.
#pragma once

#include <sys/inotify.h>
#include <unistd.h>
#include <stdexcept>
#include <string>

namespace kovo::testing {

class OpenWatch {
public:
  explicit OpenWatch(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0 || inotify_add_watch(fd_, path.c_str(), IN_OPEN) < 0) {
      if (fd_ >= 0) close(fd_);
      throw std::runtime_error("cannot watch " + path);
    }
  }
  ~OpenWatch() { close(fd_); }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;

  // Whether the file was opened since the watch began or since the last
  // call. An open is noted before it returns to whoever opened the file.
  bool opened_since() const {
    alignas(inotify_event) char events[4096];
    bool any = false;
    while (read(fd_, events, sizeof events) > 0) any = true;
    return any;
  }

private:
  int fd_;
};

} // namespace kovo::testing
