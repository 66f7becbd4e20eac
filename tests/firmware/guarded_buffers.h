// The rows and the image of a load between guard zones, so that a test or the
// fuzz target sees any write that strays out of them.
#pragma once

#include "flash_load.h"

#include <algorithm>
#include <array>

namespace kovo::testing {

class GuardedLoadBuffers {
public:
  GuardedLoadBuffers() {
    for (auto* zone : {&rows_before_, &rows_after_}) std::ranges::fill(*zone, kGuardByte);
    for (auto* zone : {&image_before_, &image_after_}) std::ranges::fill(*zone, kGuardByte);
  }
  GuardedLoadBuffers(const GuardedLoadBuffers&) = delete;
  GuardedLoadBuffers& operator=(const GuardedLoadBuffers&) = delete;

  HexRows rows() { return rows_; }
  FlashImage image() { return image_; }

  bool guards_intact() const {
    const auto untouched = [](const auto& zone) {
      return std::ranges::all_of(zone, [](auto byte) { return byte == kGuardByte; });
    };
    return untouched(rows_before_) && untouched(rows_after_) && untouched(image_before_) && untouched(image_after_);
  }

private:
  static constexpr char kGuardByte = 0x5C;
  static constexpr std::size_t kGuardSize = 4096;

  // Plain byte arrays, so the members lie back to back with no gap between.
  std::array<char, kGuardSize> rows_before_;
  char rows_[kHexRows][kHexColumns];
  std::array<char, kGuardSize> rows_after_;
  std::array<char, kGuardSize> image_before_;
  std::array<unsigned char, kFlashImageSize> image_;
  std::array<char, kGuardSize> image_after_;
};

} // namespace kovo::testing
