// Which addresses of the flash image a firmware file's data records fill, as
// the system's own reader and parser see the file.
#pragma once

#include "glob.h"

#include <QString>
#include <bitset>
#include <optional>

namespace cli {

using WrittenAddresses = std::bitset<kovo::kFlashImageSize>; // index = device address

// Nothing when the file cannot be read or does not load.
std::optional<WrittenAddresses> written_addresses(const QString& path);

} // namespace cli
