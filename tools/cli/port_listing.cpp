#include "port_listing.h"

#include "24GHz_prog.h"
#include "port_details.h"
#include "port_scan.h"
#include "rs232.h"
#include "table.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

namespace cli {
namespace {

constexpr int kMostPorts = 100; // as many as the panel's port list takes

bool is_link_adapter(const rt::PortDetails& details) {
  return details.usb && details.usb->vendor == rt::kLinkAdapter.vendor &&
         details.usb->product == rt::kLinkAdapter.product;
}

std::string usb_text(const rt::PortDetails& details, const Texts& texts) {
  if (!details.usb) return {};
  std::string text = hex_digits(details.usb->vendor, 4) + ':' + hex_digits(details.usb->product, 4);
  if (is_link_adapter(details)) text += std::string("  ") + texts.link_adapter;
  return text;
}

// Label, number, description, USB id.
TableRow row_of(const rt::RingItem& item, const Texts& texts) {
  const rt::PortDetails details = rt::describe_port(item.value);
  const std::string description = details.virtual_port ? std::string(texts.virtual_port) : details.description;
  return {item.label, std::to_string(item.value), description, usb_text(details, texts)};
}

struct ListedPort {
  std::string label;
  int number;
  rt::PortDetails details;
};

// The port list as the panel would get it.
std::vector<ListedPort> listed_ports() {
  std::vector<SerialPortEntry> entries(kMostPorts);
  const int count = ListSerialPorts(entries.data(), kMostPorts);
  std::vector<ListedPort> ports;
  for (int index = 0; index < count; ++index) {
    const SerialPortEntry& entry = entries[static_cast<std::size_t>(index)];
    ports.push_back({entry.label, entry.number, rt::describe_port(entry.number)});
  }
  return ports;
}

// The line a --port value stands for: the listed port it names, else the
// path it gives.
std::string resolved(const std::string& location) { return rt::resolved_location(location); }

std::string location_of(const ListedPort& port) { return port.details.location; }

std::string line_named(const std::string& wanted, const std::vector<ListedPort>& listed) {
  for (const ListedPort& port : listed) {
    if (names_port(wanted, port.label, port.number, location_of(port))) return resolved(location_of(port));
  }
  return resolved(wanted);
}

std::vector<std::string> lines_named(const std::vector<std::string>& ports, const std::vector<ListedPort>& listed) {
  std::vector<std::string> lines;
  for (const std::string& port : ports) lines.push_back(line_named(port, listed));
  return lines;
}

bool same_ignoring_case(const std::string& one, const std::string& other) {
  return std::equal(one.begin(), one.end(), other.begin(), other.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

std::optional<int> number_in(const std::string& text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

} // namespace

std::vector<std::string> port_table(const PanelUser& user, const Texts& texts) {
  const auto& items = user.control(PANEL_COMPORT).items;
  if (items.empty()) return {texts.no_ports};
  std::vector<TableRow> rows;
  for (const rt::RingItem& item : items) rows.push_back(row_of(item, texts));
  return aligned(rows);
}

ExitStatus list_ports(const PanelUser& user, LiveOutput& output, const Texts& texts) {
  for (const std::string& line : port_table(user, texts)) output.say(line);
  return ExitStatus::Success;
}

std::vector<int> link_ports(const PanelUser& user) {
  std::vector<int> links;
  for (const rt::RingItem& item : user.control(PANEL_COMPORT).items) {
    if (is_link_adapter(rt::describe_port(item.value))) links.push_back(item.value);
  }
  return links;
}

bool names_port(const std::string& wanted, const std::string& label, int number, const std::string& location) {
  return same_ignoring_case(label, wanted) || number_in(wanted) == number || rt::same_location(wanted, location);
}

std::optional<std::pair<std::string, std::string>> port_named_twice(const std::vector<std::string>& ports) {
  if (ports.size() < 2) return std::nullopt;
  const std::vector<std::string> lines = lines_named(ports, listed_ports());
  for (std::size_t later = 1; later < lines.size(); ++later) {
    const auto earlier = static_cast<std::size_t>(std::find(lines.begin(), lines.end(), lines[later]) - lines.begin());
    if (earlier < later) return std::pair(ports[earlier], ports[later]);
  }
  return std::nullopt;
}

std::vector<std::string> ports_with_links(const std::vector<std::string>& named) {
  const std::vector<ListedPort> listed = listed_ports();
  std::vector<std::string> ports = named;
  std::vector<std::string> lines = lines_named(named, listed);
  for (const ListedPort& port : listed) {
    const std::string line = resolved(location_of(port));
    if (!is_link_adapter(port.details) || std::find(lines.begin(), lines.end(), line) != lines.end()) continue;
    ports.push_back(location_of(port));
    lines.push_back(line);
  }
  return ports;
}

} // namespace cli
