#include "port_scan.h"

#include "port_list.h"
#include "rs232.h"
#include "serial_line.h"
#include "session.h"
#include "system_text.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <set>

namespace rt {
namespace {

constexpr char kExtraPortsVariable[] = "KOVOFLASH_EXTRA_PORTS";
// Derived numbers start above every COM number Windows hands out.
constexpr int kFirstDerivedNumber = 100000;
constexpr int kMostComDigits = 9;
#ifdef _WIN32
constexpr char kPathListSeparator = ';';
#else
constexpr char kPathListSeparator = ':';
#endif

PortScan& scan() { return Session::current().ports; }

std::uint32_t fnv1a(const std::string& bytes) {
  std::uint32_t hash = 2166136261u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// n for a label COMn, nothing for any other.
std::optional<int> com_number(const std::string& label) {
  if (!label.starts_with("COM")) return std::nullopt;
  const std::string digits = label.substr(3);
  if (digits.empty() || digits.size() > kMostComDigits ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return std::stoi(digits);
}

int free_number_from(int number) {
  while (scan().scanned_locations.contains(number)) {
    number = number == INT_MAX ? kFirstDerivedNumber : number + 1;
  }
  return number;
}

void copy_label(const std::string& label, char* target) {
  const std::string bytes = label.substr(0, MAX_PORT_LABEL_LEN - 1);
  std::memcpy(target, bytes.c_str(), bytes.size() + 1);
}

} // namespace

std::vector<std::string> paths_in_environment(const char* variable) {
  std::vector<std::string> paths;
  const std::string listed = environment_variable(variable);
  std::size_t start = 0;
  while (start <= listed.size()) {
    const std::size_t end = std::min(listed.find(kPathListSeparator, start), listed.size());
    if (end > start) paths.push_back(listed.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

std::vector<PortCandidate> LivePortSource::candidates() {
  std::vector<PortCandidate> found;
  std::vector<std::string> virtual_paths = paths_in_environment(kExtraPortsVariable);
  virtual_paths.insert(virtual_paths.end(), added_paths_.begin(), added_paths_.end());
  for (const std::string& path : virtual_paths) {
    if (may_be_serial_line(path)) found.push_back({path, path});
  }
  std::vector<SystemPort> system = system_ports();
  std::sort(system.begin(), system.end(), [](const SystemPort& a, const SystemPort& b) { return a.name < b.name; });
  for (const SystemPort& port : system) found.push_back({port.name, port.location});
  return found;
}

void LivePortSource::add_virtual_port(const std::string& path) {
  if (std::find(added_paths_.begin(), added_paths_.end(), path) == added_paths_.end()) added_paths_.push_back(path);
}

void add_virtual_port(const std::string& path) { scan().live.add_virtual_port(path); }

void set_port_source(PortSource* source) { scan().source = source ? source : &scan().live; }

int port_number_for(const std::string& label, const std::string& location) {
  if (const auto number = com_number(label)) return *number;
  const std::uint32_t span = INT_MAX - kFirstDerivedNumber;
  return kFirstDerivedNumber + static_cast<int>(fnv1a(location) % span);
}

std::string location_of_port(int number) {
  const auto& scanned_locations = scan().scanned_locations;
  const auto found = scanned_locations.find(number);
  return found == scanned_locations.end() ? std::string() : found->second;
}

} // namespace rt

// A line named twice (a path and a link to it, or the same path in the
// environment twice) is listed once, where it comes first.
int ListSerialPorts(SerialPortEntry* entries, int capacity) {
  rt::PortScan& scan = rt::scan();
  scan.scanned_locations.clear();
  std::set<std::string> listed_lines;
  int count = 0;
  for (const rt::PortCandidate& candidate : scan.source->candidates()) {
    if (count == capacity) break;
    if (!listed_lines.insert(rt::resolved_location(candidate.location)).second) continue;
    const int number = rt::free_number_from(rt::port_number_for(candidate.label, candidate.location));
    scan.scanned_locations[number] = candidate.location;
    rt::copy_label(candidate.label, entries[count].label);
    entries[count].number = number;
    ++count;
  }
  return count;
}
