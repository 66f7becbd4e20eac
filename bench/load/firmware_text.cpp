#include "firmware_text.h"

#include <algorithm>
#include <cstdio>

namespace kovo::bench {
namespace {

constexpr std::size_t kRecordBytes = 16;

std::string data_record(std::size_t address) {
  char line[64];
  unsigned sum = kRecordBytes + (address >> 8) + (address & 0xFF);
  int length = std::snprintf(line, sizeof line, ":%02zX%04zX00", kRecordBytes, address);
  for (std::size_t k = 0; k < kRecordBytes; ++k) {
    const unsigned byte = (address + k) * 7 % 256;
    sum += byte;
    length += std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length), "%02X", byte);
  }
  std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length), "%02X\n", (256 - sum % 256) % 256);
  return line;
}

} // namespace

std::string firmware_text(std::size_t lines) {
  std::string text;
  for (std::size_t record = 0; record + 1 < lines; ++record) text += data_record(record * kRecordBytes);
  return text + ":00000001FF\n";
}

void report(const char* what, std::size_t characters, std::vector<double> milliseconds) {
  std::ranges::sort(milliseconds);
  std::printf(
      "%s: %zu lines, %zu characters, memory_size %d: median %.2f ms (fastest %.2f, slowest %.2f) over %zu runs\n",
      what, kFileLines, characters, kMemorySize, milliseconds[milliseconds.size() / 2], milliseconds.front(),
      milliseconds.back(), milliseconds.size());
}

} // namespace kovo::bench
