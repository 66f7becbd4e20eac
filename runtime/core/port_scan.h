// Where the port list comes from. The live source asks the system's port
// list (port_list.h) and the environment; tests put a fake in its place. Listing never opens a
// port: a port another program (or another copy of this one) is opening at
// that moment must not find it held by the list, and the open of the port
// chosen says for itself why it cannot be used.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace rt {

struct PortCandidate {
  std::string label;    // what the user sees: COM3, ttyUSB0, or a virtual port's path
  std::string location; // what a serial line opens
};

class PortSource {
public:
  virtual ~PortSource() = default;
  // Virtual ports first, then enumerated ones, in a stable order.
  virtual std::vector<PortCandidate> candidates() = 0;
};

// The ports of the system: first the virtual ones, named in the environment
// or added while the program runs, as long as they are serial lines, then
// the system's.
class LivePortSource : public PortSource {
public:
  std::vector<PortCandidate> candidates() override;
  void add_virtual_port(const std::string& path);

private:
  std::vector<std::string> added_paths_;
};

// Where the port list comes from and what its last scan found.
struct PortScan {
  LivePortSource live;
  PortSource* source = &live;
  std::map<int, std::string> scanned_locations; // by port number
};

// Lists a virtual port first from the next scan on, as the environment would.
void add_virtual_port(const std::string& path);

// nullptr restores the live source.
void set_port_source(PortSource* source);

// The number a port is known by: n for a port named COMn, so that settings
// written on Windows keep naming the same port; otherwise a number derived
// from the location alone, the same on every run.
int port_number_for(const std::string& label, const std::string& location);

// The location behind a number of the last scan, or an empty string.
std::string location_of_port(int number);

// The line a location stands for, links and doubled slashes resolved: two
// names of one line give the same text. A name that resolves to nothing
// (COM3, a path that does not exist) stays as it is.
std::string resolved_location(const std::string& location);

// The paths an environment variable lists, separated as the system's path
// lists are (':' on POSIX, ';' on Windows), empty ones left out.
std::vector<std::string> paths_in_environment(const char* variable);

} // namespace rt
