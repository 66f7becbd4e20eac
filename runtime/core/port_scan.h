// Where the port list comes from. The live source asks Qt's port enumeration
// and the environment; tests put a fake in its place. Listing never opens a
// port: a port another program (or another copy of this one) is opening at
// that moment must not find it held by the list, and the open of the port
// chosen says for itself why it cannot be used.
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
};

// The ports of the system: first the virtual ones, named in the environment
// or added while the program runs, as long as they are serial lines, then
// Qt's enumeration.
class LivePortSource : public PortSource {
public:
  std::vector<PortCandidate> candidates() override;
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

// The line a location stands for, links and doubled slashes resolved: two
// names of one line give the same text. A name that resolves to nothing
// (COM3, a path that does not exist) stays as it is.
QString resolved_location(const QString& location);

} // namespace rt
