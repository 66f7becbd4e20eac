#include "faults.h"

#include <algorithm>

namespace kovo::devsim {

namespace {

// Turns the answering code into another one; the check is computed afterwards so it stays consistent.
constexpr std::uint8_t kWrongCodeMask = 0x10;
// Spoils the check byte.
constexpr std::uint8_t kWrongCheckMask = 0x5A;
// Appended by the extra-bytes fault; not a start byte, so it cannot pass for a new frame.
constexpr std::uint8_t kExtraByte = 0x00;

bool hits(const std::optional<FrameSelector>& selector, const Frame& frame) {
  return selector && selector->matches(frame);
}

template <class Fault>
bool hits(const std::optional<Fault>& fault, const Frame& frame) {
  return fault && fault->selector.matches(frame);
}

} // namespace

bool FrameSelector::matches(const Frame& frame) const {
  return code == frame.code() && (!page || page == frame.page()) && (!block || block == frame.block());
}

Bytes ReplyFaults::shape(ReplyBody body, const Frame& request) const {
  if (hits(wrongCode, request)) body.fields[body.codeIndex] ^= kWrongCodeMask;
  Bytes reply = sealReply(body);
  if (hits(wrongCheck, request)) reply.back() ^= kWrongCheckMask;
  if (hits(extraBytes, request)) reply.insert(reply.end(), extraBytes->count, kExtraByte);
  if (hits(missingBytes, request)) reply.resize(reply.size() - std::min(missingBytes->count, reply.size()));
  return reply;
}

std::chrono::milliseconds ReplyFaults::lateness(const Frame& request) const {
  return hits(lateReply, request) ? lateReply->delay : std::chrono::milliseconds::zero();
}

} // namespace kovo::devsim
