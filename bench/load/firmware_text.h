// What both load benchmarks share: the file they load and how they report.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kovo::bench {

constexpr std::size_t kFileLines = 2400; // as many lines as the rows hold
constexpr int kRuns = 21;
constexpr int kMemorySize = 2;

// 16-byte data records from address 0 upward, closed by the end-of-file record.
std::string firmware_text(std::size_t lines);

// Prints the median, fastest and slowest of the times in milliseconds.
void report(const char* what, std::size_t characters, std::vector<double> milliseconds);

} // namespace kovo::bench
