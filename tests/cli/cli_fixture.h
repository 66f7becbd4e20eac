// Runs the built kovoflash-cli as a process, each test in a fresh current
// folder with a fresh configuration folder, and writes firmware files for it.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kovo::cli_testing {

using Bytes = std::vector<std::uint8_t>;

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 2;
constexpr int kExitPort = 3;
constexpr int kExitNoDevice = 4;
constexpr int kExitUnsupported = 5;
constexpr int kExitFile = 6;
constexpr int kExitProgramming = 7;

struct CliRun {
  int exit_code = -1;
  QString out;
  QString err;
};

// Bytes placed at an address of the firmware image.
struct Block {
  std::uint16_t address;
  Bytes bytes;
};

// Intel HEX as the firmware files come: upper-case digits, 16-byte data
// records, the end record, each line ended by a line feed.
std::string intel_hex(const std::vector<Block>& blocks);
// The device memory a good update leaves: the blocks, 0xFF elsewhere.
Bytes image_of(const std::vector<Block>& blocks, std::size_t size);

class CliTest : public ::testing::Test {
protected:
  CliTest();

  // The environment of a run: no virtual ports, the test's configuration
  // folder, the C locale (so English unless --lang says otherwise).
  QProcessEnvironment environment() const;
  CliRun run(const QStringList& arguments) const { return run(arguments, environment()); }
  CliRun run(const QStringList& arguments, const QProcessEnvironment& environment,
             std::chrono::seconds deadline = std::chrono::seconds(60)) const;

  // Writes a file into the test's own folder (not the current folder of the runs).
  QString write_file(const QString& name, const std::string& content) const;
  QString settings_file() const;
  QStringList current_folder_entries() const;

private:
  QTemporaryDir current_;
  QTemporaryDir config_;
  QTemporaryDir files_;
};

} // namespace kovo::cli_testing
