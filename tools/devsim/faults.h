#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol.h"

namespace kovo::devsim {

// Picks frames by code and, when given, page and block (CMD[:PAGE[:BLOCK]] on the command line).
struct FrameSelector {
  std::uint8_t code = 0;
  std::optional<std::uint8_t> page;
  std::optional<std::uint8_t> block;

  bool matches(const Frame& frame) const;
};

// Grows or shrinks the replies to the selected frames by `count` bytes.
struct ResizeFault {
  FrameSelector selector;
  std::size_t count = 0;
};

// Holds the replies to the selected frames back by `delay`, past the PC's time-out if it is long enough.
struct LateReply {
  FrameSelector selector;
  std::chrono::milliseconds delay{0};
};

// Deliberate damage to the replies to selected frames; every matching frame is hit, retries too.
struct ReplyFaults {
  std::optional<FrameSelector> wrongCode;
  std::optional<FrameSelector> wrongCheck;
  std::optional<ResizeFault> extraBytes;
  std::optional<ResizeFault> missingBytes;
  std::optional<LateReply> lateReply;

  // Seals `body` into the reply to `request`, damaged as configured.
  Bytes shape(ReplyBody body, const Frame& request) const;
  // How much later than the others the reply to `request` goes out.
  std::chrono::milliseconds lateness(const Frame& request) const;
};

} // namespace kovo::devsim
