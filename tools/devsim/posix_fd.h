#pragma once

#include <string>
#include <utility>

namespace kovo::devsim {

// Owns a file descriptor and closes it once.
class UniqueFd {
public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept;
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset(int fd = -1);
  // Hands the descriptor over to the caller, who closes it.
  int release() { return std::exchange(fd_, -1); }

private:
  int fd_ = -1;
};

// Throws std::system_error for the current errno.
[[noreturn]] void throwLastError(const std::string& what);

} // namespace kovo::devsim
