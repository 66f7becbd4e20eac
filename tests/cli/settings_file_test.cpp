// The command line's settings file: read safely, written once at the end of
// a run in which a device answered, and never replaced when it could not be
// read.
#include "cli_fixture.h"
#include "devsim_process.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>
#include <functional>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

const std::vector<Block> kFirmware = {{0x0000, Bytes(256, 0x5A)}};
constexpr char kMissingPort[] = "/dev/kovo-no-such-port";
constexpr uid_t kNobody = 65534;
constexpr auto kBoundedRun = std::chrono::seconds(30); // a run that waits on the settings file never ends

// What lies at a path, as far as a run could change it.
struct Snapshot {
  bool exists = false;
  mode_t type = 0;
  QByteArray bytes; // of a regular file
  long long modified_ns = 0;

  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const QString& path) {
  struct stat status;
  if (::lstat(QFile::encodeName(path).constData(), &status) != 0) return {};
  Snapshot taken{true, status.st_mode & S_IFMT, {}, status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec};
  QFile file(path);
  if (S_ISREG(status.st_mode) && file.open(QIODevice::ReadOnly)) taken.bytes = file.readAll();
  return taken;
}

void PrintTo(const Snapshot& taken, std::ostream* out) {
  *out << (taken.exists ? "type " + std::to_string(taken.type) + ", " + std::to_string(taken.bytes.size()) +
                              " bytes, modified " + std::to_string(taken.modified_ns)
                        : std::string("nothing"));
}

const std::string kStoredSettings = "123456\n/old/firmware.frm\n0\n";

class SettingsFileTest : public CliTest {
protected:
  SettingsFileTest() { QDir().mkpath(settings_folder()); }

  QString settings_folder() const { return QFileInfo(settings_file()).path(); }
  QString firmware() const { return write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware)); }
  void store_settings() const { write_whole_file(settings_file(), kStoredSettings); }
  QString defaults_notice() const {
    return QStringLiteral(
               "The settings file %1 cannot be read; this run takes the defaults and leaves the file as "
               "it is.\n")
        .arg(settings_file());
  }
};

// Something at the settings file's place that a run must not read whole, wait on or replace.
struct UnusableSettings {
  const char* name;
  std::function<void(const QString& path)> make;
  bool as_other_user; // the file is root's and the run another user's, as after a run with sudo
};

void PrintTo(const UnusableSettings& unusable, std::ostream* out) { *out << unusable.name; }

const UnusableSettings kUnusableSettings[] = {
    {"pipe", [](const QString& path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); }, false},
    {"too_big", [](const QString& path) { write_whole_file(path, "7\n" + std::string(200 * 1024, 'x') + "\n1\n"); },
     false},
    {"link_to_endless_device",
     [](const QString& path) { ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(path).constData()), 0); }, false},
    {"not_the_users",
     [](const QString& path) {
       write_whole_file(path, kStoredSettings);
       ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
     },
     true},
};

enum class RunKind { DeviceAnswers, NoDevice };

class UnusableSettingsFile : public SettingsFileTest,
                             public ::testing::WithParamInterface<std::tuple<UnusableSettings, RunKind>> {
protected:
  // The run as another user: the settings folder, the firmware and the port are made open to it.
  CliRun run_as_other_user(const QStringList& arguments, const QString& port) const {
    for (const QString& folder : {QFileInfo(settings_folder()).path(), settings_folder()}) {
      ::chmod(QFile::encodeName(folder).constData(), 0777);
    }
    ::chmod(QFile::encodeName(QFileInfo(arguments.last()).path()).constData(), 0755);
    if (port.startsWith(QLatin1String("/dev/pts/"))) ::chmod(QFile::encodeName(port).constData(), 0666);
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(QDir::rootPath());
    process.start(QStringLiteral("setpriv"),
                  QStringList{QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
                              QStringLiteral("--clear-groups"), QStringLiteral(KOVOFLASH_CLI)} +
                      arguments);
    if (!process.waitForFinished(static_cast<int>(kBoundedRun.count() * 1000))) process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
  }
};

TEST_P(UnusableSettingsFile, IsLeftAsItIsAndTheRunTakesTheDefaults) {
  const auto& [unusable, kind] = GetParam();
  if (unusable.as_other_user &&
      (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()))
    GTEST_SKIP() << "runs the program as another user: needs root and setpriv";
  DevsimProcess device;
  unusable.make(settings_file());
  const Snapshot before = snapshot(settings_file());
  const QString port = kind == RunKind::DeviceAnswers ? port_of(device) : QString::fromLatin1(kMissingPort);
  const QStringList arguments = update_arguments(port, firmware());
  const CliRun result =
      unusable.as_other_user ? run_as_other_user(arguments, port) : run(arguments, environment(), kBoundedRun);
  EXPECT_EQ(result.exit_code, kind == RunKind::DeviceAnswers ? kExitSuccess : kExitPort) << result.err.toStdString();
  EXPECT_TRUE(result.err.contains(defaults_notice())) << result.err.toStdString();
  EXPECT_EQ(snapshot(settings_file()), before);
}

INSTANTIATE_TEST_SUITE_P(Cli, UnusableSettingsFile,
                         ::testing::Combine(::testing::ValuesIn(kUnusableSettings),
                                            ::testing::Values(RunKind::DeviceAnswers, RunKind::NoDevice)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == RunKind::DeviceAnswers ? "_device_answers"
                                                                                     : "_no_device");
                         });

TEST_F(SettingsFileTest, ListingThePortsNeitherReadsNorWritesThem) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(settings_file()).constData(), 0600), 0);
  const Snapshot before = snapshot(settings_file());
  const CliRun listing = run({QStringLiteral("--list-ports")}, environment(), kBoundedRun);
  EXPECT_EQ(listing.exit_code, kExitSuccess) << listing.err.toStdString();
  EXPECT_EQ(snapshot(settings_file()), before);
  ASSERT_TRUE(QFile::remove(settings_file()));
  EXPECT_EQ(run({QStringLiteral("--list-ports")}).exit_code, kExitSuccess);
  EXPECT_FALSE(snapshot(settings_file()).exists) << "no file made by a listing";
}

// Killed while it polls a device that never answers, after it chose its port.
TEST_F(SettingsFileTest, RunKilledWhileConnectingLeavesThemAsTheyWere) {
  time_scale_ = 1.0; // the connect lasts long enough to be caught in it
  DevsimProcess silent(kSilentDevice);
  store_settings();
  const Snapshot before = snapshot(settings_file());
  const auto process = start(update_arguments(port_of(silent), firmware()));
  ASSERT_TRUE(wait_for_frames(silent, 2)) << "connecting";
  process->kill();
  process->waitForFinished();
  EXPECT_EQ(snapshot(settings_file()), before);
}

// Two runs at once: one still waits for its device while the other updates one.
TEST_F(SettingsFileTest, RunWithoutADeviceKeepsWhatARunBesideItStored) {
  DevsimProcess silent(kSilentDevice);
  DevsimProcess device;
  store_settings();
  time_scale_ = 1.0; // some 8 s of polling
  const auto waiting = start(update_arguments(port_of(silent), firmware()));
  ASSERT_TRUE(wait_for_frames(silent, 2)) << "connecting";
  time_scale_ = kPatientTimeScale;
  const QString file = write_file(QStringLiteral("other.frm"), intel_hex(kFirmware));
  ASSERT_EQ(run(update_arguments(port_of(device), file)).exit_code, kExitSuccess);
  const Snapshot stored = snapshot(settings_file());
  EXPECT_TRUE(stored.bytes.contains(file.toUtf8()));
  ASSERT_EQ(waiting->state(), QProcess::Running) << "still connecting";
  ::kill(static_cast<pid_t>(waiting->processId()), SIGINT);
  ASSERT_TRUE(waiting->waitForFinished(30000));
  EXPECT_EQ(waiting->exitCode(), kExitInterrupted);
  EXPECT_EQ(snapshot(settings_file()), stored);
}

} // namespace
} // namespace kovo::cli_testing
