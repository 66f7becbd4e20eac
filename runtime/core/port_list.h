// The serial ports the system itself knows of, found without opening any:
// Linux from sysfs, Windows from its registry and device tree, macOS from
// /dev.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rt {

struct UsbId {
  std::uint16_t vendor;
  std::uint16_t product;
};

struct SystemPort {
  std::string name;        // ttyUSB0, COM3, cu.usbserial-0001
  std::string location;    // what a serial line opens
  std::string description; // the product's name where the system has it
  std::optional<UsbId> usb;
};

// In the system's order, which need not be stable.
std::vector<SystemPort> system_ports();

} // namespace rt
