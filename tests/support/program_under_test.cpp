#include "program_under_test.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cstring>
#include <stdexcept>

namespace kovo::testsupport {
namespace {

class PseudoTerminalPort : public MappedPort {
public:
  explicit PseudoTerminalPort(const std::string& path) : name_(QString::fromStdString(path)) {}
  QString name() const override { return name_; }

private:
  QString name_;
};

// The Linux program opens the pseudo-terminal itself and is told of virtual
// ports through KOVOFLASH_EXTRA_PORTS.
class LinuxProgram : public ProgramUnderTest {
public:
  QString command() const override { return QStringLiteral(KOVOFLASH_CLI); }
  QStringList command_arguments(const QStringList& arguments) const override { return arguments; }
  void add_to(QProcessEnvironment&) const override {}
  std::unique_ptr<MappedPort> map_port(const std::string& pseudo_terminal) const override {
    return std::make_unique<PseudoTerminalPort>(pseudo_terminal);
  }
  QString file_name(const QString& path) const override { return path; }
  QString missing_port() const override { return QStringLiteral("/dev/kovo-no-such-port"); }
  void list_port(QProcessEnvironment& environment, const QString& port) const override {
    environment.insert(QStringLiteral("KOVOFLASH_EXTRA_PORTS"), port);
  }
  QString listed_port_description() const override { return QStringLiteral("virtual port"); }
  QString text_of(const QByteArray& written) const override { return QString::fromUtf8(written); }
  QString settings_file(const QString& configuration_folder) const override {
    return configuration_folder + QStringLiteral("/KovoFlash/ini_pckovorecv.dat");
  }
};

#ifdef KOVO_WINE

QString wine_prefix() {
  const QString prefix = qEnvironmentVariable("WINEPREFIX");
  if (prefix.isEmpty()) throw std::runtime_error("WINEPREFIX is not set: run the Wine tests through ctest");
  return prefix;
}

// COMn for the pseudo-terminal: the prefix's dosdevices/comn links to it. A
// lock file per number keeps tests that run at once off each other's
// numbers; the lock ends with the test's process, however it ends.
class WineComPort : public MappedPort {
public:
  explicit WineComPort(const std::string& pseudo_terminal) {
    const QString locks = wine_prefix() + QStringLiteral("/kovo-com-locks");
    QDir().mkpath(locks);
    for (int number = KOVO_WINE_FIRST_COM; number < KOVO_WINE_FIRST_COM + KOVO_WINE_COM_COUNT; ++number) {
      const QString lock = QStringLiteral("%1/com%2.lock").arg(locks).arg(number);
      lock_ = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
      if (lock_ >= 0 && ::flock(lock_, LOCK_EX | LOCK_NB) == 0) {
        number_ = number;
        break;
      }
      if (lock_ >= 0) ::close(lock_);
      lock_ = -1;
    }
    if (number_ < 0) throw std::runtime_error("every COM port of the Wine prefix is taken");
    const QByteArray link = QFile::encodeName(link_path());
    ::unlink(link.constData());
    if (::symlink(pseudo_terminal.c_str(), link.constData()) != 0) {
      throw std::runtime_error("cannot link " + link.toStdString() + ": " + std::strerror(errno));
    }
  }
  ~WineComPort() override {
    ::unlink(QFile::encodeName(link_path()).constData());
    ::close(lock_);
  }
  WineComPort(const WineComPort&) = delete;
  WineComPort& operator=(const WineComPort&) = delete;

  QString name() const override { return QStringLiteral("COM%1").arg(number_); }

private:
  QString link_path() const { return QStringLiteral("%1/dosdevices/com%2").arg(wine_prefix()).arg(number_); }

  int number_ = -1;
  int lock_ = -1;
};

// kovoflash-cli.exe under Wine, in the prefix the test run set up
// (tests/windows/wine_prefix.cmake), whose SERIALCOMM lists the COM ports
// the tests map.
class WineProgram : public ProgramUnderTest {
public:
  explicit WineProgram(const QString& executable) : executable_(executable) {}
  QString command() const override {
    if (!QFile::exists(executable_)) {
      throw std::runtime_error("no Windows program at " + executable_.toStdString());
    }
    return QStringLiteral(KOVO_WINE);
  }
  QStringList command_arguments(const QStringList& arguments) const override {
    return QStringList{executable_} + arguments;
  }
  void add_to(QProcessEnvironment& environment) const override {
    environment.insert(QStringLiteral("WINEPREFIX"), wine_prefix());
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    // Wine reads the command line in the locale's character set: without
    // UTF-8, names outside ASCII reach the program mangled.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // The prefix's display (tests/windows/wine_prefix.cmake), on which
    // every program's windows show, whichever starts Wine's desktop.
    QFile display(wine_prefix() + QStringLiteral("/kovo-display"));
    if (display.open(QIODevice::ReadOnly)) {
      environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display.readAll().trimmed()));
    }
  }
  std::unique_ptr<MappedPort> map_port(const std::string& pseudo_terminal) const override {
    return std::make_unique<WineComPort>(pseudo_terminal);
  }
  // Wine's drive Z: is the root folder.
  QString file_name(const QString& path) const override {
    return QStringLiteral("Z:") + QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
  }
  QString missing_port() const override { return QStringLiteral("COM199"); }
  void list_port(QProcessEnvironment&, const QString&) const override {}
  QString listed_port_description() const override { return {}; }
  QString text_of(const QByteArray& written) const override {
    return QString::fromUtf8(written).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  }
  // The prefix's local application data: every run under Wine shares it.
  QString settings_file(const QString&) const override {
    return wine_user_folder() + QStringLiteral("/AppData/Local/KovoFlash/ini_pckovorecv.dat");
  }

private:
  QString executable_;
};

#endif

std::unique_ptr<ProgramUnderTest>& chosen() {
  static std::unique_ptr<ProgramUnderTest> program = std::make_unique<LinuxProgram>();
  return program;
}

} // namespace

void choose_program_under_test(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--program=wine") != 0) continue;
#ifdef KOVOFLASH_CLI_EXE
    choose_wine_program(QStringLiteral(KOVOFLASH_CLI_EXE));
#else
    throw std::runtime_error("this build makes no Windows program");
#endif
    std::memmove(argv + i, argv + i + 1, sizeof(char*) * static_cast<std::size_t>(argc - i));
    --argc;
    return;
  }
}

const ProgramUnderTest& program_under_test() { return *chosen(); }

#ifdef KOVO_WINE

void choose_wine_program(const QString& executable) { chosen() = std::make_unique<WineProgram>(executable); }

// Wine names the user's folder after the account.
QString wine_user_folder() {
  const passwd* account = ::getpwuid(::geteuid());
  if (!account) throw std::runtime_error("no account for this user");
  return QStringLiteral("%1/drive_c/users/%2").arg(wine_prefix(), QFile::decodeName(account->pw_name));
}

#endif

} // namespace kovo::testsupport
