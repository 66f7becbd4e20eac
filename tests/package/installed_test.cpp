// The programs as the package installs them, run from the root it was
// unpacked into: the command line updates a simulated device, the window
// starts without a display, finds its installed panel file and keeps its
// settings where the way it was started says. The maintainer script applies
// the udev rule where udev runs, and README.Debian tells how to reach the port.
#include "cli_fixture.h"
#include "devsim_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <csignal>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;
using namespace std::chrono_literals;

constexpr std::size_t kProgrammedSize = 16384; // what a device of memory size 1 receives
constexpr int kExitPanelUnusable = 1;

const std::vector<Block> kFirmware = {{0x0000, Bytes(512, 0x5A)}, {0x3FF0, Bytes(16, 0xA5)}};

class InstalledPackage : public CliTest {
protected:
  // A run of a program that ends by itself.
  static CliRun run_program(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString() << " did not end";
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }

  // The window, offscreen, in its own current folder.
  std::unique_ptr<QProcess> start_window(const QString& program, const QStringList& arguments) const {
    QProcessEnvironment environment = this->environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    auto window = std::make_unique<QProcess>();
    window->setProcessEnvironment(environment);
    window->setWorkingDirectory(window_folder_.path());
    window->start(program, arguments);
    if (!window->waitForStarted()) throw std::runtime_error("the window did not start");
    return window;
  }

  // The window is told to stop as the desktop would at log-out; its exit code.
  static int stop(QProcess& window) {
    ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
    EXPECT_TRUE(window.waitForFinished(30000)) << "the window did not end on SIGTERM";
    return window.exitStatus() == QProcess::NormalExit ? window.exitCode() : -1;
  }

  QString in_window_folder(const char* name) const { return window_folder_.filePath(QLatin1String(name)); }

  QTemporaryDir window_folder_;
};

// Polls until the path exists; false at the deadline.
bool appears(const QString& path, std::chrono::seconds deadline = 30s) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!QFileInfo::exists(path)) {
    if (std::chrono::steady_clock::now() > end) return false;
    QThread::msleep(20);
  }
  return true;
}

// The arguments the installed desktop entry starts the window with.
QStringList desktop_entry_arguments() {
  QFile entry(QStringLiteral(KOVO_INSTALLED_DESKTOP_ENTRY));
  if (!entry.open(QIODevice::ReadOnly | QIODevice::Text)) throw std::runtime_error("no installed desktop entry");
  const auto exec = QRegularExpression(QStringLiteral("^Exec=kovoflash(.*)$"), QRegularExpression::MultilineOption)
                        .match(QString::fromUtf8(entry.readAll()));
  if (!exec.hasMatch()) throw std::runtime_error("the desktop entry does not start kovoflash");
  return exec.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST_F(InstalledPackage, CommandLineProgramsTheSimulatedDevice) {
  DevsimProcess device;
  const QString file = write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware));
  const CliRun result = run(update_arguments(port_of(device), file));
  ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  EXPECT_TRUE(result.out.contains(QStringLiteral("\nFirmware programmed. ("))) << result.out.toStdString();
  device.stop();
  const Bytes memory = device.readMemory();
  ASSERT_GE(memory.size(), kProgrammedSize);
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize));
}

TEST_F(InstalledPackage, BothProgramsTellTheVersionOfTheBuild) {
  const CliRun window = run_program(QStringLiteral(KOVOFLASH_WINDOW), {QStringLiteral("--version")});
  const CliRun command_line = run_program(QStringLiteral(KOVOFLASH_CLI), {QStringLiteral("--version")});
  EXPECT_EQ(window.exit_code, kExitSuccess);
  EXPECT_EQ(command_line.exit_code, kExitSuccess);
  EXPECT_EQ(window.out, QStringLiteral("kovoflash " KOVO_PACKAGE_VERSION "\n"));
  EXPECT_EQ(command_line.out, QStringLiteral("kovoflash-cli " KOVO_PACKAGE_VERSION "\n"));
}

TEST_F(InstalledPackage, WindowFromTheDesktopEntryKeepsItsSettingsInTheConfigurationFolder) {
  const auto window = start_window(QStringLiteral(KOVOFLASH_WINDOW), desktop_entry_arguments());
  EXPECT_TRUE(appears(settings_file())) << "no settings file in the configuration folder";
  EXPECT_EQ(stop(*window), kExitSuccess);
  EXPECT_FALSE(QFileInfo::exists(in_window_folder("ini_pckovorecv.dat")));
}

TEST_F(InstalledPackage, WindowFromAShellKeepsItsSettingsInTheCurrentFolder) {
  const auto window = start_window(QStringLiteral(KOVOFLASH_WINDOW), {});
  EXPECT_TRUE(appears(in_window_folder("ini_pckovorecv.dat"))) << "no settings file in the current folder";
  EXPECT_EQ(stop(*window), kExitSuccess);
  EXPECT_FALSE(QFileInfo::exists(settings_file()));
}

// A spoiled copy of the installed panel file makes the window refuse to
// start, so the installed window reads that file and not its built-in copy.
TEST_F(InstalledPackage, WindowReadsThePanelFileTheInstallationHolds) {
  const QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("usr/bin")));
  ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("usr/share/kovoflash")));
  const QString window_copy = root.filePath(QStringLiteral("usr/bin/kovoflash"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(KOVOFLASH_WINDOW), window_copy));
  ASSERT_TRUE(QFileInfo::exists(QStringLiteral(KOVO_INSTALLED_PANEL_FILE))) << "the package holds no panel file";
  write_whole_file(root.filePath(QStringLiteral("usr/share/kovoflash/24GHz_prog.uir")), "not a panel");

  const auto window = start_window(window_copy, desktop_entry_arguments());
  // The configuration folder is made once the window handles signals.
  ASSERT_TRUE(appears(QFileInfo(settings_file()).path()));
  EXPECT_EQ(stop(*window), kExitPanelUnusable) << "the spoiled installed panel file was not read";
  EXPECT_FALSE(QFileInfo::exists(settings_file()));
}

// Completions as bash offers them after the words given, the last one being completed.
QStringList completions(const QStringList& words, const QProcessEnvironment& environment) {
  QStringList quoted;
  for (const QString& word : words) quoted << QLatin1Char('\'') + word + QLatin1Char('\'');
  const QString script = QStringLiteral(
                             "source '%1'; COMP_WORDS=(%2); COMP_CWORD=%3; "
                             "_kovoflash_cli '%4' \"${COMP_WORDS[COMP_CWORD]}\" \"${COMP_WORDS[COMP_CWORD-1]}\"; "
                             "printf '%s\\n' \"${COMPREPLY[@]}\"")
                             .arg(QStringLiteral(KOVO_COMPLETION), quoted.join(QLatin1Char(' ')))
                             .arg(words.size() - 1)
                             .arg(QStringLiteral(KOVOFLASH_CLI));
  QProcess bash;
  bash.setProcessEnvironment(environment);
  bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
  if (!bash.waitForFinished(30000)) throw std::runtime_error("bash did not end");
  return QString::fromUtf8(bash.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST_F(InstalledPackage, BashCompletesOptionsLanguagesAndTheListedPorts) {
  DevsimProcess device;
  const QProcessEnvironment environment = with_virtual_ports({port_of(device)});
  EXPECT_EQ(completions({QStringLiteral("kovoflash-cli"), QStringLiteral("--l")}, environment),
            QStringList({QStringLiteral("--lang"), QStringLiteral("--list-ports")}));
  EXPECT_EQ(
      completions(
          {QStringLiteral("kovoflash-cli"), QStringLiteral("--port"), QStringLiteral("x"), QStringLiteral("--")},
          environment),
      QString::fromLatin1("--port --all-links --lang --json --trace --force --check --list-ports --help --version")
          .split(QLatin1Char(' ')));
  EXPECT_EQ(completions({QStringLiteral("kovoflash-cli"), QStringLiteral("--lang"), QString()}, environment),
            QStringList({QStringLiteral("de"), QStringLiteral("en")}));
  EXPECT_TRUE(completions({QStringLiteral("kovoflash-cli"), QStringLiteral("--port"), QString()}, environment)
                  .contains(port_of(device)));
}

// README.Debian names the rule the package installs, and the group a user
// who is not at the machine needs.
TEST_F(InstalledPackage, ReadmeDebianNamesTheInstalledRuleAndTheGroupForRemoteUsers) {
  QFile readme(QStringLiteral(KOVO_README_DEBIAN));
  ASSERT_TRUE(readme.open(QIODevice::ReadOnly | QIODevice::Text)) << "no README.Debian in the package";
  const QString text = QString::fromUtf8(readme.readAll());
  const auto rule = QRegularExpression(QStringLiteral("/usr/lib/udev/rules\\.d/\\S+\\.rules")).match(text);
  ASSERT_TRUE(rule.hasMatch()) << text.toStdString();
  EXPECT_TRUE(QFileInfo::exists(QStringLiteral(KOVO_INSTALLED_ROOT) + rule.captured()))
      << rule.captured().toStdString() << " is not in the package";
  EXPECT_TRUE(text.contains(QStringLiteral("dialout"))) << text.toStdString();
}

struct UdevState {
  const char* name;
  bool udev_runs;     // /run/udev is there
  int udevadm_status; // what the stand-in udevadm exits with
  QStringList calls;  // the udevadm calls the script makes
};

class Postinst : public InstalledPackage, public ::testing::WithParamInterface<UdevState> {};

// The script as dpkg runs it after the install, under a /run of the test's
// making (a user and mount namespace of its own), with a stand-in udevadm
// that records its arguments.
TEST_P(Postinst, AppliesTheUdevRuleWhereUdevRunsAndNeverFailsTheInstall) {
  const UdevState& state = GetParam();
  if (run_program(QStringLiteral("unshare"), {QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                                              QStringLiteral("--mount"), QStringLiteral("true")})
          .exit_code != 0) {
    GTEST_SKIP() << "unshare cannot make a user and mount namespace here";
  }
  const QTemporaryDir stand_ins;
  const QString calls = stand_ins.filePath(QStringLiteral("calls"));
  const QString udevadm = stand_ins.filePath(QStringLiteral("udevadm"));
  write_whole_file(
      udevadm,
      QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\nexit %2\n").arg(calls).arg(state.udevadm_status).toStdString());
  ASSERT_TRUE(QFile::setPermissions(udevadm, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  const QString script = QStringLiteral(
      "mount -t tmpfs tmpfs /run || exit 99; "
      "if [ \"$1\" = yes ]; then mkdir /run/udev || exit 99; fi; "
      "PATH=\"$2:$PATH\" exec \"$3\" configure");
  const CliRun result =
      run_program(QStringLiteral("unshare"),
                  {QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount"),
                   QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"),
                   QLatin1String(state.udev_runs ? "yes" : "no"), stand_ins.path(), QStringLiteral(KOVO_POSTINST)});
  EXPECT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
  QFile recorded(calls);
  const QString made = recorded.open(QIODevice::ReadOnly) ? QString::fromUtf8(recorded.readAll()) : QString();
  EXPECT_EQ(made.split(QLatin1Char('\n'), Qt::SkipEmptyParts), state.calls);
}

const QStringList kReloadAndTrigger = {QStringLiteral("control --reload-rules"),
                                       QStringLiteral("trigger --subsystem-match=tty --action=change")};

INSTANTIATE_TEST_SUITE_P(Udev, Postinst,
                         ::testing::Values(UdevState{"NotRunning", false, 0, {}},
                                           UdevState{"Running", true, 0, kReloadAndTrigger},
                                           UdevState{"RunningButUdevadmFails", true, 1, kReloadAndTrigger}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::cli_testing
