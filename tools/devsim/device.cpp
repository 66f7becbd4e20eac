#include "device.h"

#include <utility>

namespace kovo::devsim {

Device::Device(const DeviceConfig& config) : config_(config) { memory_.fill(kErasedByte); }

DeviceResponse Device::handle(const Frame& frame) {
  if (!frame.hasValidCheck()) return {};
  if (frame.isIdentification()) return identify(frame);
  if (!frame.isWellFormedCommand()) return {};
  return program(frame);
}

DeviceResponse Device::identify(const Frame& frame) {
  if (++identificationsSeen_ <= config_.silentIdentifications) return {};
  return reply(identificationReply(config_.identity), frame);
}

DeviceResponse Device::program(const Frame& frame) {
  if (framesIgnored_ < config_.silentFrames) {
    ++framesIgnored_;
    return {};
  }
  ++programmingFrames_;
  if (frame.code() == kCmdPageData) storeBlock(frame);
  DeviceResponse response = fallenSilent() ? DeviceResponse{} : reply(acknowledgement(frame.code()), frame);
  response.programmingEnded = frame.code() == kCmdProgrammingEnd;
  response.closeLine = config_.closeAfterFrames == programmingFrames_;
  return response;
}

DeviceResponse Device::reply(ReplyBody body, const Frame& request) const {
  return {config_.replyFaults.shape(std::move(body), request), config_.replyFaults.lateness(request)};
}

void Device::storeBlock(const Frame& frame) {
  const std::size_t address = frame.bytes[kPageIndex] * kPageSize + frame.bytes[kOffsetIndex];
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    memory_[(address + i) % kMemorySize] = frame.bytes[kDataIndex + i];
  }
}

bool Device::fallenSilent() const {
  return config_.silentAfterFrames && programmingFrames_ > *config_.silentAfterFrames;
}

} // namespace kovo::devsim
