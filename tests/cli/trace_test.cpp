// --trace: every frame on the line, with the time, the port and the attempt.
// What the trace says was sent must be exactly what the simulated device
// received, in order; each port of a workshop run gets its own file.
#include "cli_fixture.h"
#include "devsim_process.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <memory>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

const std::vector<Block> kFirmware = {{0x0000, Bytes(512, 0x3C)}};
constexpr std::uint8_t kIdentify = 0x01; // FF 01 FF FE: the identification request

// One line of the trace: <microseconds> <port> <attempt> sent|received <hex bytes>...
struct TracedFrame {
  long long microseconds = 0;
  QString port;
  int attempt = 0;
  QString direction;
  Bytes bytes;

  bool sent() const { return direction == QStringLiteral("sent"); }
  bool identification_request() const { return sent() && bytes.size() > 1 && bytes[1] == kIdentify; }
};

std::vector<TracedFrame> read_trace(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  std::vector<TracedFrame> frames;
  for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QStringList fields = line.section(QLatin1Char('('), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    TracedFrame frame{fields.value(0).toLongLong(), fields.value(1), fields.value(2).toInt(), fields.value(3), {}};
    for (const QString& byte : fields.mid(4))
      frame.bytes.push_back(static_cast<std::uint8_t>(byte.toUInt(nullptr, 16)));
    frames.push_back(frame);
  }
  return frames;
}

std::vector<Bytes> sent_frames(const std::vector<TracedFrame>& trace) {
  std::vector<Bytes> sent;
  for (const TracedFrame& frame : trace) {
    if (frame.sent()) sent.push_back(frame.bytes);
  }
  return sent;
}

std::vector<Bytes> logged_frames(const DevsimProcess& device) {
  std::vector<Bytes> logged;
  for (const auto& frame : device.readLog()) logged.push_back(frame.bytes);
  return logged;
}

// The trace file of one port of many: FILE.PORT, /dev/ dropped, / made -.
QString trace_file_for_test(const QString& trace, const QString& port) {
  return trace + QStringLiteral(".") + port.mid(5).replace(QLatin1Char('/'), '-');
}

// Simulated devices, and the --port arguments that name them.
struct Devices {
  std::vector<std::unique_ptr<DevsimProcess>> running;
  QStringList arguments;
};

class TraceTest : public CliTest {
protected:
  Devices start_devices(std::size_t count) const {
    Devices devices;
    for (std::size_t index = 0; index < count; ++index) {
      devices.running.push_back(std::make_unique<DevsimProcess>());
      devices.arguments << QStringLiteral("--port") << port_of(*devices.running.back());
    }
    return devices;
  }

  QString firmware() const { return write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware)); }
  QString trace_path() const { return write_file(QStringLiteral("trace.txt"), {}); }
};

TEST_F(TraceTest, HoldsExactlyTheFramesTheDeviceReceivedInOrder) {
  DevsimProcess device;
  const QString trace = trace_path();
  const CliRun result = run(update_arguments(port_of(device), firmware()) << QStringLiteral("--trace") << trace);
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  device.stop();
  const auto traced = read_trace(trace);
  EXPECT_EQ(sent_frames(traced), logged_frames(device));
  long long previous = -1;
  for (const TracedFrame& frame : traced) {
    EXPECT_EQ(frame.port, port_of(device));
    EXPECT_EQ(frame.attempt, 1) << "a device that answers every frame at once";
    EXPECT_GE(frame.microseconds, previous) << "in the order they happened";
    previous = frame.microseconds;
  }
}

// Each frame is answered on the line by its echo and a reply. A poll whose
// reply a busy machine delays past the poll's interval is followed by the
// next poll instead.
TEST_F(TraceTest, RecordsWhatCameBackAfterEachFrame) {
  DevsimProcess device;
  const QString trace = trace_path();
  ASSERT_EQ(run(update_arguments(port_of(device), firmware()) << QStringLiteral("--trace") << trace).exit_code,
            kExitSuccess);
  const auto traced = read_trace(trace);
  ASSERT_GE(traced.size(), 2u);
  for (std::size_t index = 0; index + 1 < traced.size(); ++index) {
    if (!traced[index].sent()) continue;
    const TracedFrame& reply = traced[index + 1];
    if (traced[index].identification_request() && reply.identification_request()) continue;
    EXPECT_EQ(reply.direction, QStringLiteral("received")) << "after frame " << index;
    ASSERT_GT(reply.bytes.size(), traced[index].bytes.size());
    EXPECT_EQ(Bytes(reply.bytes.begin(), reply.bytes.begin() + static_cast<long>(traced[index].bytes.size())),
              traced[index].bytes)
        << "the echo";
  }
}

// A frame that goes unanswered is sent three times: attempts 1, 2 and 3.
TEST_F(TraceTest, NumbersTheAttemptsOfAFrameThatGoesUnanswered) {
  time_scale_ = kShortTimeScale;
  DevsimProcess device({"--silent-after-frames", "3"});
  const QString trace = trace_path();
  const CliRun result = run(update_arguments(port_of(device), firmware()) << QStringLiteral("--trace") << trace);
  ASSERT_EQ(result.exit_code, kExitProgramming);
  device.stop();
  const auto traced = read_trace(trace);
  EXPECT_EQ(sent_frames(traced), logged_frames(device));
  std::vector<int> attempts;
  for (const TracedFrame& frame : traced) {
    if (frame.sent() && !frame.identification_request()) attempts.push_back(frame.attempt);
  }
  // Three answered frames, then the fourth and the closing command, each
  // tried three times.
  EXPECT_EQ(attempts, (std::vector<int>{1, 1, 1, 1, 2, 3, 1, 2, 3}));
}

TEST_F(TraceTest, WritesOneFilePerPortInAWorkshopRun) {
  DevsimProcess first;
  DevsimProcess second;
  const QString trace = trace_path();
  const CliRun result =
      run({QStringLiteral("--port"), port_of(first), QStringLiteral("--port"), port_of(second),
           QStringLiteral("--trace"), trace, QStringLiteral("--lang"), QStringLiteral("en"), firmware()});
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.out.toStdString();
  for (DevsimProcess* device : {&first, &second}) {
    device->stop();
    const QString port_file = trace_file_for_test(trace, port_of(*device));
    const auto traced = read_trace(port_file);
    EXPECT_FALSE(traced.empty()) << port_file.toStdString();
    EXPECT_EQ(sent_frames(traced), logged_frames(*device)) << port_file.toStdString();
  }
}

// With one port and with many: no port is opened when a trace file cannot be made.
class UnwritableTraceTest : public TraceTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(UnwritableTraceTest, IsRefusedBeforeAnyPortIsTouched) {
  auto [devices, arguments] = start_devices(GetParam());
  const QString trace = QStringLiteral("/nonexistent-folder/trace.txt");
  const CliRun result = run(arguments << QStringLiteral("--trace") << trace << firmware());
  EXPECT_EQ(result.exit_code, kExitUsage);
  EXPECT_TRUE(result.err.startsWith(QStringLiteral("The trace file ") + trace)) << result.err.toStdString();
  EXPECT_TRUE(result.err.endsWith(QStringLiteral(" cannot be written.\n"))) << result.err.toStdString();
  for (const auto& device : devices) EXPECT_TRUE(device->readLog().empty());
}

INSTANTIATE_TEST_SUITE_P(Cli, UnwritableTraceTest, ::testing::Values(1u, 2u),
                         [](const auto& info) { return info.param == 1 ? "one_port" : "two_ports"; });

// A trace that would destroy a file the run needs, or that is no regular
// file, is refused before any port opens and before anything is emptied.
// With many ports, the first port's trace file (FILE.PORT) is the one made so.
enum class TraceTarget { FirmwareFile, FirmwareFileByLink, SettingsFile, SettingsFileByLink, Pipe, Device };

struct RefusedTrace {
  const char* name;
  TraceTarget target;
  const char* reason; // %1 the trace file as given
};

void PrintTo(const RefusedTrace& refused, std::ostream* out) { *out << refused.name; }

class RefusedTraceTest : public TraceTest, public ::testing::WithParamInterface<std::tuple<RefusedTrace, std::size_t>> {
protected:
  RefusedTraceTest() {
    QDir().mkpath(QFileInfo(settings_file()).path());
    write_whole_file(settings_file(), kSettings);
  }

  // The path the trace is to be written to, made what the case needs.
  QString made_target(TraceTarget target, const QString& firmware, const QString& at) const {
    switch (target) {
    case TraceTarget::FirmwareFile: return firmware;
    case TraceTarget::SettingsFile: return settings_file();
    case TraceTarget::FirmwareFileByLink: QFile::link(firmware, at); return at;
    case TraceTarget::SettingsFileByLink: QFile::link(settings_file(), at); return at;
    case TraceTarget::Pipe: ::mkfifo(QFile::encodeName(at).constData(), 0600); return at;
    case TraceTarget::Device: QFile::link(QStringLiteral("/dev/full"), at); return at;
    }
    return at;
  }

  static constexpr char kSettings[] = "7\n/old/firmware.frm\n1\n";
};

TEST_P(RefusedTraceTest, IsRefusedAndNothingIsEmptied) {
  const auto& [refused, port_count] = GetParam();
  auto [devices, arguments] = start_devices(port_count);
  const QString file = firmware();
  const QByteArray firmware_before = intel_hex(kFirmware).c_str();
  const QString named = QFileInfo(file).path() + QStringLiteral("/trace.txt");
  // One port: the trace named so; many: the trace of the first port (FILE.PORT) made so by a link.
  QString trace = named;
  QString made = trace_file_for_test(named, port_of(*devices.front()));
  if (port_count == 1) {
    trace = made_target(refused.target, file, named);
    made = trace;
  } else {
    QFile::link(made_target(refused.target, file, named + QStringLiteral(".target")), made);
  }
  const CliRun result =
      run(arguments << QStringLiteral("--trace") << trace << file, environment(), std::chrono::seconds(30));
  EXPECT_EQ(result.exit_code, kExitUsage);
  EXPECT_EQ(result.err, QString::fromUtf8(refused.reason).arg(made) + QLatin1Char('\n'));
  QFile firmware_now(file);
  ASSERT_TRUE(firmware_now.open(QIODevice::ReadOnly));
  EXPECT_EQ(firmware_now.readAll(), firmware_before);
  QFile settings(settings_file());
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  EXPECT_EQ(settings.readAll(), QByteArray(kSettings));
  for (const auto& device : devices) EXPECT_TRUE(device->readLog().empty()) << "no port opened";
}

const RefusedTrace kRefusedTraces[] = {
    {"firmware_file", TraceTarget::FirmwareFile, "The trace file %1 is the firmware file."},
    {"firmware_file_by_link", TraceTarget::FirmwareFileByLink, "The trace file %1 is the firmware file."},
    {"settings_file", TraceTarget::SettingsFile, "The trace file %1 is the settings file."},
    {"settings_file_by_link", TraceTarget::SettingsFileByLink, "The trace file %1 is the settings file."},
    {"pipe", TraceTarget::Pipe, "The trace file %1 is not a regular file."},
    {"device", TraceTarget::Device, "The trace file %1 is not a regular file."},
};

INSTANTIATE_TEST_SUITE_P(Cli, RefusedTraceTest,
                         ::testing::Combine(::testing::ValuesIn(kRefusedTraces), ::testing::Values(1u, 2u)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == 1 ? "_one_port" : "_two_ports");
                         });

// The run's files may grow only so far (as on a full disk); writes beyond
// fail instead of ending the program.
constexpr rlim_t kRoomForFiles = 4096;

class TraceWriteFailure : public TraceTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(TraceWriteFailure, IsWarnedOfAtTheEndNamingTheFile) {
  auto [devices, arguments] = start_devices(GetParam());
  const QString trace = trace_path();
  QProcess process;
  process.setProcessEnvironment(environment());
  process.setChildProcessModifier([] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit room{kRoomForFiles, kRoomForFiles};
    ::setrlimit(RLIMIT_FSIZE, &room);
  });
  process.start(QStringLiteral(KOVOFLASH_CLI), arguments << QStringLiteral("--trace") << trace
                                                         << QStringLiteral("--lang") << QStringLiteral("en")
                                                         << firmware());
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), kExitSuccess) << "the devices were programmed all the same";
  const QString out = QString::fromUtf8(process.readAllStandardOutput());
  const QString err = QString::fromUtf8(process.readAllStandardError());
  const QString port_trace = GetParam() == 1 ? trace : trace_file_for_test(trace, port_of(*devices.front()));
  const QString warning = QStringLiteral("Warning: the trace file %1 could not be written completely.").arg(port_trace);
  EXPECT_TRUE((GetParam() == 1 ? err : out).contains(warning)) << out.toStdString() << err.toStdString();
  EXPECT_EQ(QFileInfo(port_trace).size(), static_cast<qint64>(kRoomForFiles)) << "written up to the limit";
}

INSTANTIATE_TEST_SUITE_P(Cli, TraceWriteFailure, ::testing::Values(1u, 2u),
                         [](const auto& info) { return info.param == 1 ? "one_port" : "two_ports"; });

} // namespace
} // namespace kovo::cli_testing
