// macOS names every serial line twice in /dev; the call-out device (cu.*)
// is the one that opens without waiting for a carrier.
#include "port_list.h"

#include <filesystem>

namespace rt {

std::vector<SystemPort> system_ports() {
  std::vector<SystemPort> ports;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("cu.")) ports.push_back({name, entry.path().string(), {}, std::nullopt});
  }
  return ports;
}

} // namespace rt
