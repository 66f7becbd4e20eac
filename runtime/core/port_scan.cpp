#include "port_scan.h"

#include "port_failure.h"
#include "rs232.h"
#include "session.h"
#include "system_text.h"

#include <QDir>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>
#include <climits>
#include <cstring>
#include <map>

namespace rt {
namespace {

constexpr char kExtraPortsVariable[] = "KOVOFLASH_EXTRA_PORTS";
// Derived numbers start above every COM number Windows hands out.
constexpr int kFirstDerivedNumber = 100000;

PortScan& scan() { return Session::current().ports; }

QStringList virtual_ports_in_environment() {
  return qEnvironmentVariable(kExtraPortsVariable).split(QDir::listSeparator(), Qt::SkipEmptyParts);
}

quint32 fnv1a(const QByteArray& bytes) {
  quint32 hash = 2166136261u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

int free_number_from(int number) {
  while (scan().scanned_locations.contains(number)) {
    number = number == INT_MAX ? kFirstDerivedNumber : number + 1;
  }
  return number;
}

// A port this program holds open stays listed, though a second open of it fails.
bool held_open_here(const QString& location) {
  const auto& open_ports = Session::current().serial.open_ports;
  return std::any_of(open_ports.begin(), open_ports.end(),
                     [&location](const auto& entry) { return entry.second->location == location; });
}

void copy_label(const QString& label, char* target) {
  const std::string bytes = to_system_text(label).substr(0, MAX_PORT_LABEL_LEN - 1);
  std::memcpy(target, bytes.c_str(), bytes.size() + 1);
}

} // namespace

std::vector<PortCandidate> LivePortSource::candidates() {
  QStringList virtual_paths = virtual_ports_in_environment();
  for (const QString& path : added_paths_) {
    if (!virtual_paths.contains(path)) virtual_paths.append(path);
  }
  std::vector<PortCandidate> found;
  for (const QString& path : virtual_paths) found.push_back({path, path});
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    found.push_back({info.portName(), info.systemLocation()});
  }
  return found;
}

bool LivePortSource::can_open(const QString& location) { return try_port(location) == PortFailure::None; }

void LivePortSource::add_virtual_port(const QString& path) {
  if (!added_paths_.contains(path)) added_paths_.append(path);
}

void add_virtual_port(const QString& path) { scan().live.add_virtual_port(path); }

void set_port_source(PortSource* source) { scan().source = source ? source : &scan().live; }

int port_number_for(const QString& label, const QString& location) {
  static const QRegularExpression com_name(QStringLiteral("^COM([0-9]{1,9})$"));
  const auto match = com_name.match(label);
  if (match.hasMatch()) return match.captured(1).toInt();
  const quint32 span = INT_MAX - kFirstDerivedNumber;
  return kFirstDerivedNumber + static_cast<int>(fnv1a(location.toUtf8()) % span);
}

QString location_of_port(int number) {
  const auto& scanned_locations = scan().scanned_locations;
  const auto found = scanned_locations.find(number);
  return found == scanned_locations.end() ? QString() : found->second;
}

} // namespace rt

int ListSerialPorts(SerialPortEntry* entries, int capacity) {
  rt::PortScan& scan = rt::scan();
  scan.scanned_locations.clear();
  int count = 0;
  for (const rt::PortCandidate& candidate : scan.source->candidates()) {
    if (count == capacity) break;
    if (!rt::held_open_here(candidate.location) && !scan.source->can_open(candidate.location)) continue;
    const int number = rt::free_number_from(rt::port_number_for(candidate.label, candidate.location));
    scan.scanned_locations[number] = candidate.location;
    rt::copy_label(candidate.label, entries[count].label);
    entries[count].number = number;
    ++count;
  }
  return count;
}
