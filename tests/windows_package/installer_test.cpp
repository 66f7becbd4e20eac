// The Windows build's zip and installer as a user gets them. The installer
// runs silently under Wine in the test run's prefix; the installed command
// line updates a simulated device on a mapped COM port; the entry in
// Windows' list of programs uninstalls silently and leaves only the user's
// settings.
#include "cli_fixture.h"
#include "devsim_process.h"
#include "program_under_test.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <map>
#include <ostream>

// Lists of names readable in a failure: GoogleTest would print each
// QString's code units.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;
using testsupport::wine_user_folder;
using namespace std::chrono_literals;

constexpr std::size_t kProgrammedSize = 16384; // what a device of memory size 1 receives
const std::vector<Block> kFirmware = {{0x0000, Bytes(512, 0x5A)}, {0x3FF0, Bytes(16, 0xA5)}};

const QString kUninstallKey = QStringLiteral(R"(Software\Microsoft\Windows\CurrentVersion\Uninstall\KovoFlash)");
const QString kZipFolder = QStringLiteral("kovoflash-" KOVO_PROJECT_VERSION "-windows-x64");

QString install_folder() { return wine_user_folder() + QStringLiteral("/AppData/Local/Programs/KovoFlash"); }
QString start_menu_entry() {
  return wine_user_folder() + QStringLiteral("/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/KovoFlash.lnk");
}

// Whether the Windows build made the program, wherever in its tree (the
// packages and their gathered files aside).
bool built(const QString& program) {
  QDirIterator files(QStringLiteral(KOVO_WINDOWS_BUILD), {program}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    if (!path.contains(QStringLiteral("/packaging/")) && !path.contains(QStringLiteral("/package/"))) return true;
  }
  return false;
}

// The programs the Windows build made: the command line always, the window
// where the build has it.
QStringList built_programs() {
  QStringList programs = {QStringLiteral("kovoflash-cli.exe")};
  if (built(QStringLiteral("kovoflash.exe"))) programs.append(QStringLiteral("kovoflash.exe"));
  return programs;
}

QStringList sorted(QStringList names) {
  names.sort();
  return names;
}

QStringList expected_files() {
  return sorted(built_programs() + QStringList{QStringLiteral("24GHz_prog.uir"), QStringLiteral("README.txt")});
}

QStringList entries_of(const QString& folder) {
  return sorted(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// Polls until ready() holds; false at the deadline.
template <typename Condition>
bool eventually(Condition ready, std::chrono::seconds deadline = 60s) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QThread::msleep(100);
  }
  return true;
}

// Every file in the user's folder of the prefix, its temporary files aside
// (the unit tests under Wine may write some at the same time).
QStringList user_files() {
  const QString root = wine_user_folder();
  QStringList files;
  QDirIterator found(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (found.hasNext()) {
    const QString path = found.next();
    if (!path.startsWith(root + QStringLiteral("/Temp/"))) files.append(path);
  }
  return sorted(files);
}

QByteArray contents_of(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
  return file.readAll();
}

class WindowsPackage : public CliTest {
protected:
  static void SetUpTestSuite() {
    testsupport::choose_wine_program(install_folder() + QStringLiteral("/kovoflash-cli.exe"));
  }

  // A Windows program under Wine. Wine's menu builder stays off, so that a
  // Start menu entry does not reach the desktop of the user running the tests.
  CliRun wine(const QStringList& arguments) const {
    QProcessEnvironment environment = this->environment();
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("winemenubuilder.exe=d"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KOVO_WINE), arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString() << " did not end";
    const auto& program = testsupport::program_under_test();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            program.text_of(process.readAllStandardOutput()), program.text_of(process.readAllStandardError())};
  }

  // The values of the uninstall entry under root (HKCU or HKLM), by name;
  // empty where there is none.
  std::map<QString, QString> uninstall_entry(const QString& root) const {
    const CliRun query = wine({QStringLiteral("reg"), QStringLiteral("query"), root + '\\' + kUninstallKey});
    std::map<QString, QString> values;
    static const QRegularExpression line(QStringLiteral(R"(^\s+(\S+)\s+REG_\w+\s+(.*)$)"),
                                         QRegularExpression::MultilineOption);
    for (const auto& match : line.globalMatch(query.out)) values[match.captured(1)] = match.captured(2).trimmed();
    return values;
  }

  // What an earlier run that stopped half-way left, so that this one starts
  // from a prefix without KovoFlash.
  void remove_earlier_install() const {
    QDir(install_folder()).removeRecursively();
    QFile::remove(start_menu_entry());
    wine({QStringLiteral("reg"), QStringLiteral("delete"), QStringLiteral("HKCU\\") + kUninstallKey,
          QStringLiteral("/f")});
  }

  // Windows' list of programs shows the user's installation, and only it.
  void expect_entry_in_the_users_list_of_programs() const {
    const std::map<QString, QString> entry = uninstall_entry(QStringLiteral("HKCU"));
    const QString location =
        QStringLiteral(R"(C:\users\%1\AppData\Local\Programs\KovoFlash)").arg(QFileInfo(wine_user_folder()).fileName());
    const std::map<QString, QString> expected = {
        {QStringLiteral("DisplayName"), QStringLiteral("KovoFlash")},
        {QStringLiteral("DisplayVersion"), QStringLiteral(KOVO_PROJECT_VERSION)},
        {QStringLiteral("Publisher"), QStringLiteral("KovoFlash")},
        {QStringLiteral("InstallLocation"), location},
        {QStringLiteral("UninstallString"), QStringLiteral("\"%1\\uninstall.exe\"").arg(location)},
        {QStringLiteral("QuietUninstallString"), QStringLiteral("\"%1\\uninstall.exe\" /S").arg(location)},
        {QStringLiteral("NoModify"), QStringLiteral("0x1")},
        {QStringLiteral("NoRepair"), QStringLiteral("0x1")}};
    for (const auto& [name, value] : expected) {
      EXPECT_EQ(entry.count(name) ? entry.at(name) : QStringLiteral("(none)"), value) << name.toStdString();
    }
    EXPECT_TRUE(uninstall_entry(QStringLiteral("HKLM")).empty()) << "an entry for every user";
  }

  // Where the build has the window, the Start menu starts it with --user-config.
  void expect_start_menu_entry_for_the_window() const {
    if (built_programs().contains(QStringLiteral("kovoflash.exe"))) {
      const QByteArray link = contents_of(start_menu_entry());
      const auto utf16 = [](const char* text) {
        const QString string = QString::fromLatin1(text);
        return QByteArray(reinterpret_cast<const char*>(string.utf16()), string.size() * 2);
      };
      EXPECT_TRUE(link.contains(utf16("kovoflash.exe")) && link.contains(utf16("--user-config")))
          << "the Start menu entry does not start the window with --user-config";
    } else {
      EXPECT_FALSE(QFileInfo::exists(start_menu_entry())) << "a Start menu entry without a window";
    }
  }

  void update_simulated_device() {
    DevsimProcess device;
    const QString file = write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware));
    const CliRun result = run(update_arguments(port_of(device), file));
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err.toStdString();
    device.stop();
    const Bytes memory = device.readMemory();
    ASSERT_GE(memory.size(), kProgrammedSize);
    EXPECT_EQ(Bytes(memory.begin(), memory.begin() + kProgrammedSize), image_of(kFirmware, kProgrammedSize));
  }
};

TEST_F(WindowsPackage, ZipHoldsTheBuiltProgramsThePanelFileAndTheReadme) {
  QTemporaryDir unpacked;
  QProcess tar;
  tar.setWorkingDirectory(unpacked.path());
  tar.start(QStringLiteral(KOVO_CMAKE),
            {QStringLiteral("-E"), QStringLiteral("tar"), QStringLiteral("xf"), QStringLiteral(KOVO_WINDOWS_ZIP)});
  ASSERT_TRUE(tar.waitForFinished(60000) && tar.exitCode() == 0) << tar.readAllStandardError().toStdString();
  ASSERT_EQ(entries_of(unpacked.path()), QStringList{kZipFolder}) << "not one folder named after the version";
  const QString folder = unpacked.filePath(kZipFolder);
  EXPECT_EQ(entries_of(folder), expected_files());
  const CliRun version = wine({folder + QStringLiteral("/kovoflash-cli.exe"), QStringLiteral("--version")});
  EXPECT_EQ(version.out, QStringLiteral("kovoflash-cli " KOVO_PROJECT_VERSION "\n")) << version.err.toStdString();
  const QByteArray readme = contents_of(folder + QStringLiteral("/README.txt"));
  EXPECT_TRUE(readme.count("\r\n") > 0 && readme.count("\r\n") == readme.count('\n'))
      << "the readme's lines do not end in CR LF, as Windows editors read them";
}

TEST_F(WindowsPackage, InstallsForTheUserRunsAndUninstallsLeavingOnlyTheSettings) {
  // Windows asks for no administrator rights: the manifest says so.
  EXPECT_TRUE(contents_of(QStringLiteral(KOVO_WINDOWS_SETUP)).contains(R"(level="asInvoker")"));
  remove_earlier_install();
  const QStringList before = user_files();

  const CliRun setup = wine({QStringLiteral(KOVO_WINDOWS_SETUP), QStringLiteral("/S")});
  ASSERT_EQ(setup.exit_code, kExitSuccess) << setup.err.toStdString();
  EXPECT_EQ(entries_of(install_folder()), sorted(expected_files() << QStringLiteral("uninstall.exe")));

  expect_entry_in_the_users_list_of_programs();
  expect_start_menu_entry_for_the_window();

  const CliRun version = run({QStringLiteral("--version")});
  EXPECT_EQ(version.exit_code, kExitSuccess);
  EXPECT_EQ(version.out, QStringLiteral("kovoflash-cli " KOVO_PROJECT_VERSION "\n"));
  update_simulated_device();
  ASSERT_TRUE(QFileInfo::exists(settings_file())) << "the update kept no settings";

  // The uninstaller copies itself away and returns at once; the copy removes the rest.
  const QString uninstaller = install_folder() + QStringLiteral("/uninstall.exe");
  const CliRun uninstall = wine({uninstaller, QStringLiteral("/S")});
  EXPECT_EQ(uninstall.exit_code, kExitSuccess) << uninstall.err.toStdString();
  EXPECT_TRUE(eventually([&] { return !QFileInfo::exists(install_folder()); }))
      << "left in the install folder: " << entries_of(install_folder()).join(' ').toStdString();
  EXPECT_TRUE(eventually([&] { return uninstall_entry(QStringLiteral("HKCU")).empty(); }))
      << "the entry in the list of programs stays";
  EXPECT_FALSE(QFileInfo::exists(start_menu_entry()));
  EXPECT_TRUE(QFileInfo::exists(settings_file())) << "the user's settings went with the programs";
  QStringList left = user_files();
  left.removeOne(settings_file());
  EXPECT_EQ(left, before) << "left behind besides the settings";
}

} // namespace
} // namespace kovo::cli_testing
