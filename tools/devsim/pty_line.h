#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "posix_fd.h"
#include "protocol.h"

namespace kovo::devsim {

// The device's end of the serial line: a pseudo-terminal whose slave the PC opens as its port.
// We keep a slave descriptor of our own open, so the PC may close and reopen the port
// without the master seeing a hang-up.
class PtyLine {
public:
  PtyLine();

  const std::string& slavePath() const { return slavePath_; }
  int masterFd() const { return master_.get(); }

  // Bytes from the PC; returns 0 when nothing is waiting.
  std::size_t read(std::span<std::uint8_t> buffer);
  // Bytes to the PC; returns how many the line took, 0 when it is full.
  std::size_t write(ByteView bytes);
  // Bytes written to the PC that it has not read yet.
  std::size_t unreadByPc() const;
  // Takes the line away; the PC's port sees a hang-up.
  void close();

private:
  UniqueFd master_;
  UniqueFd slave_;
  std::string slavePath_;
};

} // namespace kovo::devsim
