#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "device.h"

namespace kovo::devsim {

struct Options {
  DeviceConfig device;
  bool paced = false;
  std::chrono::milliseconds replyDelay{0};
  // A fault of the line, not of the device: the echo of the selected frames is spoilt.
  std::optional<FrameSelector> wrongEcho;
  std::optional<std::string> memoryOut;
  std::optional<std::string> logPath;
  bool exitOnStdinEof = false;
  bool helpRequested = false;
  bool versionRequested = false;
};

// A command line we cannot use; the message names the offending option.
class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Throws UsageError.
Options parseOptions(std::span<const std::string> arguments);

// The --help text, listing every option.
std::string usageText();

} // namespace kovo::devsim
