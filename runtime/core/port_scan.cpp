#include "port_scan.h"

#include "port_failure.h"
#include "system_text.h"
#include "rs232.h"

#include <QDir>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <climits>
#include <cstring>
#include <map>

namespace rt {
namespace {

constexpr char kExtraPortsVariable[] = "KOVOFLASH_EXTRA_PORTS";
// Derived numbers start above every COM number Windows hands out.
constexpr int kFirstDerivedNumber = 100000;

class LivePortSource : public PortSource {
public:
  std::vector<PortCandidate> candidates() override {
    std::vector<PortCandidate> found;
    const QString extra = qEnvironmentVariable(kExtraPortsVariable);
    for (const QString& path : extra.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
      found.push_back({path, path});
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
      found.push_back({info.portName(), info.systemLocation()});
    }
    return found;
  }

  bool can_open(const QString& location) override { return try_port(location) == PortFailure::None; }
};

LivePortSource live_source;
PortSource* active_source = &live_source;
std::map<int, QString> scanned_locations;

quint32 fnv1a(const QByteArray& bytes) {
  quint32 hash = 2166136261u;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

int free_number_from(int number) {
  while (scanned_locations.contains(number)) {
    number = number == INT_MAX ? kFirstDerivedNumber : number + 1;
  }
  return number;
}

void copy_label(const QString& label, char* target) {
  const std::string bytes = to_system_text(label).substr(0, MAX_PORT_LABEL_LEN - 1);
  std::memcpy(target, bytes.c_str(), bytes.size() + 1);
}

} // namespace

void add_virtual_port(const QString& path) {
  QStringList paths = qEnvironmentVariable(kExtraPortsVariable).split(QDir::listSeparator(), Qt::SkipEmptyParts);
  if (paths.contains(path)) return;
  paths.append(path);
  qputenv(kExtraPortsVariable, paths.join(QDir::listSeparator()).toLocal8Bit());
}

void set_port_source(PortSource* source) { active_source = source ? source : &live_source; }

int port_number_for(const QString& label, const QString& location) {
  static const QRegularExpression com_name(QStringLiteral("^COM([0-9]{1,9})$"));
  const auto match = com_name.match(label);
  if (match.hasMatch()) return match.captured(1).toInt();
  const quint32 span = INT_MAX - kFirstDerivedNumber;
  return kFirstDerivedNumber + static_cast<int>(fnv1a(location.toUtf8()) % span);
}

QString location_of_port(int number) {
  const auto found = scanned_locations.find(number);
  return found == scanned_locations.end() ? QString() : found->second;
}

} // namespace rt

int ListSerialPorts(SerialPortEntry* entries, int capacity) {
  rt::scanned_locations.clear();
  int count = 0;
  for (const rt::PortCandidate& candidate : rt::active_source->candidates()) {
    if (count == capacity) break;
    if (!rt::active_source->can_open(candidate.location)) continue;
    const int number =
        rt::free_number_from(rt::port_number_for(candidate.label, candidate.location));
    rt::scanned_locations[number] = candidate.location;
    rt::copy_label(candidate.label, entries[count].label);
    entries[count].number = number;
    ++count;
  }
  return count;
}
