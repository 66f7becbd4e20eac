#include "device_fixture.h"

#include "glob.h"

#include <algorithm>

namespace kovo::testing {

testsupport::DevsimProcess& DeviceTest::attach_device(const std::vector<std::string>& arguments) {
  devices_.push_back(std::make_unique<testsupport::DevsimProcess>(arguments));
  const std::string line = devices_.back()->ptyPath();
  ports_.add(line, line);
  return *devices_.back();
}

std::vector<testsupport::LoggedFrame> DeviceTest::received(const Bytes& frame) const {
  std::vector<testsupport::LoggedFrame> matching;
  for (const auto& logged : devices_.front()->finalLog()) {
    if (logged.bytes == frame) matching.push_back(logged);
  }
  return matching;
}

void DeviceTest::prepare(const Bytes& frame) { std::copy(frame.begin(), frame.end(), tx_data.begin()); }

Bytes DeviceTest::received_bytes(int count) { return Bytes(rx_data.begin(), rx_data.begin() + count); }

} // namespace kovo::testing
