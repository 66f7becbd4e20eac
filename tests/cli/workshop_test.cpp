// Workshop mode: many ports at once, each updated by a copy of the program.
// Four simulated devices, two of which fail in different ways: the other two
// are programmed all the same, the summary and the JSON events say which
// failed and why, and the exit status is the highest of the ports'. Copies
// leave each other's ports alone, stop when the program is gone, and one
// port named twice is refused before any port is opened.
#include "cli_fixture.h"
#include "devsim_process.h"
#include "held_line.h"
#include "open_watch.h"
#include "pseudo_terminal.h"
#include "terminal_run.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <map>
#include <memory>
#include <set>
#include <thread>

namespace kovo::cli_testing {
namespace {

using namespace std::chrono_literals;
using testsupport::DevsimProcess;

constexpr std::size_t kProgrammedSize = 16384;
constexpr std::size_t kFramesOfAnUpdate = 1218; // start, 64 pages of 19 frames, closing
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

// What /proc tells of a process.
struct ProcessEntry {
  pid_t parent;
  char state;
  QStringList arguments;
};

std::optional<ProcessEntry> process_entry(pid_t pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  QFile command_line(QStringLiteral("/proc/%1/cmdline").arg(pid));
  if (!stat.open(QIODevice::ReadOnly) || !command_line.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray line = stat.readAll();
  // "pid (command) state parent ...": the command may hold blanks and parentheses.
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 2 || fields[0].isEmpty()) return std::nullopt;
  QStringList arguments;
  for (const QByteArray& argument : command_line.readAll().split('\0')) arguments << QString::fromUtf8(argument);
  return ProcessEntry{static_cast<pid_t>(fields[1].toInt()), fields[0].at(0), arguments};
}

// The copy a workshop run started for port: its child whose --port names it.
pid_t copy_for_port(qint64 program, const QString& port) {
  for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool is_pid = false;
    const pid_t pid = name.toInt(&is_pid);
    const auto entry = is_pid ? process_entry(pid) : std::nullopt;
    if (!entry || entry->parent != program) continue;
    const qsizetype option = entry->arguments.indexOf(QStringLiteral("--port"));
    if (option >= 0 && entry->arguments.value(option + 1) == port) return pid;
  }
  return -1;
}

// Gone, or ended and not yet reaped by whoever inherited it.
bool has_ended(pid_t pid) {
  const auto entry = process_entry(pid);
  return !entry || entry->state == 'Z';
}

template <class Condition>
bool within(std::chrono::seconds deadline, Condition condition) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

bool can_open(const QString& port) { return testing::HeldLine(port.toStdString()).held(); }

QStringList entries_of(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// What each port should end with.
struct Expected {
  int status;
  const char* message;
};

class WorkshopTest : public CliTest {
protected:
  QString firmware() const { return write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware)); }

  // Two good devices, one of a type this version does not update, one that
  // stops answering mid-run, whose unanswered attempts take a fifth of their time.
  void start_devices() {
    time_scale_ = kShortTimeScale;
    devices_.push_back(std::make_unique<DevsimProcess>());
    devices_.push_back(std::make_unique<DevsimProcess>(std::vector<std::string>{"--type", "D1"}));
    devices_.push_back(std::make_unique<DevsimProcess>());
    devices_.push_back(std::make_unique<DevsimProcess>(std::vector<std::string>{"--silent-after-frames", "40"}));
    expected_ = {{0, kProgrammed}, {kExitUnsupported, kUnsupported}, {0, kProgrammed}, {kExitProgramming, kFailed}};
  }

  // The ports updated with standard output on the terminal; what it showed.
  std::string shown_on(const testing::PseudoTerminal& terminal, const QStringList& ports) const {
    QStringList arguments;
    for (const QString& port : ports) arguments << QStringLiteral("--port") << port;
    const auto process = start_on_terminal(
        terminal, arguments << QStringLiteral("--lang") << QStringLiteral("en") << firmware(), environment());
    const TerminalRun run = shown_until_end(*process, terminal);
    EXPECT_EQ(run.exit_code, kExitSuccess);
    return run.shown;
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
  void expect_summary_rows(const QString& output) const {
    for (std::size_t index = 0; index < devices_.size(); ++index) {
      const QRegularExpression row(QStringLiteral("\n%1 +\\S.* +%2 %3 +\\d+\\.\\d\n")
                                       .arg(QRegularExpression::escape(port_of(*devices_[index])))
                                       .arg(expected_[index].status)
                                       .arg(QRegularExpression::escape(QString::fromUtf8(expected_[index].message))));
      EXPECT_TRUE(row.match(output).hasMatch()) << "port " << index << " in\n" << output.toStdString();
    }
  }

  void expect_summary(const QString& output) const {
    expect_summary_rows(output);
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
  const QString loaded = QStringLiteral(": Firmware file loaded: ") + firmware() + QLatin1Char('\n');
  EXPECT_EQ(result.out.count(loaded), 3) << "the user's file, not the copy each port loads\n"
                                         << result.out.toStdString();
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
  // Port names of different lengths, as /dev/pts/5 and /dev/pts/15 are: the
  // device column starts where the longest name leaves room for it.
  const QTemporaryDir links;
  const QString long_name = links.filePath(QStringLiteral("the-first-device-by-a-long-name"));
  ASSERT_TRUE(QFile::link(port_of(first), long_name));
  const QStringList ports = {long_name, port_of(second)};
  const testing::PseudoTerminal terminal;
  const std::string shown = shown_on(terminal, ports);
  EXPECT_NE(shown.find("\x1b[2A"), std::string::npos) << shown;
  std::set<std::size_t> device_columns;
  for (const QString& name : ports) {
    const std::string port = name.toStdString();
    const std::size_t last = shown.rfind("\r" + port + "  ");
    ASSERT_NE(last, std::string::npos) << shown;
    const std::string line = shown.substr(last + 1, shown.find("\x1b[K", last) - last - 1);
    const std::size_t device_column = line.find("Kovo RX-07 V 2.3  [");
    ASSERT_NE(device_column, std::string::npos) << line;
    EXPECT_EQ(line.find_first_not_of(' ', port.size()), device_column) << line;
    device_columns.insert(device_column);
    EXPECT_TRUE(line.ends_with("] 100 %  Firmware programmed.")) << line;
  }
  EXPECT_EQ(device_columns.size(), 1u) << "the device columns do not line up\n" << shown;
}

// A wrapped line would take two rows, and the redraw would climb into the
// lines above it; each line keeps its port, its percent and the start of its
// result.
TEST_F(WorkshopTest, LiveLinesStayWithinANarrowTerminal) {
  constexpr std::size_t kColumns = 50;
  DevsimProcess first;
  DevsimProcess second;
  const testing::PseudoTerminal terminal;
  terminal.set_columns(kColumns);
  const std::string shown = shown_on(terminal, {port_of(first), port_of(second)});
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
  // The bar gives way before the percent does; the message is cut last.
  for (const DevsimProcess* device : {&first, &second}) {
    const std::size_t last = live.rfind("\r" + port_of(*device).toStdString() + " ");
    ASSERT_NE(last, std::string::npos) << live;
    const std::string line = live.substr(last, live.find("\x1b[K", last) - last);
    EXPECT_NE(line.find(" 100 %  Firm"), std::string::npos) << line;
  }
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
  EXPECT_TRUE(result.err.contains(QStringLiteral("\nFirmware programmed. ("))) << result.err.toStdString();
  EXPECT_EQ(last.value(QStringLiteral("message")).toString(), QStringLiteral("Firmware programmed."));
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

// Each copy of the program takes the file the program took.
TEST_F(WorkshopTest, ForcedFileWithoutDataReachesEveryPort) {
  DevsimProcess first;
  DevsimProcess second;
  const QString file = write_file(QStringLiteral("empty.frm"), ":00000001FF\n");
  const CliRun result = run({QStringLiteral("--port"), port_of(first), QStringLiteral("--port"), port_of(second),
                             QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("--force"), file});
  EXPECT_EQ(result.exit_code, kExitSuccess) << result.out.toStdString();
  EXPECT_FALSE(first.readLog().empty());
  EXPECT_FALSE(second.readLog().empty());
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

// Every copy lists the ports. Had the list opened them, copies would take each
// other's ports for a moment, and healthy ports would end "in use" or "not
// found". Eight listed devices, every one programmed in every round; a port
// listed but named by no --port is never opened.
TEST_F(WorkshopTest, UpdatesEveryListedDeviceInEveryRoundAndOpensNoOtherPort) {
  constexpr int kDevices = 8;
  constexpr int kRounds = 3;
  for (int i = 0; i < kDevices; ++i) devices_.push_back(std::make_unique<DevsimProcess>());
  const testing::PseudoTerminal bystander;
  QStringList listed = {QString::fromStdString(bystander.device_path())};
  for (const auto& device : devices_) listed << port_of(*device);
  const testing::OpenWatch watch(bystander.device_path());
  const QStringList arguments = port_arguments() << QStringLiteral("--lang") << QStringLiteral("en") << firmware();
  for (int round = 0; round < kRounds; ++round) {
    const CliRun result = run(arguments, with_virtual_ports(listed), 180s);
    EXPECT_EQ(result.exit_code, kExitSuccess) << "round " << round << "\n" << result.out.toStdString();
  }
  EXPECT_FALSE(watch.opened_since());
}

// Killed outright, the program can neither pass a stop request on nor
// report: each copy stops by itself as on Ctrl-C, well before the end of the
// image, sends its closing command and frees its port; nothing is left in
// the temporary folder.
TEST_F(WorkshopTest, CopiesStopWithTheClosingCommandWhenTheProgramIsKilled) {
  time_scale_ = 1.0;
  devices_.push_back(std::make_unique<DevsimProcess>(std::vector<std::string>{"--reply-delay", "5"}));
  devices_.push_back(std::make_unique<DevsimProcess>(std::vector<std::string>{"--reply-delay", "5"}));
  const QTemporaryDir temporary;
  QProcessEnvironment environment = this->environment();
  environment.insert(QStringLiteral("TMPDIR"), temporary.path());
  const auto process =
      start(port_arguments() << QStringLiteral("--lang") << QStringLiteral("en") << firmware(), environment);
  std::vector<pid_t> copies;
  for (const auto& device : devices_) {
    ASSERT_TRUE(wait_for_frames(*device, 50));
    copies.push_back(copy_for_port(process->processId(), port_of(*device)));
    ASSERT_GT(copies.back(), 0);
  }
  ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
  ASSERT_TRUE(process->waitForFinished(10000));
  for (const pid_t copy : copies) ASSERT_TRUE(within(60s, [copy] { return has_ended(copy); })) << copy;
  const QStringList left_behind = entries_of(temporary.path());
  EXPECT_TRUE(left_behind.isEmpty()) << left_behind.join(QLatin1Char(' ')).toStdString();
  for (const auto& device : devices_) {
    EXPECT_TRUE(can_open(port_of(*device))) << "the port is free";
    const auto log = device->finalLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().bytes, kProgEnd) << "the closing command comes last";
    EXPECT_LT(log.size(), kFramesOfAnUpdate / 2) << "no page after the stop";
  }
}

// A copy killed outright never said how its device was left, and leaves
// nothing in the temporary folder either.
TEST_F(WorkshopTest, CopyKilledOutrightIsReportedAsInterrupted) {
  time_scale_ = 1.0;
  devices_.push_back(std::make_unique<DevsimProcess>(std::vector<std::string>{"--reply-delay", "2"}));
  devices_.push_back(std::make_unique<DevsimProcess>());
  expected_ = {{kExitInterrupted, kInterrupted}, {0, kProgrammed}};
  const QTemporaryDir temporary;
  QProcessEnvironment environment = this->environment();
  environment.insert(QStringLiteral("TMPDIR"), temporary.path());
  const auto process =
      start(port_arguments() << QStringLiteral("--lang") << QStringLiteral("en") << firmware(), environment);
  ASSERT_TRUE(wait_for_frames(*devices_[0], 50));
  const pid_t copy = copy_for_port(process->processId(), port_of(*devices_[0]));
  ASSERT_GT(copy, 0);
  ::kill(copy, SIGKILL);
  ASSERT_TRUE(process->waitForFinished(60000));
  EXPECT_EQ(process->exitCode(), kExitInterrupted);
  expect_summary_rows(QString::fromUtf8(process->readAllStandardOutput()));
  const QStringList left_behind = entries_of(temporary.path());
  EXPECT_TRUE(left_behind.isEmpty()) << left_behind.join(QLatin1Char(' ')).toStdString();
}

// Names of one line, each given as a second --port beside the plain path.
struct NamedTwice {
  const char* name;
  QString (*other_name)(const QString& path, const QString& folder);
};

class PortNamedTwiceTest : public CliTest, public ::testing::WithParamInterface<NamedTwice> {};

TEST_P(PortNamedTwiceTest, IsRefusedBeforeAnyPortIsOpened) {
  DevsimProcess device;
  DevsimProcess other;
  const QTemporaryDir folder;
  const QString path = port_of(device);
  const QString again = GetParam().other_name(path, folder.path());
  const testing::OpenWatch watch(device.ptyPath());
  const QString file = write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware));
  const CliRun result = run({QStringLiteral("--port"), path, QStringLiteral("--port"), port_of(other),
                             QStringLiteral("--port"), again, QStringLiteral("--lang"), QStringLiteral("en"), file});
  EXPECT_EQ(result.exit_code, kExitUsage);
  const QString reason = QStringLiteral("--port %1 and --port %2 name the same port").arg(path, again);
  EXPECT_TRUE(result.err.contains(reason)) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
  EXPECT_FALSE(watch.opened_since());
  EXPECT_TRUE(other.readLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cli, PortNamedTwiceTest,
    ::testing::Values(NamedTwice{"as_given", [](const QString& path, const QString&) { return path; }},
                      NamedTwice{"with_a_doubled_slash",
                                 [](const QString& path, const QString&) {
                                   return QString(path).insert(path.lastIndexOf(QLatin1Char('/')), QLatin1Char('/'));
                                 }},
                      NamedTwice{"through_a_link",
                                 [](const QString& path, const QString& folder) {
                                   const QString link = QDir(folder).filePath(QStringLiteral("link"));
                                   return QFile::link(path, link) ? link : QString();
                                 }}),
    [](const ::testing::TestParamInfo<NamedTwice>& info) { return std::string(info.param.name); });

// --json: every port named gets exactly one result, however the run ends,
// with the status the run exits with for that port.
enum class FileKind { Good, Unreadable, Faulty, NoData };
enum class PortKind { Good, Unsupported, FailingMidway, Missing };

struct JsonEnding {
  const char* name;
  FileKind file;
  std::vector<PortKind> ports; // none: no --port, so one result without a port
  std::vector<int> statuses;
};

class JsonEndingTest : public CliTest, public ::testing::WithParamInterface<JsonEnding> {
protected:
  JsonEndingTest() { time_scale_ = kShortTimeScale; }

  QString port_for(PortKind kind) {
    static const std::map<PortKind, std::vector<std::string>> kOptions = {
        {PortKind::Good, {}},
        {PortKind::Unsupported, {"--type", "D1"}},
        {PortKind::FailingMidway, {"--silent-after-frames", "40"}}};
    if (kind == PortKind::Missing) return folder_.filePath(QStringLiteral("no-such-port"));
    devices_.push_back(std::make_unique<DevsimProcess>(kOptions.at(kind)));
    return port_of(*devices_.back());
  }

  QString file_for(FileKind kind) const {
    switch (kind) {
    case FileKind::Good: return write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware));
    case FileKind::Faulty: return write_file(QStringLiteral("faulty.frm"), ":0100000011EF\n:00000001FF\n");
    case FileKind::NoData: return write_file(QStringLiteral("empty.frm"), ":00000001FF\n");
    case FileKind::Unreadable: break;
    }
    return folder_.filePath(QStringLiteral("missing.frm"));
  }

  const QTemporaryDir folder_; // for what does not exist
  std::vector<std::unique_ptr<DevsimProcess>> devices_;
};

TEST_P(JsonEndingTest, GivesEveryPortOneResultWithItsStatus) {
  const JsonEnding& ending = GetParam();
  QStringList arguments;
  QStringList ports;
  for (const PortKind kind : ending.ports) ports << port_for(kind);
  for (const QString& port : ports) arguments << QStringLiteral("--port") << port;
  const CliRun result = run(arguments << QStringLiteral("--json") << QStringLiteral("--lang") << QStringLiteral("en")
                                      << file_for(ending.file));
  std::map<QString, std::vector<int>> results;
  for (const QString& line : result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
    ASSERT_FALSE(event.isEmpty()) << line.toStdString();
    if (event.value(QStringLiteral("phase")).toString() != QStringLiteral("result")) continue;
    results[event.value(QStringLiteral("port")).toString()].push_back(event.value(QStringLiteral("status")).toInt(-1));
  }
  if (ports.isEmpty()) ports << QString();
  ASSERT_EQ(results.size(), static_cast<std::size_t>(ports.size())) << result.out.toStdString();
  for (qsizetype index = 0; index < ports.size(); ++index) {
    EXPECT_EQ(results[ports[index]], std::vector<int>{ending.statuses[static_cast<std::size_t>(index)]})
        << ports[index].toStdString() << "\n"
        << result.out.toStdString();
  }
  EXPECT_EQ(result.exit_code, *std::max_element(ending.statuses.begin(), ending.statuses.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, JsonEndingTest,
    ::testing::Values(
        JsonEnding{"unreadable_file_no_port", FileKind::Unreadable, {}, {kExitFile}},
        JsonEnding{"unreadable_file_one_port", FileKind::Unreadable, {PortKind::Good}, {kExitFile}},
        JsonEnding{"unreadable_file_two_ports",
                   FileKind::Unreadable,
                   {PortKind::Good, PortKind::Good},
                   {kExitFile, kExitFile}},
        JsonEnding{"faulty_file_one_port", FileKind::Faulty, {PortKind::Good}, {kExitFile}},
        JsonEnding{"faulty_file_two_ports", FileKind::Faulty, {PortKind::Good, PortKind::Good}, {kExitFile, kExitFile}},
        JsonEnding{
            "file_without_data_two_ports", FileKind::NoData, {PortKind::Good, PortKind::Good}, {kExitFile, kExitFile}},
        JsonEnding{"missing_port", FileKind::Good, {PortKind::Missing}, {kExitPort}},
        JsonEnding{"each_port_its_own_ending",
                   FileKind::Good,
                   {PortKind::Good, PortKind::Missing, PortKind::Unsupported, PortKind::FailingMidway},
                   {kExitSuccess, kExitPort, kExitUnsupported, kExitProgramming}}),
    [](const ::testing::TestParamInfo<JsonEnding>& info) { return std::string(info.param.name); });

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
                      WorkshopUsage{"check_with_file", {"--check", "a.frm", "b.frm"}, "give one firmware file"},
                      WorkshopUsage{"list_with_all_links", {"--list-ports", "--all-links"}, "--list-ports takes no"},
                      WorkshopUsage{"trace_without_file", {"a.frm", "--trace"}, "trace"},
                      WorkshopUsage{"child_with_two_ports",
                                    {"--workshop-child", "--port", "a", "--port", "b", "a.frm"},
                                    "--workshop-child takes one --port"}),
    [](const ::testing::TestParamInfo<WorkshopUsage>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::cli_testing
