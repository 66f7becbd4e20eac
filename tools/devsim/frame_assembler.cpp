#include "frame_assembler.h"

#include <utility>

namespace kovo::devsim {

std::optional<Frame> FrameAssembler::push(std::uint8_t byte) {
  if (pending_.empty()) {
    startOrDrop(byte);
  } else if (pending_.size() == kLengthIndex) {
    takeSizeByte(byte);
  } else {
    pending_.push_back(byte);
    if (pending_.size() == expectedSize_) return Frame{std::exchange(pending_, {})};
  }
  return std::nullopt;
}

void FrameAssembler::startOrDrop(std::uint8_t byte) {
  if (byte == kStartByte) pending_.push_back(byte);
}

void FrameAssembler::takeSizeByte(std::uint8_t byte) {
  // A second start byte means the first one was noise: the frame starts here.
  if (byte == kStartByte) return;
  const auto size = frameSizeAnnouncedBy(byte);
  if (!size) {
    pending_.clear();
    return;
  }
  pending_.push_back(byte);
  expectedSize_ = *size;
}

} // namespace kovo::devsim
