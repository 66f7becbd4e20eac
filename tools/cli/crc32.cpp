#include "crc32.h"

namespace cli {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320; // reflected 0x04C11DB7
constexpr std::uint32_t kAllOnes = 0xFFFFFFFF;

} // namespace

std::uint32_t crc32(std::span<const unsigned char> bytes) {
  std::uint32_t crc = kAllOnes;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (kPolynomial & (0u - (crc & 1u)));
  }
  return crc ^ kAllOnes;
}

} // namespace cli
