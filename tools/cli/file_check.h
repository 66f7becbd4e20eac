// --check: what a firmware file would put on a device, with no port and no
// device: whether it loads as Load loads it, where its data lie, whether it
// fits each memory size, and the CRC-32 of each image as it would be programmed.
#pragma once

#include "exit_status.h"
#include "texts.h"

#include <string>

namespace cli {

// Success when the file loads, File when it cannot be read or is faulty.
// path as the system names files (bytes on POSIX, UTF-8 on Windows).
ExitStatus check_file(const std::string& path, const Texts& texts);

} // namespace cli
