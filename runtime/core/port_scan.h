// Where the port list comes from. The live source asks Qt's port enumeration
// and the environment; tests put a fake in its place.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace rt {

struct PortCandidate {
  QString label;    // what the user sees: COM3, ttyUSB0, or a virtual port's path
  QString location; // what QSerialPort opens
};

class PortSource {
public:
  virtual ~PortSource() = default;
  // Virtual ports first, then enumerated ones, in a stable order.
  virtual std::vector<PortCandidate> candidates() = 0;
  virtual bool can_open(const QString& location) = 0;
};

// The ports of the system: first the virtual ones, named in the environment
// or added while the program runs, then Qt's enumeration.
class LivePortSource : public PortSource {
public:
  std::vector<PortCandidate> candidates() override;
  bool can_open(const QString& location) override;
  void add_virtual_port(const QString& path);

private:
  QStringList added_paths_;
};

// Where the port list comes from and what its last scan found.
struct PortScan {
  LivePortSource live;
  PortSource* source = &live;
  std::map<int, QString> scanned_locations; // by port number
};

// Lists a virtual port first from the next scan on, as the environment would.
void add_virtual_port(const QString& path);

// nullptr restores the live source.
void set_port_source(PortSource* source);

// The number a port is known by: n for a port named COMn, so that settings
// written on Windows keep naming the same port; otherwise a number derived
// from the location alone, the same on every run.
int port_number_for(const QString& label, const QString& location);

// The location behind a number of the last scan, or an empty string.
QString location_of_port(int number);

} // namespace rt
