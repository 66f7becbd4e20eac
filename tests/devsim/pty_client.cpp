#include "pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>

#include "line_settings.h"

namespace kovo::devsim::test {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes taken from the port per read.
constexpr std::size_t kReadChunk = 256;

std::chrono::milliseconds remainingUntil(Clock::time_point deadline) {
  return std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()),
                  std::chrono::milliseconds::zero());
}

} // namespace

PtyClient::PtyClient(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
  if (!fd_) throwLastError("opening " + path);
  applyDeviceLineSettings(fd_.get());
}

void PtyClient::send(ByteView bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_.get(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) throwLastError("writing the port");
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
}

Bytes PtyClient::receive(std::size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  Bytes received;
  std::array<std::uint8_t, kReadChunk> buffer;
  while (received.size() < count && !hungUp_) {
    pollfd request{fd_.get(), POLLIN, 0};
    const int ready = ::poll(&request, 1, static_cast<int>(remainingUntil(deadline).count()));
    if (ready == 0) break;
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) throwLastError("poll");
    const ssize_t got = ::read(fd_.get(), buffer.data(), std::min(buffer.size(), count - received.size()));
    if (got > 0) {
      received.insert(received.end(), buffer.begin(), buffer.begin() + got);
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
      // The other end is gone: Linux reports EIO on a pty slave whose master closed.
      hungUp_ = true;
    }
  }
  return received;
}

Bytes PtyClient::receiveFor(std::chrono::milliseconds window) {
  return receive(std::numeric_limits<std::size_t>::max(), window);
}

bool PtyClient::waitForHangUp(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!hungUp_ && Clock::now() < deadline) receive(kReadChunk, remainingUntil(deadline));
  return hungUp_;
}

} // namespace kovo::devsim::test
