// What the console tells about the ports of the last port list beyond their
// labels and numbers, and how a port given by its path gets onto the list.
#pragma once

#include "port_failure.h"
#include "port_list.h"

#include <optional>
#include <string>

namespace rt {

// The Kovo-USB-Link's bridge: Silicon Labs CP210x.
constexpr UsbId kLinkAdapter{0x10C4, 0xEA60};

struct PortDetails {
  std::string location;    // what is opened: a device path, or COMn on Windows
  bool virtual_port;       // named in the environment, not enumerated by the system
  std::string description; // the system's, for an enumerated port
  std::optional<UsbId> usb;
};

// number is an item value of the last port list. For tests, a virtual port
// also named in KOVOFLASH_EXTRA_LINKS (separated as in KOVOFLASH_EXTRA_PORTS)
// is described with the Kovo-USB-Link's USB id, as no test has the adapter.
PortDetails describe_port(int number);

// Makes the next port list hold the line at path (absolute): a port the
// system enumerates is listed anyway; any other path joins the virtual ports.
void offer_port(const std::string& path);

// Whether path and location name the same line, links resolved.
bool same_location(const std::string& path, const std::string& location);

// Why the port that name stands for (an absolute path, or the name of a port
// the system enumerates) is not on the port list: what opening it says now.
// NotFound when nothing goes by that name.
PortFailure why_not_listed(const std::string& name);

} // namespace rt
