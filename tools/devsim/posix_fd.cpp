#include "posix_fd.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace kovo::devsim {

UniqueFd::UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  reset(std::exchange(other.fd_, -1));
  return *this;
}

UniqueFd::~UniqueFd() { reset(); }

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

void throwLastError(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

} // namespace kovo::devsim
