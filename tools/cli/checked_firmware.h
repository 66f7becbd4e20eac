// The firmware file of an update, checked before any port is touched: read
// once into a copy in memory and parsed as Load parses it. Every device of
// the run is programmed from that copy, so a file changed meanwhile reaches
// none of them.
#pragma once

#include "child_process.h"
#include "exit_status.h"
#include "texts.h"
#include "written_addresses.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace cli {

struct CheckedFirmware {
  std::string file;                       // absolute, as the system names files: the user's
  std::optional<rt::SharedFileCopy> copy; // none where the system can hold no such copy
  std::unique_ptr<const FirmwareImage> image;

  // What the system loads: the copy, or where there is none the user's file.
  std::string loaded() const;
};

struct FirmwareRefusal {
  ExitStatus status;
  std::string reason;
};

// The absolute path of a readable file that fits the system's path buffer,
// as the system names files; argument as the command line gave it.
std::optional<std::string> readable_firmware_path(const std::string& argument);

// Refused: a file that cannot be read or is faulty, and, unless forced, one
// that would leave every device this version updates holding nothing but FF.
std::variant<CheckedFirmware, FirmwareRefusal> check_firmware(const std::string& argument, bool force,
                                                              const Texts& texts);

} // namespace cli
