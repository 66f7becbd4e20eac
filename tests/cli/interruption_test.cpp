// Runs cut short by a signal or by a reader that stops reading: the device
// still gets its closing command, the program says so and exits 8, the port
// is free for the next run at once, and a closed output ends nothing.
#include "cli_fixture.h"
#include "devsim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <memory>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

constexpr std::size_t kProgrammedSize = 16384;
constexpr std::size_t kWholeRun = 1 + 1218; // the identification request and every programming frame
const Bytes kIdentificationRequest = {0xFF, 0x01, 0xFF, 0xFE};
const Bytes kProgEnd = {0xFF, 0x02, 0x02, 0x00};
const QString kInterrupted = QStringLiteral("The update was interrupted and must be repeated.");

Bytes pattern(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

const std::vector<Block> kFirmware = {{0x0000, pattern(kProgrammedSize)}};

std::size_t count_of(const std::vector<testsupport::LoggedFrame>& log, const Bytes& frame) {
  return static_cast<std::size_t>(
      std::count_if(log.begin(), log.end(), [&](const auto& logged) { return logged.bytes == frame; }));
}

class InterruptionTest : public CliTest {
protected:
  QString firmware() const { return write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware)); }

  // Sends the signal and waits for the program to end. How far the run got
  // is read from the device's log, not from a clock.
  static void end_by(QProcess& process, int signal_number) {
    ::kill(static_cast<pid_t>(process.processId()), signal_number);
    EXPECT_TRUE(process.waitForFinished(30000));
  }

  // Said once, as the only line on standard error.
  static void expect_interrupted(QProcess& process, const QString& said = kInterrupted) {
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), kExitInterrupted);
    EXPECT_EQ(process.readAllStandardError().toStdString(), (said + QLatin1Char('\n')).toStdString());
  }

  // Interrupts an update mid-run by the signal: the device got the closing
  // command once, last, before the image was through.
  std::unique_ptr<DevsimProcess> interrupt_programming(int signal_number) const {
    // Slow enough for the signal to land mid-run.
    auto device = std::make_unique<DevsimProcess>(std::vector<std::string>{"--reply-delay", "2"});
    const auto process = start(update_arguments(port_of(*device), firmware()));
    EXPECT_TRUE(wait_for_frames(*device, 100)) << "programming under way";
    end_by(*process, signal_number);
    expect_interrupted(*process);
    const auto log = device->readLog(); // the closing command was answered: logged already
    EXPECT_FALSE(log.empty());
    if (log.empty()) return device;
    EXPECT_EQ(log.back().bytes, kProgEnd) << "the closing command comes last";
    EXPECT_EQ(count_of(log, kProgEnd), 1u);
    EXPECT_LT(log.size(), kWholeRun) << "stopped before the image was through";
    return device;
  }

  static void expect_programmed(DevsimProcess& device) {
    device.stop();
    const Bytes memory = device.readMemory();
    ASSERT_GE(memory.size(), kProgrammedSize);
    EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize));
  }
};

struct StopSignal {
  const char* name;
  int number;
};

class SignalMidProgramming : public InterruptionTest, public ::testing::WithParamInterface<StopSignal> {};

TEST_P(SignalMidProgramming, SendsTheClosingCommandAndExitsEight) { interrupt_programming(GetParam().number); }

INSTANTIATE_TEST_SUITE_P(Cli, SignalMidProgramming,
                         ::testing::Values(StopSignal{"SIGINT", SIGINT}, StopSignal{"SIGTERM", SIGTERM},
                                           StopSignal{"SIGHUP", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InterruptionTest, InterruptedUpdateCanBeRepeatedAtOnce) {
  const auto device = interrupt_programming(SIGINT);
  const CliRun again = run(update_arguments(port_of(*device), firmware()));
  ASSERT_EQ(again.exit_code, kExitSuccess) << again.err.toStdString();
  expect_programmed(*device);
}

struct WaitingRun {
  const char* language;
  const char* said;
};

// Nothing but identification requests went out: the device holds what it held.
class SignalWhileConnecting : public InterruptionTest, public ::testing::WithParamInterface<WaitingRun> {
protected:
  SignalWhileConnecting() { time_scale_ = 1.0; } // polls at their own pace, as a user waits
};

TEST_P(SignalWhileConnecting, StopsThePollingAndSaysNothingWasWritten) {
  DevsimProcess device(kSilentDevice);
  const auto process = start({QStringLiteral("--port"), port_of(device), QStringLiteral("--lang"),
                              QString::fromLatin1(GetParam().language), firmware()});
  ASSERT_TRUE(wait_for_frames(device, 5));
  end_by(*process, SIGINT);
  expect_interrupted(*process, QString::fromUtf8(GetParam().said));
  const auto log = device.finalLog();
  EXPECT_LT(count_of(log, kIdentificationRequest), 201u);
  EXPECT_EQ(count_of(log, kIdentificationRequest), log.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cli, SignalWhileConnecting,
    ::testing::Values(WaitingRun{"en", "The update was interrupted before anything was written to the device."},
                      WaitingRun{"de",
                                 "Das Update wurde abgebrochen, bevor etwas auf das Ger\u00e4t geschrieben wurde."}),
    [](const auto& info) { return std::string(info.param.language); });

TEST_F(InterruptionTest, SecondSignalEndsTheProgramAtOnce) {
  // Programming frames go unanswered: the start and the closing command each
  // wait through three read time-outs, some 3 s in all.
  DevsimProcess device({"--silent-frames", "100000"});
  const auto process = start(update_arguments(port_of(device), firmware()));
  ASSERT_TRUE(wait_for_frames(device, 2)) << "the start command sent";
  // Two of the same signal sent at once may arrive as one.
  ::kill(static_cast<pid_t>(process->processId()), SIGINT);
  end_by(*process, SIGTERM);
  EXPECT_EQ(process->exitStatus(), QProcess::CrashExit) << "ended by the signal, not after the closing command";
}

// Standard output goes into a pipe of the test's own, which the test closes
// after a few lines, as `kovoflash-cli ... | head -2` would.
TEST_F(InterruptionTest, ReaderThatStopsReadingDoesNotEndTheRun) {
  DevsimProcess device;
  int pipe_ends[2];
  ASSERT_EQ(::pipe2(pipe_ends, O_CLOEXEC), 0);
  QProcess process;
  process.setProcessEnvironment(environment());
  process.setChildProcessModifier([write_end = pipe_ends[1]] { ::dup2(write_end, STDOUT_FILENO); });
  process.start(QStringLiteral(KOVOFLASH_CLI), update_arguments(port_of(device), firmware()));
  ASSERT_TRUE(process.waitForStarted());
  ::close(pipe_ends[1]);
  std::string read;
  char chunk[256];
  pollfd readable{pipe_ends[0], POLLIN, 0};
  while (std::count(read.begin(), read.end(), '\n') < 2 && ::poll(&readable, 1, 30000) > 0) {
    const ssize_t got = ::read(pipe_ends[0], chunk, sizeof chunk);
    if (got <= 0) break;
    read.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(pipe_ends[0]);
  EXPECT_NE(read.find("Switch the device on now."), std::string::npos) << read;
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "not ended by the closed pipe";
  EXPECT_EQ(process.exitCode(), kExitSuccess) << process.readAllStandardError().toStdString();
  expect_programmed(device);
}

} // namespace
} // namespace kovo::cli_testing
