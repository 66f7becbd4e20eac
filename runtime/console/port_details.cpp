#include "port_details.h"

#include "port_scan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace rt {
namespace {

std::optional<SystemPort> enumerated_port(const std::string& location) {
  for (const SystemPort& port : system_ports()) {
    if (same_location(location, port.location)) return port;
  }
  return std::nullopt;
}

bool named_as_link(const std::string& location) {
  const std::vector<std::string> links = paths_in_environment("KOVOFLASH_EXTRA_LINKS");
  return std::any_of(links.begin(), links.end(),
                     [&](const std::string& link) { return same_location(link, location); });
}

// Port names are ASCII (COM3, ttyUSB0); Windows takes them in any case.
bool same_name(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

bool same_location(const std::string& path, const std::string& location) {
  return !location.empty() && resolved_location(path) == resolved_location(location);
}

PortDetails describe_port(int number) {
  PortDetails details{location_of_port(number), true, {}, {}};
  const auto port = enumerated_port(details.location);
  if (!port) {
    if (named_as_link(details.location)) details.usb = kLinkAdapter;
    return details;
  }
  details.virtual_port = false;
  details.description = port->description;
  details.usb = port->usb;
  return details;
}

void offer_port(const std::string& path) {
  if (!enumerated_port(path)) add_virtual_port(path);
}

PortFailure why_not_listed(const std::string& name) {
  for (const SystemPort& port : system_ports()) {
    if (same_name(port.name, name)) return try_port(port.location);
  }
  const bool is_path = std::filesystem::path(std::u8string(name.begin(), name.end())).is_absolute();
  return is_path ? try_port(name) : PortFailure::NotFound;
}

} // namespace rt
