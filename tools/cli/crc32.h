// CRC-32 as zip, PNG and most firmware tools compute it (reflected
// polynomial 0xEDB88320, start and final XOR 0xFFFFFFFF), so a user can
// compare it with what other tools print.
#pragma once

#include <cstdint>
#include <span>

namespace cli {

std::uint32_t crc32(std::span<const unsigned char> bytes);

} // namespace cli
