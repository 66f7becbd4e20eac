// A port enumeration chosen by the test.
#pragma once

#include "port_scan.h"

#include <string>
#include <vector>

namespace kovo::testing {

class FakePorts : public rt::PortSource {
public:
  FakePorts() { rt::set_port_source(this); }
  ~FakePorts() override { rt::set_port_source(nullptr); }
  FakePorts(const FakePorts&) = delete;
  FakePorts& operator=(const FakePorts&) = delete;

  // A port, its location the label unless given.
  void add(const std::string& label, const std::string& location = {}) {
    ports_.push_back({label, location.empty() ? label : location});
  }
  // A port unplugged.
  void remove(const std::string& label) {
    std::erase_if(ports_, [&label](const rt::PortCandidate& port) { return port.label == label; });
  }
  std::vector<rt::PortCandidate> candidates() override { return ports_; }

private:
  std::vector<rt::PortCandidate> ports_;
};

} // namespace kovo::testing
