#pragma once

#include <chrono>
#include <fstream>
#include <string>

#include "protocol.h"

namespace kovo::devsim {

// "12.345678 FF 01 FF FE": seconds since start, then the frame in upper-case hex.
std::string formatLogLine(std::chrono::microseconds sinceStart, ByteView frame);

// Records every received frame, one flushed line each, so a reader sees frames as they come.
class FrameLog {
public:
  explicit FrameLog(const std::string& path);

  void record(std::chrono::microseconds sinceStart, ByteView frame);

private:
  std::ofstream file_;
};

} // namespace kovo::devsim
