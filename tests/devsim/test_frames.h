#pragma once

// Frames as the PC sends them. Built here rather than with the simulator's code,
// so a mistake there cannot hide itself in the expectations.

#include <cstdint>

#include "protocol.h"

namespace kovo::devsim::test {

// Appends the check byte: XOR of everything after the start byte.
inline Bytes withCheck(Bytes frame) {
  std::uint8_t check = 0;
  for (std::size_t i = 1; i < frame.size(); ++i) check ^= frame[i];
  frame.push_back(check);
  return frame;
}

inline Bytes identifyRequest() { return {0xFF, 0x01, 0xFF, 0xFE}; }

inline Bytes defaultIdentifyReply() { return {0xFF, 0x01, 0x71, 0x02, 0x03, 0x71}; }

// Programming start, page begin and closing, which carry no payload.
inline Bytes shortFrame(std::uint8_t command) { return withCheck({0xFF, 0x02, command}); }

// The acknowledgement has the same shape as a short frame: FF 02 <command> <check>.
inline Bytes acknowledgementOf(std::uint8_t command) { return shortFrame(command); }

inline Bytes pageEndFrame(std::uint8_t command, std::uint8_t page) {
  return withCheck({0xFF, 0x04, command, page, 0x00});
}

// 16 bytes that differ from block to block (for different seeds) and are never erased memory (FF).
inline Bytes blockPattern(std::uint8_t seed) {
  Bytes data;
  for (unsigned i = 0; i < 16; ++i) data.push_back(static_cast<std::uint8_t>((seed + i) % 0xFF));
  return data;
}

inline Bytes dataFrame(std::uint8_t page, std::uint8_t offset, const Bytes& data) {
  Bytes frame{0xFF, 0x14, 0x0A, page, offset};
  frame.insert(frame.end(), data.begin(), data.end());
  return withCheck(frame);
}

inline Bytes concat(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

} // namespace kovo::devsim::test
