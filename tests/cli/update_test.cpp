// Whole updates against the simulated device: what lands in its memory, what
// the program prints, which exit status each failure gives, what it keeps.
#include "cli_fixture.h"
#include "devsim_process.h"
#include "pseudo_terminal.h"
#include "terminal_run.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <array>
#include <fstream>
#include <memory>
#include <string>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

constexpr std::size_t kProgrammedSize = 16384; // what a device of memory size 1 receives

Bytes pattern(std::size_t count, unsigned step) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * step + 11);
  return bytes;
}

// The start of the image and its last page.
const std::vector<Block> kFirmware = {{0x0000, pattern(1024, 37)}, {0x3F00, pattern(256, 5)}};

// The last line, with the seconds the run took.
const QRegularExpression kProgrammedIn(QStringLiteral("\nFirmware programmed\\. \\((\\d+\\.\\d) s\\)\n$"));

class UpdateTest : public CliTest {
protected:
  QString firmware() const { return write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware)); }

  CliRun update(const DevsimProcess& device) const { return run(update_arguments(port_of(device), firmware())); }
};

TEST_F(UpdateTest, ProgramsTheFileIntoTheDevice) {
  DevsimProcess device;
  const CliRun result = update(device);
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  device.stop();
  const Bytes memory = device.readMemory();
  ASSERT_GE(memory.size(), kProgrammedSize);
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize));
  EXPECT_TRUE(result.out.contains(QStringLiteral("Device: Kovo RX-07, bootloader V 2.3\n")));
  EXPECT_TRUE(kProgrammedIn.match(result.out).hasMatch()) << result.out.toStdString();
}

TEST_F(UpdateTest, ProgressIntoAPipeComesAsAFewPlainLines) {
  DevsimProcess device;
  const CliRun result = update(device);
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  EXPECT_FALSE(result.out.contains(QLatin1Char('\r')));
  EXPECT_FALSE(result.out.contains(QLatin1Char('\x1b')));
  const QStringList progress = result.out.split(QLatin1Char('\n')).filter(QStringLiteral("program firmware..."));
  EXPECT_EQ(progress,
            QStringList({QStringLiteral("program firmware... 25 %"), QStringLiteral("program firmware... 50 %"),
                         QStringLiteral("program firmware... 75 %"), QStringLiteral("program firmware... 100 %")}));
}

struct TerminalCase {
  const char* name;
  std::size_t columns; // 0: the terminal does not tell
  const char* last_progress;
};

class TerminalTest : public UpdateTest, public ::testing::WithParamInterface<TerminalCase> {};

// A narrow terminal gets a narrower bar, never a wrapped line: a wrapped
// line is not redrawn in place and leaves a fragment on each row.
TEST_P(TerminalTest, DrawsAProgressBarThatFits) {
  DevsimProcess device;
  const testing::PseudoTerminal terminal;
  if (GetParam().columns > 0) terminal.set_columns(GetParam().columns);
  const auto process = start_on_terminal(
      terminal, {QStringLiteral("--port"), port_of(device), QStringLiteral("--lang"), QStringLiteral("en"), firmware()},
      environment());
  const auto [exit_code, shown] = shown_until_end(*process, terminal);
  ASSERT_EQ(exit_code, kExitSuccess) << process->readAllStandardError().toStdString();
  EXPECT_NE(shown.find("\rWaiting for the device: "), std::string::npos) << shown;
  EXPECT_NE(shown.find(std::string("\r") + GetParam().last_progress), std::string::npos) << shown;
  EXPECT_NE(shown.find("\nFirmware programmed. ("), std::string::npos) << shown;
  if (GetParam().columns == 0) return;
  // Each drawing of the live line runs from its carriage return to the next one or the line's end.
  for (std::size_t start = shown.find('\r'); start != std::string::npos; start = shown.find('\r', start + 1)) {
    const std::size_t end = shown.find_first_of("\r\n", start + 1);
    EXPECT_LT(end - start - 1, GetParam().columns) << shown.substr(start, end - start);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, TerminalTest,
    ::testing::Values(TerminalCase{"WidthUnknown", 0,
                                   "program firmware... [##############################] 100 %  0:00 left"},
                      TerminalCase{"SixtyColumns", 60, "program firmware... [####################] 100 %  0:00 left"}),
    [](const ::testing::TestParamInfo<TerminalCase>& info) { return std::string(info.param.name); });

TEST_F(UpdateTest, KeepsItsSettingsInTheConfigurationFolderOnly) {
  DevsimProcess device;
  const QString file = firmware();
  const CliRun result =
      run({QStringLiteral("--port"), port_of(device), QStringLiteral("--lang"), QStringLiteral("en"), file});
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  EXPECT_TRUE(current_folder_entries().isEmpty()) << current_folder_entries().join(' ').toStdString();
  QFile settings(settings_file());
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly | QIODevice::Text));
  const QStringList lines = QString::fromUtf8(settings.readAll()).split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[1], file);
  EXPECT_EQ(lines[2], QStringLiteral("1")); // English
}

TEST_F(UpdateTest, FileNamesOutsideWindows1252WorkAndAreStored) {
  DevsimProcess device;
  // A folder and a file named in characters no single code page holds.
  const QString file =
      write_file(QStringLiteral("Pr\u00fcfung \u0436 \u4e2d/Jiří Олена 王芳 \U0001F680.frm"), intel_hex(kFirmware));
  const CliRun result = run(update_arguments(port_of(device), file));
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  EXPECT_TRUE(result.out.contains(QStringLiteral("Firmware file loaded: ") + file)) << result.out.toStdString();
  device.stop();
  const Bytes memory = device.readMemory();
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize));
  QFile settings(settings_file());
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly | QIODevice::Text));
  EXPECT_EQ(QString::fromUtf8(settings.readAll()).split(QLatin1Char('\n')).value(1), file) << "stored in UTF-8";
}

struct UnnamedPortCase {
  const char* name;
  std::vector<std::size_t> links; // which of the two listed ports are a Kovo-USB-Link
  int exit_code;
  const char* said; // on standard output for a port taken, on standard error for a refusal
};

class UnnamedPortTest : public UpdateTest, public ::testing::WithParamInterface<UnnamedPortCase> {
protected:
  UnnamedPortTest()
      : devices_{std::make_unique<DevsimProcess>(std::vector<std::string>{"--type", "11"}),
                 std::make_unique<DevsimProcess>(std::vector<std::string>{"--type", "D1"})} {}

  // Both devices listed, the given ones as a Kovo-USB-Link.
  QProcessEnvironment listing(const std::vector<std::size_t>& links) const {
    QProcessEnvironment environment = with_virtual_ports({port_of(*devices_[0]), port_of(*devices_[1])});
    QStringList paths;
    for (const std::size_t link : links) paths.append(port_of(*devices_[link]));
    environment.insert(QStringLiteral("KOVOFLASH_EXTRA_LINKS"), paths.join(QLatin1Char(':')));
    return environment;
  }

  const QStringList without_port_ = {QStringLiteral("--lang"), QStringLiteral("en"), firmware()};
  std::array<std::unique_ptr<DevsimProcess>, 2> devices_; // a Kovo Receiver SAT1 and a KovoLogger TLM
};

// With no port named and none stored, the one listed link is taken; with
// none or several the user is asked to name one, shown the port list, and
// no port is opened.
TEST_P(UnnamedPortTest, IsTheOnlyLinkElseNone) {
  const UnnamedPortCase& unnamed = GetParam();
  const CliRun result = run(without_port_, listing(unnamed.links));
  EXPECT_EQ(result.exit_code, unnamed.exit_code) << result.err.toStdString();
  if (unnamed.exit_code != kExitPort) {
    EXPECT_TRUE(result.out.contains(QString::fromUtf8(unnamed.said))) << result.out.toStdString();
    return;
  }
  EXPECT_TRUE(result.err.startsWith(QString::fromUtf8(unnamed.said) + QStringLiteral(" Name the port with --port.")))
      << result.err.toStdString();
  for (const auto& device : devices_) {
    EXPECT_TRUE(result.err.contains(QLatin1Char('\n') + port_of(*device) + QLatin1Char(' '))) << "listed";
    EXPECT_TRUE(device->readLog().empty()) << "no port is opened";
  }
  EXPECT_FALSE(QFile::exists(settings_file()));
}

INSTANTIATE_TEST_SUITE_P(Cli, UnnamedPortTest,
                         ::testing::Values(UnnamedPortCase{"NoLink", {}, kExitPort, "No Kovo-USB-Link found."},
                                           UnnamedPortCase{"OneLink", {1}, kExitUnsupported, "Device: KovoLogger TLM"},
                                           UnnamedPortCase{"TwoLinks", {0, 1}, kExitPort, "2 Kovo-USB-Links found."}),
                         [](const ::testing::TestParamInfo<UnnamedPortCase>& info) {
                           return std::string(info.param.name);
                         });

// The port of the last run is the user's choice, link or not.
TEST_F(UnnamedPortTest, IsTheOneOfTheLastRunBeforeTheLink) {
  const QProcessEnvironment environment = listing({1});
  ASSERT_EQ(run(QStringList({QStringLiteral("--port"), port_of(*devices_[0])}) + without_port_, environment).exit_code,
            kExitUnsupported);
  const CliRun again = run(without_port_, environment);
  EXPECT_EQ(again.exit_code, kExitUnsupported);
  EXPECT_TRUE(again.out.contains(QStringLiteral("Kovo Receiver SAT1"))) << again.out.toStdString();
}

// A port not listed now, an old file, German.
const std::string kStoredSettings = "123456\n/old/firmware.frm\n0\n";

class RememberedPortTest : public UpdateTest {
protected:
  void store_settings() const {
    QDir().mkpath(QFileInfo(settings_file()).path());
    write_whole_file(settings_file(), kStoredSettings);
  }
  std::string stored_settings() const {
    QFile file(settings_file());
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
  }
};

// Stored with the file and the language of the run.
TEST_F(RememberedPortTest, IsTheOneWhereADeviceAnswered) {
  DevsimProcess device;
  const QProcessEnvironment environment = with_virtual_ports({port_of(device)});
  store_settings();
  const CliRun listing = run({QStringLiteral("--list-ports")}, environment);
  const QString number =
      listing.out.section(QLatin1Char('\n'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(1);
  ASSERT_FALSE(number.isEmpty()) << listing.out.toStdString();
  const QString file = firmware();
  const CliRun result = run({QStringLiteral("--lang"), QStringLiteral("en"), file}, environment);
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  EXPECT_EQ(QString::fromStdString(stored_settings()), QStringLiteral("%1\n%2\n1\n").arg(number, file));
}

struct NoDeviceRun {
  const char* name;
  bool settings_before;
  const char* port; // nullptr: none given, so the first listed, where a device is silent
  int exit_code;
};

class NoDeviceAnswered : public RememberedPortTest, public ::testing::WithParamInterface<NoDeviceRun> {
protected:
  NoDeviceAnswered() { time_scale_ = kSilentDeviceTimeScale; }
};

TEST_P(NoDeviceAnswered, LeavesTheSettingsFileAsItWas) {
  const NoDeviceRun& no_device = GetParam();
  DevsimProcess silent(kSilentDevice);
  if (no_device.settings_before) store_settings();
  const QDateTime stored_at = QFileInfo(settings_file()).lastModified();
  QStringList arguments = {QStringLiteral("--lang"), QStringLiteral("en"), firmware()};
  if (no_device.port)
    arguments = QStringList({QStringLiteral("--port"), QString::fromLatin1(no_device.port)}) + arguments;
  const CliRun result = run(arguments, with_virtual_ports({port_of(silent)}));
  EXPECT_EQ(result.exit_code, no_device.exit_code) << result.err.toStdString();
  if (no_device.settings_before) {
    EXPECT_EQ(stored_settings(), kStoredSettings);
    EXPECT_EQ(QFileInfo(settings_file()).lastModified(), stored_at) << "not even written back";
  } else
    EXPECT_FALSE(QFile::exists(settings_file()));
}

INSTANTIATE_TEST_SUITE_P(Cli, NoDeviceAnswered,
                         ::testing::Values(NoDeviceRun{"silent_first_listed_port", true, nullptr, kExitNoDevice},
                                           NoDeviceRun{"named_port_missing", true, "/dev/kovo-no-such-port", kExitPort},
                                           NoDeviceRun{"no_settings_before", false, "/dev/kovo-no-such-port",
                                                       kExitPort}),
                         [](const auto& info) { return std::string(info.param.name); });

// A port the system lists (a virtual port on Linux, SERIALCOMM's on
// Windows) is listed with a number that selects it.
TEST_F(UpdateTest, ThePortListsNumberSelectsThePort) {
  DevsimProcess device({"--type", "D1"});
  QProcessEnvironment environment = this->environment();
  testsupport::program_under_test().list_port(environment, port_of(device));
  const CliRun listing = run({QStringLiteral("--list-ports")}, environment);
  ASSERT_EQ(listing.exit_code, kExitSuccess) << listing.err.toStdString();
  const QStringList lines =
      listing.out.split(QLatin1Char('\n'))
          .filter(QRegularExpression(QStringLiteral("^%1 ").arg(QRegularExpression::escape(port_of(device)))));
  ASSERT_EQ(lines.size(), 1) << listing.out.toStdString();
  const QStringList fields = lines[0].split(QLatin1Char(' '), Qt::SkipEmptyParts);
  ASSERT_GE(fields.size(), 2) << listing.out.toStdString();
  const QString description = testsupport::program_under_test().listed_port_description();
  if (!description.isEmpty()) {
    EXPECT_EQ(fields.mid(2).join(' '), description);
  }

  const CliRun result = run(
      {QStringLiteral("--port"), fields[1], QStringLiteral("--lang"), QStringLiteral("en"), firmware()}, environment);
  EXPECT_EQ(result.exit_code, kExitUnsupported);
  EXPECT_TRUE(result.out.contains(QStringLiteral("Port: ") + port_of(device))) << result.out.toStdString();
}

TEST_F(UpdateTest, SpeaksGermanWhenAsked) {
  DevsimProcess device({"--type", "D1", "--bootloader-version", "1.0"});
  const CliRun result =
      run({QStringLiteral("--port"), port_of(device), QStringLiteral("--lang"), QStringLiteral("de"), firmware()});
  EXPECT_EQ(result.exit_code, kExitUnsupported);
  EXPECT_TRUE(result.out.contains(QStringLiteral("Ger\u00e4t: KovoLogger TLM, Bootloader V 1.0")))
      << result.out.toStdString();
  EXPECT_EQ(result.err, QStringLiteral("Dieses Ger\u00e4t kann nicht aktualisiert werden.\n"));
}

// The seconds, with a decimal comma in German, lie between nothing and what
// the test itself saw the run take.
TEST_F(UpdateTest, EndLineGivesTheTimeTaken) {
  DevsimProcess device;
  QElapsedTimer watch;
  watch.start();
  const CliRun result =
      run({QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("--port"), port_of(device), firmware()});
  const double seen = watch.elapsed() / 1000.0;
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  const auto line =
      QRegularExpression(QStringLiteral("\nFirmware programmiert\\. \\((\\d+),(\\d) s\\)\n$")).match(result.out);
  ASSERT_TRUE(line.hasMatch()) << result.out.toStdString();
  const double taken = (line.captured(1) + QLatin1Char('.') + line.captured(2)).toDouble();
  EXPECT_GT(taken, 0.0) << "programming takes some time";
  EXPECT_LE(taken, seen + 0.05);
}

// Changed while the run waits for the device, the file reaches it as it was
// when the run began; the user's file is the one named and remembered.
TEST_F(UpdateTest, ProgramsTheFileAsItWasChecked) {
  time_scale_ = 1.0;
  DevsimProcess device({"--silent-ids", "50"}); // switched on some 2 s after the first request
  const QString file = firmware();
  const auto process = start(update_arguments(port_of(device), file));
  ASSERT_TRUE(wait_for_frames(device, 1)) << "waiting for the device";
  write_whole_file(file, intel_hex({{0x0000, pattern(512, 3)}}));
  ASSERT_TRUE(process->waitForFinished(60000));
  ASSERT_EQ(process->exitCode(), kExitSuccess) << process->readAllStandardError().toStdString();
  EXPECT_TRUE(QString::fromUtf8(process->readAllStandardOutput())
                  .contains(QStringLiteral("Firmware file loaded: %1\n").arg(file)));
  device.stop();
  const Bytes memory = device.readMemory();
  ASSERT_GE(memory.size(), kProgrammedSize);
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize));
  QFile settings(settings_file());
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly | QIODevice::Text));
  EXPECT_EQ(QString::fromUtf8(settings.readAll()).split(QLatin1Char('\n')).value(1), file) << "not the copy";
}

// What each kind of failure looks like from outside: one line that says
// why, and a file at fault ends before the port is opened.
struct FailureCase {
  const char* name;
  std::vector<std::string> device; // simulator options
  enum { Good, Faulty, Cut, NoDataRecord, DataOnlyAt0x8000, Missing } firmware;
  const char* port; // nullptr: the simulator's
  int exit_code;
  const char* complaint; // all of standard error, one line; %1: the port
};

const char kNoSuchPort[] = "a port that is not there";

const char kNoDataRefused[] =
    "The file holds no data for the first 16 KiB, which every device receives; the device would hold nothing but "
    "FF. --force programs it all the same.";

class FailureTest : public UpdateTest, public ::testing::WithParamInterface<FailureCase> {
protected:
  FailureTest() { time_scale_ = GetParam().device == kSilentDevice ? kSilentDeviceTimeScale : kShortTimeScale; }
  QString firmware_for(const FailureCase& failure) const {
    switch (failure.firmware) {
    case FailureCase::Good: return firmware();
    // 04 + 01 + 02 + 03 + 04 needs the checksum F2.
    case FailureCase::Faulty: return write_file(QStringLiteral("faulty.frm"), ":0400000001020304F0\n:00000001FF\n");
    // A download cut in the middle of a data record, after whole records.
    case FailureCase::Cut: {
      const std::string whole = intel_hex(kFirmware);
      return write_file(QStringLiteral("cut.frm"), whole.substr(0, whole.size() / 2 - 20));
    }
    case FailureCase::NoDataRecord: return write_file(QStringLiteral("empty.frm"), intel_hex({}));
    case FailureCase::DataOnlyAt0x8000:
      return write_file(QStringLiteral("high.frm"), intel_hex({{0x8000, pattern(256, 1)}}));
    case FailureCase::Missing: break;
    }
    return QStringLiteral("/no/such/firmware.frm");
  }
};

TEST_P(FailureTest, EndsWithItsOwnExitStatus) {
  const FailureCase& failure = GetParam();
  DevsimProcess device(failure.device);
  const QString port = failure.port == kNoSuchPort ? missing_port()
                       : failure.port              ? QString::fromUtf8(failure.port)
                                                   : port_of(device);
  const CliRun result =
      run({QStringLiteral("--port"), port, QStringLiteral("--lang"), QStringLiteral("en"), firmware_for(failure)});
  EXPECT_EQ(result.exit_code, failure.exit_code) << result.out.toStdString() << result.err.toStdString();
  EXPECT_EQ(result.err.toStdString(),
            QString::fromUtf8(failure.complaint).replace(QStringLiteral("%1"), port).toStdString() + "\n");
  if (failure.exit_code == kExitFile) {
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_TRUE(device.finalLog().empty()) << "the device was asked for";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, FailureTest,
    ::testing::Values(
        FailureCase{"port_not_there",
                    {},
                    FailureCase::Good,
                    kNoSuchPort,
                    kExitPort,
                    "Port %1 not found; --list-ports shows the ports."},
        FailureCase{"port_number_not_listed",
                    {},
                    FailureCase::Good,
                    "7",
                    kExitPort,
                    "Port 7 not found; --list-ports shows the ports."},
        // The arguments are parsed as bytes; a port is still text.
        FailureCase{"port_name_not_ascii",
                    {},
                    FailureCase::Good,
                    "/dev/kovo-pr\u00fcf",
                    kExitPort,
                    "Port /dev/kovo-pr\u00fcf not found; --list-ports shows the ports."},
        FailureCase{"device_silent", kSilentDevice, FailureCase::Good, nullptr, kExitNoDevice, "No device answered."},
        FailureCase{"device_not_supported",
                    {"--type", "D1"},
                    FailureCase::Good,
                    nullptr,
                    kExitUnsupported,
                    "This device cannot be updated."},
        FailureCase{"device_type_unlisted",
                    {"--type", "33"},
                    FailureCase::Good,
                    nullptr,
                    kExitUnsupported,
                    "This device cannot be updated."},
        FailureCase{"device_type_00",
                    {"--type", "00"},
                    FailureCase::Good,
                    nullptr,
                    kExitUnsupported,
                    "This device cannot be updated."},
        FailureCase{"file_faulty", {}, FailureCase::Faulty, nullptr, kExitFile, "The firmware file is faulty."},
        FailureCase{"file_cut_short", {}, FailureCase::Cut, nullptr, kExitFile, "The firmware file is faulty."},
        FailureCase{"file_without_data_record", {}, FailureCase::NoDataRecord, nullptr, kExitFile, kNoDataRefused},
        FailureCase{"file_data_only_at_0x8000", {}, FailureCase::DataOnlyAt0x8000, nullptr, kExitFile, kNoDataRefused},
        FailureCase{"file_missing",
                    {},
                    FailureCase::Missing,
                    nullptr,
                    kExitFile,
                    "The firmware file /no/such/firmware.frm cannot be read."},
        FailureCase{"device_silent_mid_run",
                    {"--silent-after-frames", "40"},
                    FailureCase::Good,
                    nullptr,
                    kExitProgramming,
                    "Programming failed."}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::cli_testing

namespace kovo::cli_testing {
namespace {

// On Linux a file name is bytes. One that is not UTF-8 names that very file,
// not the one whose name reads the same once decoded for display (U+FFFD in
// place of the byte), which lies beside it with other data.
class ByteFileName : public UpdateTest {
protected:
  ByteFileName() {
    folder_ = QFile::encodeName(QFileInfo(firmware()).path()).toStdString();
    write_named(kDecodedName, intel_hex(kOtherFirmware));
    write_named(kByteName, intel_hex(kFirmware));
  }

  std::string path_of(const std::string& name) const { return folder_ + '/' + name; }

  void write_named(const std::string& name, const std::string& content) const {
    std::ofstream(path_of(name), std::ios::binary) << content;
  }

  const std::string kByteName = "fw\xff.frm";
  const std::string kDecodedName = "fw\xef\xbf\xbd.frm";
  const std::vector<Block> kOtherFirmware = {{0x0000, pattern(512, 3)}};

private:
  std::string folder_;
};

// One port, and many, where the program hands the file to a copy per port.
class ByteFileNameOnPorts : public ByteFileName, public ::testing::WithParamInterface<int> {};

TEST_P(ByteFileNameOnPorts, ProgramsTheFileOfThatName) {
  std::vector<std::unique_ptr<DevsimProcess>> devices;
  std::vector<std::string> arguments;
  for (int i = 0; i < GetParam(); ++i) {
    devices.push_back(std::make_unique<DevsimProcess>());
    arguments.insert(arguments.end(), {"--port", port_of(*devices.back()).toStdString()});
  }
  arguments.insert(arguments.end(), {"--lang", "en", path_of(kByteName)});
  const CliRun result = run_with_byte_arguments(arguments);
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString() << result.out.toStdString();
  EXPECT_TRUE(result.out.contains(QStringLiteral("Firmware file loaded: ") + QString::fromUtf8(path_of(kByteName))))
      << result.out.toStdString();
  for (const auto& device : devices) {
    device->stop();
    const Bytes memory = device->readMemory();
    ASSERT_GE(memory.size(), kProgrammedSize);
    EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize));
  }
}

INSTANTIATE_TEST_SUITE_P(Cli, ByteFileNameOnPorts, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "one_port" : "two_ports"; });

TEST_F(ByteFileName, IsCheckedByThatName) {
  const CliRun result = run_with_byte_arguments({"--check", path_of(kByteName)});
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  EXPECT_TRUE(result.out.contains(QStringLiteral("Highest address with data: 0x3FFF\n"))) << result.out.toStdString();
}

TEST_F(ByteFileName, ThatIsMissingIsNotTakenForItsLookAlike) {
  const CliRun result = run_with_byte_arguments({"--check", path_of("fw\xfe.frm")});
  EXPECT_EQ(result.exit_code, kExitFile);
  EXPECT_TRUE(result.err.contains(QStringLiteral("cannot be read"))) << result.err.toStdString();
}

} // namespace
} // namespace kovo::cli_testing
