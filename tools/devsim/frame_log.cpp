#include "frame_log.h"

#include <cstdio>
#include <stdexcept>

namespace kovo::devsim {

std::string formatLogLine(std::chrono::microseconds sinceStart, ByteView frame) {
  constexpr long long kMicrosecondsPerSecond = 1'000'000;
  const long long micros = sinceStart.count();
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%06lld", micros / kMicrosecondsPerSecond, micros % kMicrosecondsPerSecond);
  std::string line = text;
  for (const std::uint8_t byte : frame) {
    std::snprintf(text, sizeof text, " %02X", byte);
    line += text;
  }
  return line;
}

FrameLog::FrameLog(const std::string& path) : file_(path, std::ios::out | std::ios::trunc) {
  if (!file_) throw std::runtime_error("cannot open log file " + path);
}

void FrameLog::record(std::chrono::microseconds sinceStart, ByteView frame) {
  file_ << formatLogLine(sinceStart, frame) << std::endl;
}

} // namespace kovo::devsim
