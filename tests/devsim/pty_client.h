#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "posix_fd.h"
#include "protocol.h"

namespace kovo::devsim::test {

// Generous bound for bytes the simulator sends at once; only reached when something is wrong.
inline constexpr std::chrono::milliseconds kReplyTimeout{2000};
// How long the line must stay quiet to count as "no reply".
inline constexpr std::chrono::milliseconds kQuietWindow{150};

// The PC's side of the line, with plain POSIX calls: raw, 38400 baud, 8N2.
class PtyClient {
public:
  explicit PtyClient(const std::string& path);

  void send(ByteView bytes);
  // Reads until `count` bytes have arrived, the deadline passes or the line hangs up.
  Bytes receive(std::size_t count, std::chrono::milliseconds timeout = kReplyTimeout);
  // Everything that arrives within `window`.
  Bytes receiveFor(std::chrono::milliseconds window = kQuietWindow);
  // True once the line reports a hang-up within `timeout`.
  bool waitForHangUp(std::chrono::milliseconds timeout = kReplyTimeout);

private:
  UniqueFd fd_;
  bool hungUp_ = false;
};

} // namespace kovo::devsim::test
