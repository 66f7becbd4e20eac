// Ports that cannot serve: each says why, ends with exit 3, and does so
// at once rather than after a whole poll: the attempts the terminal shows
// are counted, not the time taken.
#include "cli_fixture.h"
#include "devsim_process.h"
#include "held_line.h"
#include "pseudo_terminal.h"
#include "terminal_run.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

constexpr char kAttempt[] = "\rWaiting for the device: "; // each attempt of the poll, on a terminal
// A request may be under way, and not yet logged by the device, when the
// line goes; a whole poll is 200.
constexpr int kAttemptsInFlight = 3;
constexpr char kFirmware[] = ":0400000001020304F2\n:00000001FF\n";

enum class Port { Missing, RegularFile, Folder, NotATerminal, HeldByAnotherProgram };

struct UnusablePort {
  const char* name;
  Port port;
  const char* complaint; // %1: the port
};

class PortFailureTest : public CliTest, public ::testing::WithParamInterface<UnusablePort> {
protected:
  QString firmware() const { return write_file(QStringLiteral("firmware.frm"), kFirmware); }

  QString port_for(Port port) {
    switch (port) {
    case Port::Missing: return QStringLiteral("/dev/kovo-no-such-port");
    case Port::RegularFile: return write_file(QStringLiteral("not-a-port"), "text");
    case Port::Folder: return QDir::tempPath();
    case Port::NotATerminal: return QStringLiteral("/dev/null");
    case Port::HeldByAnotherProgram: break;
    }
    holder_ = std::make_unique<testing::HeldLine>(terminal_.device_path());
    if (!holder_->held()) throw std::runtime_error("cannot hold the pseudo-terminal");
    return QString::fromStdString(terminal_.device_path());
  }

  testing::PseudoTerminal terminal_;
  std::unique_ptr<testing::HeldLine> holder_; // this test process is the other program
  const testing::PseudoTerminal screen_;
};

// The highest attempt of the poll the terminal showed (the attempts are
// counted as the identification requests go out); 0 when none was shown.
int highest_attempt_shown(const std::string& shown) {
  int highest = 0;
  for (std::size_t at = shown.find(kAttempt); at != std::string::npos; at = shown.find(kAttempt, at + 1)) {
    highest = std::max(highest, std::atoi(shown.c_str() + at + std::strlen(kAttempt)));
  }
  return highest;
}

TEST_P(PortFailureTest, SaysWhyAndEndsWithExitThree) {
  const UnusablePort& unusable = GetParam();
  const QString port = port_for(unusable.port);
  const auto process = start_on_terminal(screen_, update_arguments(port, firmware()), environment());
  const TerminalRun result = shown_until_end(*process, screen_);
  const QString err = QString::fromUtf8(process->readAllStandardError());
  EXPECT_EQ(result.exit_code, kExitPort) << result.shown << err.toStdString();
  EXPECT_EQ(highest_attempt_shown(result.shown), 0) << result.shown;
  EXPECT_TRUE(err.contains(QString::fromUtf8(unusable.complaint).arg(port))) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cli, PortFailureTest,
    ::testing::Values(UnusablePort{"missing", Port::Missing, "Port %1 not found; --list-ports shows the ports."},
                      UnusablePort{"regular_file", Port::RegularFile, "%1 is not a serial port."},
                      UnusablePort{"folder", Port::Folder, "%1 is not a serial port."},
                      UnusablePort{"not_a_terminal", Port::NotATerminal, "%1 is not a serial port."},
                      UnusablePort{"in_use", Port::HeldByAnotherProgram, "Port %1 is in use by another program."}),
    [](const auto& info) { return std::string(info.param.name); });

using PortTest = CliTest;

TEST_F(PortTest, PortThatGoesAwayWhileConnectingEndsTheConnectAtOnce) {
  DevsimProcess device({"--silent-ids", "1000"});
  const QString port = port_of(device);
  const testing::PseudoTerminal screen;
  const auto process = start_on_terminal(
      screen, update_arguments(port, write_file(QStringLiteral("firmware.frm"), kFirmware)), environment());
  ASSERT_TRUE(wait_for_frames(device, 3)) << "polling under way";
  device.stop(); // as an adapter pulled out
  const TerminalRun result = shown_until_end(*process, screen);
  EXPECT_EQ(result.exit_code, kExitPort);
  EXPECT_LE(highest_attempt_shown(result.shown), static_cast<int>(device.readLog().size()) + kAttemptsInFlight)
      << result.shown;
  const QString err = QString::fromUtf8(process->readAllStandardError());
  EXPECT_EQ(err, QStringLiteral("The connection through port %1 was lost.\n").arg(port)) << "said once";
}

// Only root can take a user's rights away for a run: the program runs as
// nobody, who may not open root's pseudo-terminal.
TEST_F(PortTest, PortTheUserMayNotOpenSaysSoWithTheGroupToJoin) {
  if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
    GTEST_SKIP() << "needs root and setpriv";
  }
  const testing::PseudoTerminal terminal;
  const QString port = QString::fromStdString(terminal.device_path());
  QTemporaryDir readable;
  QFile::setPermissions(readable.path(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
  QFile file(readable.filePath(QStringLiteral("firmware.frm")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(kFirmware);
  file.close();
  file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
  QProcess process;
  process.setProcessEnvironment(environment());
  process.start(QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), QStringLiteral(KOVOFLASH_CLI)} +
                    update_arguments(port, file.fileName()));
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), kExitPort);
  const QString err = QString::fromUtf8(process.readAllStandardError());
  EXPECT_TRUE(err.contains(QStringLiteral("You may not open port %1.\n").arg(port))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("dialout"))) << err.toStdString();
}

} // namespace
} // namespace kovo::cli_testing
