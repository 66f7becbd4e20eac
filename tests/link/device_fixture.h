// The real program against simulated devices on pseudo-terminals.
#pragma once

#include "devsim_process.h"
#include "program_fixture.h"
#include "time_scales.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kovo::testing {

using Bytes = std::vector<std::uint8_t>;
using Seconds = std::chrono::duration<double>;

inline const Bytes kIdentificationRequest = {0xFF, 0x01, 0xFF, 0xFE};

using testsupport::kPatientTimeScale;
using testsupport::kShortTimeScale;
using testsupport::kSilentDevice;
using testsupport::kSilentDeviceTimeScale;

class DeviceTest : public ProgramTest {
protected:
  // Starts a simulated device and lists its line in the port ring, after the
  // lines attached before it.
  testsupport::DevsimProcess& attach_device(const std::vector<std::string>& arguments = {});
  // The frames the first device received that equal `frame`; stops it.
  std::vector<testsupport::LoggedFrame> received(const Bytes& frame) const;
  // Writes `frame` into tx_data.
  static void prepare(const Bytes& frame);
  static Bytes received_bytes(int count);

  std::vector<std::unique_ptr<testsupport::DevsimProcess>> devices_;
};

// Takes the time of what it wraps.
template <class Action>
Seconds time_of(Action&& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::steady_clock::now() - start;
}

} // namespace kovo::testing
