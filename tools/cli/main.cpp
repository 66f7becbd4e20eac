// kovoflash-cli: the firmware update of the window program, from a command
// line, through the same operations on the console run-time.
#include "files.h"
#include "kovoflash_version.h"
#include "live_output.h"
#include "options.h"
#include "port_details.h"
#include "port_listing.h"
#include "program_run.h"
#include "session.h"
#include "signal_handling.h"
#include "system_text.h"
#include "terminal.h"
#include "texts.h"
#include "update.h"
#include "util.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <optional>

namespace {

using cli::ExitStatus;

constexpr char kProgramName[] = "kovoflash-cli";

// For tests only: a factor on the protocol's waits, so that a silent device
// costs a fraction of its real time. Unset or not a positive number: real time.
double time_scale_from_environment() {
  bool valid = false;
  const double scale = qEnvironmentVariable("KOVOFLASH_TIME_SCALE").toDouble(&valid);
  return valid && scale > 0.0 && std::isfinite(scale) ? scale : 1.0;
}

QString help_text() {
  return QStringLiteral(
             "Usage: %1 [--port PORT] [--lang de|en] FILE.frm\n"
             "       %1 --list-ports\n"
             "       %1 --help | --version\n"
             "\n"
             "Updates the firmware of a Kovo device through the Kovo-USB-Link: opens the\n"
             "port, asks you to switch the device on, identifies it, loads FILE.frm and\n"
             "programs it.\n"
             "\n"
             "  --port PORT   a port label or number from --list-ports, or a device path;\n"
             "                default: the port of the last run, else the first listed\n"
             "  --lang de|en  language of the messages; default: German when the system\n"
             "                locale is German, English otherwise\n"
             "  --list-ports  list the ports: label, number, description, USB id\n"
             "  --help        show this help\n"
             "  --version     show the version\n"
             "\n"
             "Once a device answered, the port, the last firmware file and the language\n"
             "are kept in the folder\n"
             "  %2\n"
             "Nothing is written to the current folder.\n"
             "\n"
             "Exit status:\n"
             "  0  done: firmware programmed, ports listed, help or version shown\n"
             "  1  internal error: the program could not start\n"
             "  2  bad usage\n"
             "  3  the port cannot be opened, is not listed, or was lost while connecting\n"
             "  4  no device answered\n"
             "  5  the device cannot be updated\n"
             "  6  the firmware file cannot be read or is faulty\n"
             "  7  programming failed\n"
             "  8  interrupted (Ctrl-C or a termination signal): repeat the update")
      .arg(QLatin1String(kProgramName), QDir::toNativeSeparators(rt::user_settings_folder()));
}

// The firmware file as the system will open it: a readable file whose
// absolute path fits the system's path buffer.
std::optional<QString> firmware_path(const QString& argument) {
  const QFileInfo info(argument);
  if (!info.isFile() || !info.isReadable()) return std::nullopt;
  const std::string bytes = rt::to_system_text(QDir::toNativeSeparators(info.absoluteFilePath()));
  if (bytes.size() >= MAX_PATHNAME_LEN) return std::nullopt;
  return info.absoluteFilePath();
}

bool names_a_path(const QString& port) { return port.contains(QLatin1Char('/')) || port.contains(QLatin1Char('\\')); }

// The system keeps its settings file in the current folder. A command-line
// user expects none to appear there, so the system's files go to the user's
// configuration folder, or to a temporary one when that cannot be had.
bool choose_settings_folder(std::optional<QTemporaryDir>& fallback) {
  if (rt::keep_files_in_user_settings_folder()) return true;
  fallback.emplace();
  if (!fallback->isValid()) return false;
  rt::set_file_folder(fallback->path());
  return true;
}

using FolderWork = std::function<ExitStatus(const cli::PanelUser& user, cli::LiveOutput& output)>;

int run_in_settings_folder(int argc, char** argv, const cli::Texts& texts, const FolderWork& work) {
  std::optional<QTemporaryDir> fallback;
  if (!choose_settings_folder(fallback)) {
    cli::write_line(stderr, QStringLiteral("%1: no folder for the settings").arg(QLatin1String(kProgramName)));
    return cli::code_of(ExitStatus::Internal);
  }
  cli::LiveOutput output(texts, rt::is_terminal(stdout));
  return cli::code_of(
      cli::run_program(argc, argv, output, [&](const cli::PanelUser& user) { return work(user, output); }));
}

int update_firmware(int argc, char** argv, const cli::Options& options) {
  const cli::Language language = cli::language_of(options);
  const cli::Texts& texts = cli::texts_for(language);
  const auto file = firmware_path(options.file);
  if (!file) {
    cli::write_line(stderr, QString::fromUtf8(texts.file_unreadable).arg(options.file));
    return cli::code_of(ExitStatus::File);
  }
  QString port = options.port;
  if (names_a_path(port)) {
    port = QFileInfo(port).absoluteFilePath();
    rt::offer_port(port);
  }
  const cli::UpdateRequest request{language, port, *file};
  const cli::KeptFile settings_before(QDir(rt::user_settings_folder()).filePath(QLatin1String(kovo::kSettingsFile)));
  return run_in_settings_folder(argc, argv, texts, [&](const cli::PanelUser& user, cli::LiveOutput& output) {
    return cli::update(user, request, output, texts, settings_before);
  });
}

int list_ports(int argc, char** argv, const cli::Options& options) {
  const cli::Texts& texts = cli::texts_for(cli::language_of(options));
  return run_in_settings_folder(argc, argv, texts, [&](const cli::PanelUser& user, cli::LiveOutput& output) {
    return cli::list_ports(user, output, texts);
  });
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const rt::SignalHandling signal_handling;
  rt::Session session;
  session.time_scale = time_scale_from_environment();
  const auto parsed = cli::parse_options(QCoreApplication::arguments());
  if (const auto* error = std::get_if<cli::UsageError>(&parsed)) {
    cli::write_line(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.").arg(QLatin1String(kProgramName), error->reason));
    return cli::code_of(ExitStatus::Usage);
  }
  const cli::Options& options = std::get<cli::Options>(parsed);
  switch (options.mode) {
  case cli::Mode::Help: cli::write_line(stdout, help_text()); return cli::code_of(ExitStatus::Success);
  case cli::Mode::Version:
    cli::write_line(stdout, QStringLiteral("%1 %2").arg(QLatin1String(kProgramName), QLatin1String(KOVOFLASH_VERSION)));
    return cli::code_of(ExitStatus::Success);
  case cli::Mode::ListPorts: return list_ports(argc, argv, options);
  case cli::Mode::Update: break;
  }
  return update_firmware(argc, argv, options);
}
