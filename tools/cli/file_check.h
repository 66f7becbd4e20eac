// --check: what a firmware file would put on a device, with no port and no
// device: whether it loads as Load loads it, where its data lie, whether it
// fits each memory size, and the CRC-32 of each image as it would be programmed.
#pragma once

#include "exit_status.h"
#include "texts.h"

#include <string>

namespace cli {

// Success when the file loads, File when it cannot be read or is faulty.
// argument as the command line named the file (bytes on POSIX, UTF-8 on
// Windows). With json the findings go to standard output as one JSON object,
// e.g. {"bytes_with_data":272,"crc32_16_kib":"0x31047641",...,"loads":true}.
ExitStatus check_file(const std::string& argument, const Texts& texts, bool json);

} // namespace cli
