#include "port_scan.h"

#include "rs232.h"
#include "session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>
#include <climits>
#include <cstring>
#include <map>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#ifdef __linux__
#include <sys/sysmacros.h>
#endif

namespace rt {
namespace {

constexpr char kExtraPortsVariable[] = "KOVOFLASH_EXTRA_PORTS";
// Derived numbers start above every COM number Windows hands out.
constexpr int kFirstDerivedNumber = 100000;
#ifdef __linux__
// /dev/tty, /dev/console and /dev/ptmx: character devices, but no line of
// their own; opening /dev/ptmx even makes a new pseudo-terminal.
constexpr unsigned kTtyAuxiliaryMajor = 5;
#endif

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

#ifdef _WIN32
// A virtual port is a device name (COM7, \\.\CNCA0) that only an open checks.
bool may_be_serial_line(const QString&) { return true; }
#else
bool is_line_of_its_own([[maybe_unused]] dev_t device) {
#ifdef __linux__
  return major(device) != kTtyAuxiliaryMajor;
#else
  return true;
#endif
}

// Whether a path named as a virtual port is a serial line, told by the file
// alone: opening it could take it from the program that is opening it now.
bool may_be_serial_line(const QString& path) {
  struct stat status {};
  return stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode) &&
         is_line_of_its_own(status.st_rdev);
}
#endif

void copy_label(const QString& label, char* target) {
  const std::string bytes = label.toStdString().substr(0, MAX_PORT_LABEL_LEN - 1);
  std::memcpy(target, bytes.c_str(), bytes.size() + 1);
}

} // namespace

std::vector<PortCandidate> LivePortSource::candidates() {
  std::vector<PortCandidate> found;
  for (const QString& path : virtual_ports_in_environment() + added_paths_) {
    if (may_be_serial_line(path)) found.push_back({path, path});
  }
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    found.push_back({info.portName(), info.systemLocation()});
  }
  return found;
}

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

QString resolved_location(const QString& location) {
  const QString canonical = QFileInfo(location).canonicalFilePath();
  return canonical.isEmpty() ? location : canonical;
}

} // namespace rt

// A line named twice (a path and a link to it, or the same path in the
// environment twice) is listed once, where it comes first.
int ListSerialPorts(SerialPortEntry* entries, int capacity) {
  rt::PortScan& scan = rt::scan();
  scan.scanned_locations.clear();
  QSet<QString> listed_lines;
  int count = 0;
  for (const rt::PortCandidate& candidate : scan.source->candidates()) {
    if (count == capacity) break;
    const QString line = rt::resolved_location(candidate.location);
    if (listed_lines.contains(line)) continue;
    listed_lines.insert(line);
    const int number = rt::free_number_from(rt::port_number_for(candidate.label, candidate.location));
    scan.scanned_locations[number] = candidate.location;
    rt::copy_label(candidate.label, entries[count].label);
    entries[count].number = number;
    ++count;
  }
  return count;
}
