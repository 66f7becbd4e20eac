// Linux names its serial lines in sysfs: every tty with a device behind it,
// less the legacy UART slots that have no chip (type 0). USB adapters carry
// their ids in a parent device.
#include "port_list.h"

#include <filesystem>
#include <fstream>

namespace rt {
namespace {

namespace fs = std::filesystem;

const fs::path kTtyClass = "/sys/class/tty";
const fs::path kDevices = "/sys/devices";

std::string first_line_of(const fs::path& file) {
  std::ifstream stream(file);
  std::string line;
  std::getline(stream, line);
  return line;
}

bool has_a_chip(const fs::path& tty) {
  std::error_code error;
  return !fs::exists(tty / "type", error) || first_line_of(tty / "type") != "0";
}

std::optional<std::uint16_t> hex_id(const fs::path& file) {
  const std::string text = first_line_of(file);
  if (text.empty()) return std::nullopt;
  std::size_t used = 0;
  try {
    const unsigned long id = std::stoul(text, &used, 16);
    if (used != text.size() || id > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(id);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The USB device the line hangs from, and its product name.
void add_usb_details(const fs::path& device, SystemPort& port) {
  std::error_code error;
  for (fs::path folder = fs::canonical(device, error); !error && folder.string().starts_with(kDevices.string());
       folder = folder.parent_path()) {
    const auto vendor = hex_id(folder / "idVendor");
    const auto product = hex_id(folder / "idProduct");
    if (vendor && product) {
      port.usb = UsbId{*vendor, *product};
      port.description = first_line_of(folder / "product");
      return;
    }
  }
}

} // namespace

std::vector<SystemPort> system_ports() {
  std::vector<SystemPort> ports;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(kTtyClass, error)) {
    const fs::path tty = entry.path();
    std::error_code no_device;
    if (!fs::exists(tty / "device", no_device) || !has_a_chip(tty)) continue;
    SystemPort port{tty.filename().string(), "/dev/" + tty.filename().string(), {}, std::nullopt};
    add_usb_details(tty / "device", port);
    ports.push_back(std::move(port));
  }
  return ports;
}

} // namespace rt
