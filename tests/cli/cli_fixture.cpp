#include "cli_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <thread>

namespace kovo::cli_testing {
namespace {

constexpr std::size_t kRecordLength = 16;

std::string record(std::uint16_t address, const std::uint8_t* data, std::size_t count) {
  std::string line = ":";
  char digits[3];
  unsigned sum = 0;
  const auto add = [&](unsigned byte) {
    std::snprintf(digits, sizeof digits, "%02X", byte & 0xFFu);
    line += digits;
    sum += byte;
  };
  add(static_cast<unsigned>(count));
  add(address >> 8);
  add(address & 0xFFu);
  add(0x00); // data record
  for (std::size_t i = 0; i < count; ++i) add(data[i]);
  add((0x100 - (sum & 0xFFu)) & 0xFFu);
  return line + "\n";
}

} // namespace

std::string intel_hex(const std::vector<Block>& blocks) {
  std::string text;
  for (const Block& block : blocks) {
    for (std::size_t offset = 0; offset < block.bytes.size(); offset += kRecordLength) {
      const std::size_t count = std::min(kRecordLength, block.bytes.size() - offset);
      text += record(static_cast<std::uint16_t>(block.address + offset), block.bytes.data() + offset, count);
    }
  }
  return text + ":00000001FF\n";
}

Bytes image_of(const std::vector<Block>& blocks, std::size_t size) {
  Bytes image(size, 0xFF);
  for (const Block& block : blocks) {
    std::copy(block.bytes.begin(), block.bytes.end(), image.begin() + block.address);
  }
  return image;
}

QStringList update_arguments(const QString& port, const QString& file) {
  return {QStringLiteral("--port"), port, QStringLiteral("--lang"), QStringLiteral("en"), file};
}

bool wait_for_output(QProcess& process, const QString& text, QString& seen, std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!seen.contains(text) && std::chrono::steady_clock::now() < end) {
    process.waitForReadyRead(50);
    seen += testsupport::program_under_test().text_of(process.readAllStandardOutput());
  }
  return seen.contains(text);
}

bool wait_for_frames(const testsupport::DevsimProcess& device, std::size_t count, std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (device.readLog().size() < count) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

CliTest::CliTest() {
  if (!current_.isValid() || !config_.isValid() || !files_.isValid()) {
    throw std::runtime_error("no temporary folder");
  }
  // Under Wine every run shares the prefix's settings: each test starts without.
  QFile::remove(settings_file());
}

QString CliTest::port_of(const testsupport::DevsimProcess& device) const {
  auto& port = ports_[device.ptyPath()];
  if (!port) port = testsupport::program_under_test().map_port(device.ptyPath());
  return port->name();
}

QProcessEnvironment CliTest::environment() const {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("KOVOFLASH_EXTRA_PORTS"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  environment.insert(QStringLiteral("KOVOFLASH_TIME_SCALE"), QString::number(time_scale_));
  testsupport::program_under_test().add_to(environment); // last: the program's system may need its own
  return environment;
}

QProcessEnvironment CliTest::with_virtual_ports(const QStringList& ports) const {
  QProcessEnvironment environment = this->environment();
  environment.insert(QStringLiteral("KOVOFLASH_EXTRA_PORTS"), ports.join(QLatin1Char(':')));
  return environment;
}

std::unique_ptr<QProcess> CliTest::start(const QStringList& arguments, const QProcessEnvironment& environment) const {
  auto process = std::make_unique<QProcess>();
  process->setProcessEnvironment(environment);
  process->setWorkingDirectory(current_.path());
  const testsupport::ProgramUnderTest& program = testsupport::program_under_test();
  process->start(program.command(), program.command_arguments(arguments));
  if (!process->waitForStarted()) throw std::runtime_error("kovoflash-cli did not start");
  return process;
}

CliRun CliTest::run(const QStringList& arguments, const QProcessEnvironment& environment,
                    std::chrono::seconds deadline) const {
  const testsupport::ProgramUnderTest& program = testsupport::program_under_test();
  return run_command(program.command(), program.command_arguments(arguments), environment, deadline);
}

namespace {

// Each byte outside ASCII as printf's %b takes it: \0 and three octal digits.
QString printf_escaped(const std::string& bytes) {
  QString escaped;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    escaped += byte < 0x80 && byte != '\\' ? QString(QLatin1Char(c))
                                           : QStringLiteral("\\0%1").arg(byte, 3, 8, QLatin1Char('0'));
  }
  return escaped;
}

} // namespace

CliRun CliTest::run_with_byte_arguments(const std::vector<std::string>& arguments) const {
  // The shell turns each escaped argument back into its bytes and starts the program with them.
  QStringList shell = {
      QStringLiteral("-c"),
      QStringLiteral("program=$1; shift; for a; do shift; set -- \"$@\" \"$(printf %b \"$a\")\"; done; "
                     "exec \"$program\" \"$@\""),
      QStringLiteral("sh"), QStringLiteral(KOVOFLASH_CLI)};
  for (const std::string& argument : arguments) shell.append(printf_escaped(argument));
  return run_command(QStringLiteral("/bin/sh"), shell, environment(), std::chrono::seconds(60));
}

CliRun CliTest::run_command(const QString& program, const QStringList& arguments,
                            const QProcessEnvironment& environment, std::chrono::seconds deadline) const {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.setWorkingDirectory(current_.path());
  process.start(program, arguments);
  const bool finished = process.waitForFinished(static_cast<int>(deadline.count() * 1000));
  if (!finished) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "kovoflash-cli did not end within " << deadline.count() << " s";
  }
  CliRun result;
  result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = testsupport::program_under_test().text_of(process.readAllStandardOutput());
  result.err = testsupport::program_under_test().text_of(process.readAllStandardError());
  return result;
}

void write_whole_file(const QString& path, const std::string& content) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(content.data(), static_cast<qint64>(content.size())) != static_cast<qint64>(content.size())) {
    throw std::runtime_error("cannot write " + path.toStdString());
  }
}

QString CliTest::write_file(const QString& name, const std::string& content) const {
  const QString path = files_.filePath(name);
  QDir().mkpath(QFileInfo(path).path());
  write_whole_file(path, content);
  return testsupport::program_under_test().file_name(path);
}

QString CliTest::settings_file() const { return testsupport::program_under_test().settings_file(config_.path()); }

QStringList CliTest::current_folder_entries() const {
  return QDir(current_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace kovo::cli_testing
