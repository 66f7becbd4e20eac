// What every platform's serial line shares: the bytes taken from the system
// and not read yet.
#include "serial_line.h"

#include <algorithm>
#include <array>

namespace rt {

bool SerialLine::take_in() {
  std::array<unsigned char, 256> chunk{};
  for (;;) {
    const int got = read_now(chunk);
    if (got < 0) return false;
    if (got == 0) return true;
    pending_.insert(pending_.end(), chunk.begin(), chunk.begin() + got);
  }
}

bool SerialLine::wait_for_input(Clock::time_point deadline) { return take_in() && wait_for_news(deadline); }

int SerialLine::bytes_waiting() {
  take_in();
  return static_cast<int>(pending_.size());
}

int SerialLine::read_waiting(std::span<unsigned char> buffer) {
  if (!take_in() && pending_.empty()) return -1;
  const std::size_t taken = std::min(buffer.size(), pending_.size());
  std::copy_n(pending_.begin(), taken, buffer.begin());
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
  return static_cast<int>(taken);
}

bool SerialLine::flush_input() {
  pending_.clear();
  return purge_input();
}

} // namespace rt
