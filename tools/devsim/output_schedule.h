#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "protocol.h"

namespace kovo::devsim {

// Bits per byte on the line: start bit, 8 data bits, 2 stop bits.
inline constexpr long long kBitsPerByte = 11;
// Line speed of the device.
inline constexpr long long kBaudRate = 38400;
// Time one byte occupies the line (about 286.5 us).
inline constexpr std::chrono::nanoseconds kPacedByteTime{1'000'000'000LL * kBitsPerByte / kBaudRate};

// Decides when each outgoing byte reaches the PC. Bytes queue behind each other on the line;
// delivery times are absolute, so pacing does not drift however late the writer wakes up.
class OutputSchedule {
public:
  using Clock = std::chrono::steady_clock;

  // `byteTime` is how long one byte occupies the line; zero delivers everything at once.
  explicit OutputSchedule(Clock::duration byteTime);

  // Queues `bytes` to start `gap` after both `now` and the end of what is already queued.
  void enqueue(ByteView bytes, Clock::time_point now, Clock::duration gap = Clock::duration::zero());
  // Number of leading bytes whose delivery time has come.
  std::size_t dueCount(Clock::time_point now) const;
  Bytes peek(std::size_t count) const;
  void consume(std::size_t count);
  std::optional<Clock::time_point> nextDelivery() const;
  bool empty() const { return queue_.empty(); }

private:
  struct QueuedByte {
    std::uint8_t value;
    Clock::time_point delivery;
  };

  Clock::duration byteTime_;
  Clock::time_point lineFreeAt_{};
  std::deque<QueuedByte> queue_;
};

} // namespace kovo::devsim
