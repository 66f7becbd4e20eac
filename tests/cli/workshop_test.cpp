// Workshop mode: many ports at once, each updated by a copy of the program.
// Four simulated devices, two of which fail in different ways: the other two
// are programmed all the same, the summary and the JSON events say which
// failed and why, and the exit status is the highest of the ports'.
#include "cli_fixture.h"
#include "devsim_process.h"
#include "pseudo_terminal.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <csignal>
#include <map>
#include <memory>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

constexpr std::size_t kProgrammedSize = 16384;
const Bytes kProgEnd = {0xFF, 0x02, 0x02, 0x00};
const char kProgrammed[] = "Firmware programmed.";
const char kUnsupported[] = "This device cannot be updated.";
const char kFailed[] = "Programming failed.";
const char kInterrupted[] = "The update was interrupted and must be repeated.";

Bytes pattern(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
  return bytes;
}

const std::vector<Block> kFirmware = {{0x0000, pattern(2048)}, {0x3F00, pattern(256)}};

// What each port should end with.
struct Expected {
  int status;
  const char* message;
};

class WorkshopTest : public CliTest {
protected:
  WorkshopTest() { time_scale_ = kShortTimeScale; }

  QString firmware() const { return write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware)); }

  // Two good devices, one of a type this version does not update, one that
  // stops answering mid-run.
  void start_devices() {
    devices_.push_back(std::make_unique<DevsimProcess>());
    devices_.push_back(std::make_unique<DevsimProcess>(std::vector<std::string>{"--type", "D1"}));
    devices_.push_back(std::make_unique<DevsimProcess>());
    devices_.push_back(std::make_unique<DevsimProcess>(std::vector<std::string>{"--silent-after-frames", "40"}));
    expected_ = {{0, kProgrammed}, {kExitUnsupported, kUnsupported}, {0, kProgrammed}, {kExitProgramming, kFailed}};
  }

  // Two devices updated with standard output on the terminal; what it showed.
  std::string shown_on(const testing::PseudoTerminal& terminal, const DevsimProcess& first,
                       const DevsimProcess& second) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setStandardOutputFile(QString::fromStdString(terminal.device_path()));
    process.start(QStringLiteral(KOVOFLASH_CLI),
                  {QStringLiteral("--port"), port_of(first), QStringLiteral("--port"), port_of(second),
                   QStringLiteral("--lang"), QStringLiteral("en"), firmware()});
    std::string shown;
    const auto drain = [&] {
      for (unsigned char byte : terminal.received()) shown += static_cast<char>(byte);
    };
    for (int waited = 0; !process.waitForFinished(50) && waited < 60000; waited += 50) drain();
    drain();
    EXPECT_EQ(process.exitCode(), kExitSuccess);
    return shown;
  }

  QStringList port_arguments() const {
    QStringList arguments;
    for (const auto& device : devices_) arguments << QStringLiteral("--port") << port_of(*device);
    return arguments;
  }

  CliRun run_all(const QStringList& extra = {}) const {
    return run(port_arguments() + extra + QStringList{QStringLiteral("--lang"), QStringLiteral("en"), firmware()});
  }

  void expect_good_devices_programmed() const {
    for (std::size_t index = 0; index < devices_.size(); ++index) {
      if (expected_[index].status != 0) continue;
      devices_[index]->stop();
      const Bytes memory = devices_[index]->readMemory();
      ASSERT_GE(memory.size(), kProgrammedSize);
      EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize))
          << "device " << index;
    }
  }

  // The summary's row of each port: port, device, status and message, seconds.
  void expect_summary(const QString& output) const {
    for (std::size_t index = 0; index < devices_.size(); ++index) {
      const QRegularExpression row(QStringLiteral("\n%1 +\\S.* +%2 %3 +\\d+\\.\\d\n")
                                       .arg(QRegularExpression::escape(port_of(*devices_[index])))
                                       .arg(expected_[index].status)
                                       .arg(QRegularExpression::escape(QString::fromUtf8(expected_[index].message))));
      EXPECT_TRUE(row.match(output).hasMatch()) << "port " << index << " in\n" << output.toStdString();
    }
    EXPECT_TRUE(output.contains(QStringLiteral("\n2 of 4 ports failed.\n"))) << output.toStdString();
  }

  std::vector<std::unique_ptr<DevsimProcess>> devices_;
  std::vector<Expected> expected_;
};

TEST_F(WorkshopTest, ProgramsTheGoodDevicesAndExitsWithTheHighestFailure) {
  start_devices();
  const CliRun result = run_all();
  EXPECT_EQ(result.exit_code, kExitProgramming) << result.out.toStdString();
  expect_summary(result.out);
  expect_good_devices_programmed();
}

TEST_F(WorkshopTest, PlainLinesNameTheirPort) {
  start_devices();
  const CliRun result = run_all();
  const QString summary_head = QStringLiteral("\nport ");
  const QStringList lines = result.out.left(result.out.indexOf(summary_head)).split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    if (line.isEmpty()) continue;
    const bool prefixed = std::any_of(devices_.begin(), devices_.end(), [&](const auto& device) {
      return line.startsWith(port_of(*device) + QStringLiteral(": "));
    });
    EXPECT_TRUE(prefixed) << line.toStdString();
  }
  EXPECT_TRUE(result.out.contains(port_of(*devices_[0]) + QStringLiteral(": 100 %\n"))) << result.out.toStdString();
}

// One object per line; every event names its port; one result per port, and
// the results agree with the summary, which goes to standard error.
TEST_F(WorkshopTest, JsonEventsParseAndAgreeWithTheSummary) {
  start_devices();
  const CliRun result = run_all({QStringLiteral("--json")});
  EXPECT_EQ(result.exit_code, kExitProgramming);
  expect_summary(result.err);
  std::map<QString, std::vector<QJsonObject>> results;
  std::map<QString, int> highest_percent;
  for (const QString& line : result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    ASSERT_TRUE(document.isObject()) << line.toStdString();
    const QJsonObject event = document.object();
    const QString port = event.value(QStringLiteral("port")).toString();
    if (event.value(QStringLiteral("phase")).toString() == QStringLiteral("result")) results[port].push_back(event);
    highest_percent[port] = std::max(highest_percent[port], event.value(QStringLiteral("percent")).toInt());
  }
  ASSERT_EQ(results.size(), devices_.size()) << result.out.toStdString();
  for (std::size_t index = 0; index < devices_.size(); ++index) {
    const QString port = port_of(*devices_[index]);
    ASSERT_EQ(results[port].size(), 1u) << port.toStdString();
    const QJsonObject& last = results[port].front();
    EXPECT_EQ(last.value(QStringLiteral("status")).toInt(-1), expected_[index].status) << port.toStdString();
    EXPECT_EQ(last.value(QStringLiteral("message")).toString(), QString::fromUtf8(expected_[index].message));
    if (expected_[index].status == 0) {
      EXPECT_EQ(highest_percent[port], 100) << port.toStdString();
    }
  }
  EXPECT_EQ(results[port_of(*devices_[0])].front().value(QStringLiteral("device")).toString(),
            QStringLiteral("Kovo RX-07"));
  EXPECT_EQ(results[port_of(*devices_[0])].front().value(QStringLiteral("version")).toString(),
            QStringLiteral("V 2.3"));
  expect_good_devices_programmed();
}

// On a terminal: one line per port, all of them redrawn in place (the
// cursor goes back up over them), each ending with its result.
TEST_F(WorkshopTest, DrawsOneLiveLinePerPortOnATerminal) {
  DevsimProcess first;
  DevsimProcess second;
  const testing::PseudoTerminal terminal;
  const std::string shown = shown_on(terminal, first, second);
  EXPECT_NE(shown.find("\x1b[2A"), std::string::npos) << shown;
  for (const DevsimProcess* device : {&first, &second}) {
    const std::string line_start = "\r" + port_of(*device).toStdString() + "  Kovo RX-07 V 2.3  [";
    const std::string line_end = "] 100 %  Firmware programmed.\x1b[K";
    const std::size_t last = shown.rfind(line_start);
    ASSERT_NE(last, std::string::npos) << shown;
    EXPECT_NE(shown.find(line_end, last), std::string::npos) << shown.substr(last);
  }
}

// A wrapped line would take two rows, and the redraw would climb into the
// lines above it.
TEST_F(WorkshopTest, LiveLinesStayWithinANarrowTerminal) {
  constexpr std::size_t kColumns = 50;
  DevsimProcess first;
  DevsimProcess second;
  const testing::PseudoTerminal terminal;
  terminal.set_columns(kColumns);
  const std::string shown = shown_on(terminal, first, second);
  const std::string summary = "\n\n"; // the live lines end where the summary's blank line begins
  const std::string live = shown.substr(0, shown.find(summary));
  std::size_t lines = 0;
  for (std::size_t start = live.find('\r'); start != std::string::npos; start = live.find('\r', start + 1)) {
    const std::size_t end = live.find("\x1b[K", start);
    ASSERT_NE(end, std::string::npos) << live.substr(start);
    EXPECT_LT(end - start - 1, kColumns) << live.substr(start, end - start);
    ++lines;
  }
  EXPECT_GE(lines, 2u);
}

// One port with --json: the events alone on standard output, what a person
// reads on standard error.
TEST_F(WorkshopTest, JsonForOnePortPutsTheEventsAloneOnStandardOutput) {
  DevsimProcess device;
  const CliRun result = run(update_arguments(port_of(device), firmware()) << QStringLiteral("--json"));
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  for (const QString& line : lines) {
    EXPECT_TRUE(QJsonDocument::fromJson(line.toUtf8()).isObject()) << line.toStdString();
  }
  const QJsonObject last = QJsonDocument::fromJson(lines.last().toUtf8()).object();
  EXPECT_EQ(last.value(QStringLiteral("phase")).toString(), QStringLiteral("result"));
  EXPECT_EQ(last.value(QStringLiteral("status")).toInt(-1), kExitSuccess);
  EXPECT_EQ(last.value(QStringLiteral("port")).toString(), port_of(device));
  EXPECT_TRUE(result.err.endsWith(QStringLiteral("Firmware programmed.\n"))) << result.err.toStdString();
}

TEST_F(WorkshopTest, LeavesTheStoredSettingsAlone) {
  DevsimProcess first;
  DevsimProcess second;
  const CliRun result = run({QStringLiteral("--port"), port_of(first), QStringLiteral("--port"), port_of(second),
                             QStringLiteral("--lang"), QStringLiteral("en"), firmware()});
  EXPECT_EQ(result.exit_code, kExitSuccess) << result.out.toStdString();
  EXPECT_FALSE(QFile::exists(settings_file()));
  EXPECT_TRUE(current_folder_entries().isEmpty());
}

TEST_F(WorkshopTest, FaultyFileIsRefusedOnceBeforeAnyPort) {
  DevsimProcess first;
  DevsimProcess second;
  const QString file = write_file(QStringLiteral("faulty.frm"), ":0100000011EF\n:00000001FF\n");
  const CliRun result = run({QStringLiteral("--port"), port_of(first), QStringLiteral("--port"), port_of(second),
                             QStringLiteral("--lang"), QStringLiteral("en"), file});
  EXPECT_EQ(result.exit_code, kExitFile);
  EXPECT_EQ(result.err, QStringLiteral("The firmware file is faulty.\n"));
  EXPECT_TRUE(first.readLog().empty());
  EXPECT_TRUE(second.readLog().empty());
}

// Ctrl-C at the program reaches every port once: each device gets its
// closing command last, and every port ends as interrupted.
TEST_F(WorkshopTest, StopRequestEndsEveryPortWithItsClosingCommand) {
  time_scale_ = 1.0;
  DevsimProcess first({"--reply-delay", "2"});
  DevsimProcess second({"--reply-delay", "2"});
  const auto process = start({QStringLiteral("--port"), port_of(first), QStringLiteral("--port"), port_of(second),
                              QStringLiteral("--lang"), QStringLiteral("en"), firmware()});
  ASSERT_TRUE(wait_for_frames(first, 50));
  ASSERT_TRUE(wait_for_frames(second, 50));
  ::kill(static_cast<pid_t>(process->processId()), SIGINT);
  ASSERT_TRUE(process->waitForFinished(30000));
  EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process->exitCode(), kExitInterrupted);
  const QString out = QString::fromUtf8(process->readAllStandardOutput());
  EXPECT_EQ(out.count(QStringLiteral(" 8 ") + QString::fromUtf8(kInterrupted)), 2) << out.toStdString();
  for (const DevsimProcess* device : {&first, &second}) {
    const auto log = device->readLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().bytes, kProgEnd) << "the closing command comes last";
  }
}

struct WorkshopUsage {
  const char* name;
  QStringList arguments;
  const char* reason;
};

class WorkshopUsageTest : public CliTest, public ::testing::WithParamInterface<WorkshopUsage> {};

TEST_P(WorkshopUsageTest, IsRefused) {
  const CliRun result = run(GetParam().arguments);
  EXPECT_EQ(result.exit_code, kExitUsage);
  EXPECT_TRUE(result.err.contains(QString::fromUtf8(GetParam().reason))) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cli, WorkshopUsageTest,
    ::testing::Values(WorkshopUsage{"check_with_port", {"--check", "a.frm", "--port", "x"}, "--check takes only"},
                      WorkshopUsage{"check_with_file", {"--check", "a.frm", "b.frm"}, "--check takes only"},
                      WorkshopUsage{"list_with_all_links", {"--list-ports", "--all-links"}, "--list-ports takes no"},
                      WorkshopUsage{"trace_without_file", {"a.frm", "--trace"}, "trace"},
                      WorkshopUsage{"child_with_two_ports",
                                    {"--workshop-child", "--port", "a", "--port", "b", "a.frm"},
                                    "--workshop-child takes one --port"}),
    [](const ::testing::TestParamInfo<WorkshopUsage>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::cli_testing
