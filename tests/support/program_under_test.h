// The command line a system test runs: the Linux kovoflash-cli, or
// kovoflash-cli.exe under Wine. One set of cases serves both; each program
// names ports and files as its own system does.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

namespace kovo::testsupport {

// A pseudo-terminal under the name the program opens it by, for as long as
// this lives.
class MappedPort {
public:
  virtual ~MappedPort() = default;
  virtual QString name() const = 0;
};

class ProgramUnderTest {
public:
  virtual ~ProgramUnderTest() = default;
  // What to start for a run with these arguments.
  virtual QString command() const = 0;
  virtual QStringList command_arguments(const QStringList& arguments) const = 0;
  // What the program's system adds to a run's environment.
  virtual void add_to(QProcessEnvironment& environment) const = 0;
  virtual std::unique_ptr<MappedPort> map_port(const std::string& pseudo_terminal) const = 0;
  // A file as the program names it.
  virtual QString file_name(const QString& path) const = 0;
  // A port name that names no port.
  virtual QString missing_port() const = 0;
  // The environment in which the system lists port among its serial ports.
  virtual void list_port(QProcessEnvironment& environment, const QString& port) const = 0;
  // How the port list describes such a port, where the test knows it.
  virtual QString listed_port_description() const = 0;
  // What the program wrote, with Linux line ends: Windows' text mode ends
  // every line in CR LF.
  virtual QString text_of(const QByteArray& written) const = 0;
  // Where the program keeps its settings, given the run's configuration folder.
  virtual QString settings_file(const QString& configuration_folder) const = 0;
};

// Chosen once by the test program's command line: --program=wine runs the
// Windows program under Wine. Removes the option from argv.
void choose_program_under_test(int& argc, char** argv);
// The Windows program at executable (a Linux path) under Wine, for a test
// that runs a copy installed in the test run's prefix.
void choose_wine_program(const QString& executable);
// The user's folder in the test run's Wine prefix (C:\users\NAME), as a
// Linux path.
QString wine_user_folder();
const ProgramUnderTest& program_under_test();

} // namespace kovo::testsupport
