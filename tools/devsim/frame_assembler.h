#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol.h"

namespace kovo::devsim {

// Cuts the byte stream from the PC into frames, however the bytes were split across reads.
// Bytes outside a frame are dropped; frames come out whether or not their check is right.
class FrameAssembler {
public:
  std::optional<Frame> push(std::uint8_t byte);

private:
  void startOrDrop(std::uint8_t byte);
  void takeSizeByte(std::uint8_t byte);

  Bytes pending_;
  std::size_t expectedSize_ = 0;
};

} // namespace kovo::devsim
