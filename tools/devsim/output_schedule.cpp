#include "output_schedule.h"

#include <algorithm>

namespace kovo::devsim {

OutputSchedule::OutputSchedule(Clock::duration byteTime) : byteTime_(byteTime) {}

void OutputSchedule::enqueue(ByteView bytes, Clock::time_point now, Clock::duration gap) {
  Clock::time_point delivery = std::max(now, lineFreeAt_) + gap;
  for (const std::uint8_t byte : bytes) {
    // A byte reaches the PC once its last stop bit has gone out.
    delivery += byteTime_;
    queue_.push_back({byte, delivery});
  }
  lineFreeAt_ = delivery;
}

std::size_t OutputSchedule::dueCount(Clock::time_point now) const {
  const auto firstNotDue =
      std::find_if(queue_.begin(), queue_.end(), [now](const QueuedByte& queued) { return queued.delivery > now; });
  return static_cast<std::size_t>(firstNotDue - queue_.begin());
}

Bytes OutputSchedule::peek(std::size_t count) const {
  Bytes bytes;
  bytes.reserve(count);
  std::transform(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count), std::back_inserter(bytes),
                 [](const QueuedByte& queued) { return queued.value; });
  return bytes;
}

void OutputSchedule::consume(std::size_t count) {
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
}

std::optional<OutputSchedule::Clock::time_point> OutputSchedule::nextDelivery() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front().delivery;
}

} // namespace kovo::devsim
