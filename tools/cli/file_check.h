// --check: what a firmware file would put on a device, with no port and no
// device: whether it loads as Load loads it, where its data lie, whether it
// fits each memory size, and the CRC-32 of each image as it would be programmed.
#pragma once

#include "exit_status.h"
#include "texts.h"

#include <QString>

namespace cli {

// Success when the file loads, File when it cannot be read or is faulty.
ExitStatus check_file(const QString& path, const Texts& texts);

} // namespace cli
