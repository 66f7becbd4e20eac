// Runs the built kovoflash-cli as a process, each test in a fresh current
// folder with a fresh configuration folder, and writes firmware files for it.
#pragma once

#include "devsim_process.h"
#include "program_under_test.h"
#include "time_scales.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
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
constexpr int kExitInterrupted = 8;

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

void write_whole_file(const QString& path, const std::string& content);

// An update of file through port, in English.
QStringList update_arguments(const QString& port, const QString& file);

// Reads standard output into seen until it holds text; false at the deadline.
bool wait_for_output(QProcess& process, const QString& text, QString& seen,
                     std::chrono::seconds deadline = std::chrono::seconds(30));

// Waits until the device has received at least count frames; false at the deadline.
bool wait_for_frames(const testsupport::DevsimProcess& device, std::size_t count,
                     std::chrono::seconds deadline = std::chrono::seconds(30));

using testsupport::kPatientTimeScale;
using testsupport::kShortTimeScale;
using testsupport::kSilentDevice;
using testsupport::kSilentDeviceTimeScale;

// Runs the program under test (testsupport::program_under_test): the Linux
// program, or the Windows one under Wine.
class CliTest : public ::testing::Test {
protected:
  CliTest();

  // The simulated device's port as the program names it.
  QString port_of(const testsupport::DevsimProcess& device) const;
  // A port that is not there.
  QString missing_port() const { return testsupport::program_under_test().missing_port(); }

  // The environment of a run: no virtual ports, the test's configuration
  // folder, the C locale (so English unless --lang says otherwise), the
  // protocol's waits scaled by time_scale_.
  QProcessEnvironment environment() const;
  // The environment with these ports listed as virtual ports.
  QProcessEnvironment with_virtual_ports(const QStringList& ports) const;
  CliRun run(const QStringList& arguments) const { return run(arguments, environment()); }
  CliRun run(const QStringList& arguments, const QProcessEnvironment& environment,
             std::chrono::seconds deadline = std::chrono::seconds(60)) const;
  // A run whose arguments are bytes, such as a file name that is not UTF-8
  // (QProcess would hand them over in UTF-8).
  CliRun run_with_byte_arguments(const std::vector<std::string>& arguments) const;
  // Starts a run and returns at once, for a test that acts while it runs.
  std::unique_ptr<QProcess> start(const QStringList& arguments) const { return start(arguments, environment()); }
  std::unique_ptr<QProcess> start(const QStringList& arguments, const QProcessEnvironment& environment) const;

  // Writes a file into the test's own folder (not the current folder of the
  // runs); returns its name as the program names it.
  QString write_file(const QString& name, const std::string& content) const;
  QString settings_file() const;
  QStringList current_folder_entries() const;

  // Patient unless a test checks timing (real time) or waits for silence (shorter).
  double time_scale_ = kPatientTimeScale;

private:
  CliRun run_command(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                     std::chrono::seconds deadline) const;

  mutable std::map<std::string, std::unique_ptr<testsupport::MappedPort>> ports_; // by pseudo-terminal
  QTemporaryDir current_;
  QTemporaryDir config_;
  QTemporaryDir files_;
};

} // namespace kovo::cli_testing
