#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "faults.h"
#include "protocol.h"

namespace kovo::devsim {

using Memory = std::array<std::uint8_t, kMemorySize>;

struct DeviceConfig {
  Identity identity{};
  // Identification requests ignored before the first answer, like a device switched on late.
  unsigned silentIdentifications = 0;
  // Programming frames ignored (echo only) before the first answer, like a device busy at first.
  unsigned silentFrames = 0;
  // Programming frames answered before the device falls silent.
  std::optional<unsigned> silentAfterFrames{};
  // Programming frames answered before the line goes away.
  std::optional<unsigned> closeAfterFrames{};
  ReplyFaults replyFaults{};
};

struct DeviceResponse {
  // Empty when the device stays silent.
  Bytes reply;
  // Added to the reply delay: a late-reply fault.
  std::chrono::milliseconds lateBy{0};
  // The closing command arrived: memory holds the final image.
  bool programmingEnded = false;
  // The line is to be closed once the reply has been read.
  bool closeLine = false;
};

// The bootloader: answers frames and keeps the programmed memory.
// Programming frames count when their check, command and length are right; others get no reply.
class Device {
public:
  explicit Device(const DeviceConfig& config);

  DeviceResponse handle(const Frame& frame);
  const Memory& memory() const { return memory_; }

private:
  DeviceResponse identify(const Frame& frame);
  DeviceResponse program(const Frame& frame);
  DeviceResponse reply(ReplyBody body, const Frame& request) const;
  void storeBlock(const Frame& frame);
  bool fallenSilent() const;

  DeviceConfig config_;
  Memory memory_;
  unsigned framesIgnored_ = 0;
  unsigned identificationsSeen_ = 0;
  unsigned programmingFrames_ = 0;
};

} // namespace kovo::devsim
