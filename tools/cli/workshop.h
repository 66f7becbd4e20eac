// Workshop mode: many ports at once. The system's state is one per process,
// so the program starts a copy of itself for each port (--workshop-child),
// all at once, reads the events each copy writes (events.h), shows them and
// ends with a summary. Every copy programs the same checked copy of the file
// (checked_firmware.h), so a file changed meanwhile cannot reach some
// devices only; the copy is in no folder, so no ending leaves it behind.
#pragma once

#include "checked_firmware.h"
#include "exit_status.h"
#include "options.h"
#include "texts.h"

#include <string>
#include <vector>

namespace cli {

struct WorkshopRequest {
  Language language;
  std::vector<std::string> ports;
  const CheckedFirmware& firmware;
  std::string trace; // empty: no trace
  bool json = false;
  bool force = false; // the file was taken though it holds no data for the devices
};

// Success only when every port succeeded; else the highest status of a port.
ExitStatus run_workshop(const WorkshopRequest& request, const Texts& texts);

// The trace file of one port: the file named with the port appended.
std::string trace_file_for(const std::string& trace, const std::string& port);

} // namespace cli
