// Which addresses of the flash image a firmware file's data records fill, and
// the image a Load leaves, as the system's own reader and parser see the file.
#pragma once

#include "glob.h"

#include <array>
#include <bitset>
#include <memory>
#include <string>

namespace cli {

using WrittenAddresses = std::bitset<kovo::kFlashImageSize>; // index = device address

struct FirmwareImage {
  WrittenAddresses written;
  // As a Load leaves the part it presets: FF where no data record wrote.
  std::array<unsigned char, kovo::kFlashImageSize> bytes;
  bool end_record = true; // false: the file ends without its end-of-file record and may be cut short
};

// Nothing when the file cannot be read or does not load; read as Load reads
// it: a regular file of at most kMaxFirmwareFileBytes. path as the system
// names files (bytes on POSIX, UTF-8 on Windows).
std::unique_ptr<const FirmwareImage> firmware_image(const std::string& path);

// Whether a data record wrote any address in [from, to).
bool any_written(const WrittenAddresses& written, std::size_t from, std::size_t to);

} // namespace cli
