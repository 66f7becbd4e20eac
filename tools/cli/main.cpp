// kovoflash-cli: the firmware update of the window program, from a command
// line, through the same operations on the console run-time.
#include "events.h"
#include "file_check.h"
#include "files.h"
#include "kovoflash_version.h"
#include "line_trace.h"
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
#include "time_scale.h"
#include "update.h"
#include "util.h"
#include "workshop.h"
#include "written_addresses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

namespace {

using cli::ExitStatus;

constexpr char kProgramName[] = "kovoflash-cli";

// For tests only: a factor on the protocol's waits, so that a silent device
// costs a fraction of its real time. Unset: real time; nothing when out of range.
std::optional<double> time_scale_from_environment() {
  return rt::time_scale_from_text(qEnvironmentVariable("KOVOFLASH_TIME_SCALE"));
}

int refuse_usage(const QString& reason) {
  cli::write_line(stderr, QStringLiteral("%1: %2\nTry '%1 --help'.").arg(QLatin1String(kProgramName), reason));
  return cli::code_of(ExitStatus::Usage);
}

QString help_text() {
  return QStringLiteral(
             "Usage: %1 [--port PORT] [--lang de|en] FILE.frm\n"
             "       %1 [--port PORT]... [--all-links] [--json] [--trace FILE] [--lang de|en] FILE.frm\n"
             "       %1 --check FILE.frm [--lang de|en]\n"
             "       %1 --list-ports\n"
             "       %1 --help | --version\n"
             "\n"
             "Updates the firmware of a Kovo device through the Kovo-USB-Link: opens the\n"
             "port, asks you to switch the device on, identifies it, loads FILE.frm and\n"
             "programs it.\n"
             "\n"
             "  --port PORT   a port label or number from --list-ports, or a device path;\n"
             "                default: the port of the last run, else the first listed\n"
             "                (given more than once: every port updated at once)\n"
             "  --all-links   update every listed Kovo-USB-Link (USB id 10C4:EA60) too\n"
             "  --lang de|en  language of the messages; default: German when the system\n"
             "                locale is German, English otherwise\n"
             "  --json        one JSON object per line on standard output for each step\n"
             "                and result; the other output goes to standard error\n"
             "  --trace FILE  write every frame sent and received to FILE; with more than\n"
             "                one port, to one file per port: FILE.PORT\n"
             "  --check FILE  tell whether FILE loads, where its data lie, whether it fits\n"
             "                a 16 and a 32 KiB device, and the CRC-32 of each image\n"
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
             "  8  interrupted (Ctrl-C or a termination signal): repeat the update\n"
             "With more than one port: 0 when every port succeeded, else the highest\n"
             "status of a port.")
      .arg(QLatin1String(kProgramName), QDir::toNativeSeparators(rt::user_settings_folder()));
}

// The firmware file as the system will open it: a readable file whose
// absolute path fits the system's path buffer.
std::optional<std::string> firmware_path(const std::string& argument) {
  const auto file = rt::readable_file(argument);
  if (!file || file->size() >= MAX_PATHNAME_LEN) return std::nullopt;
  return file;
}

// The firmware file's path, or nothing when it cannot be read, which is said.
std::optional<std::string> readable_firmware(const std::string& argument, const cli::Texts& texts) {
  const auto file = firmware_path(argument);
  if (!file) cli::write_line(stderr, QString::fromUtf8(texts.file_unreadable).arg(rt::from_system_text(argument)));
  return file;
}

bool names_a_path(const QString& port) { return port.contains(QLatin1Char('/')) || port.contains(QLatin1Char('\\')); }

enum class SettingsFolder {
  User,    // the user's configuration folder
  Private, // a temporary folder: one port of a workshop run leaves the user's settings alone
};

// The system keeps its settings file in the current folder. A command-line
// user expects none to appear there, so the system's files go to the user's
// configuration folder, or to a temporary one when that cannot be had.
std::optional<QString> choose_settings_folder(SettingsFolder wanted, std::optional<QTemporaryDir>& fallback) {
  if (wanted == SettingsFolder::User && rt::keep_files_in_user_settings_folder()) return rt::user_settings_folder();
  fallback.emplace();
  if (!fallback->isValid()) return std::nullopt;
  rt::set_file_folder(fallback->path());
  return fallback->path();
}

// Where the human output goes, and the events if any.
struct Reporting {
  std::FILE* stream = stdout;
  cli::EventStream* events = nullptr;
};

using FolderWork =
    std::function<ExitStatus(const cli::PanelUser& user, cli::LiveOutput& output, const cli::KeptFile& settings)>;

int run_in_settings_folder(int argc, char** argv, const cli::Texts& texts, SettingsFolder wanted,
                           const Reporting& reporting, const FolderWork& work) {
  std::optional<QTemporaryDir> fallback;
  const auto folder = choose_settings_folder(wanted, fallback);
  if (!folder) {
    cli::write_line(stderr, QStringLiteral("%1: no folder for the settings").arg(QLatin1String(kProgramName)));
    return cli::code_of(ExitStatus::Internal);
  }
  const cli::KeptFile settings_before(QDir(*folder).filePath(QLatin1String(kovo::kSettingsFile)));
  cli::LiveOutput output(texts, reporting.stream, reporting.events);
  return cli::code_of(cli::run_program(
      argc, argv, output, [&](const cli::PanelUser& user) { return work(user, output, settings_before); }));
}

// A trace that cannot be written is refused before any port is touched.
bool start_trace(const QString& path, std::optional<rt::LineTrace>& trace, const cli::Texts& texts) {
  if (path.isEmpty()) return true;
  trace.emplace(path);
  if (!trace->is_open()) {
    cli::write_line(stderr, QString::fromUtf8(texts.trace_unwritable).arg(QDir::toNativeSeparators(path)));
    return false;
  }
  rt::Session::current().serial.trace = &*trace;
  return true;
}

int update_one_port(int argc, char** argv, const cli::Options& options, const std::string& file) {
  const cli::Language language = cli::language_of(options);
  const cli::Texts& texts = cli::texts_for(language);
  QString port = options.ports.value(0);
  if (names_a_path(port)) {
    port = QFileInfo(port).absoluteFilePath();
    rt::offer_port(port);
  }
  std::optional<rt::LineTrace> trace;
  if (!start_trace(options.trace, trace, texts)) return cli::code_of(ExitStatus::Usage);
  std::optional<cli::EventStream> events;
  if (options.json) events.emplace(port);
  const Reporting reporting{options.json ? stderr : stdout, events ? &*events : nullptr};
  const cli::UpdateRequest request{language, port, file};
  const SettingsFolder folder = options.workshop_child ? SettingsFolder::Private : SettingsFolder::User;
  const int status = run_in_settings_folder(
      argc, argv, texts, folder, reporting,
      [&](const cli::PanelUser& user, cli::LiveOutput& output, const cli::KeptFile& settings_before) {
        return cli::update(user, request, output, texts, settings_before);
      });
  if (events) events->result(static_cast<ExitStatus>(status));
  return status;
}

// One device named twice would get two copies, and one of them would fail.
int update_firmware(int argc, char** argv, const cli::Options& options) {
  const cli::Language language = cli::language_of(options);
  const cli::Texts& texts = cli::texts_for(language);
  if (const auto twice = cli::port_named_twice(options.ports)) {
    return refuse_usage(QStringLiteral("--port %1 and --port %2 name the same port").arg(twice->first, twice->second));
  }
  const auto file = firmware_path(options.file);
  if (!file) {
    const QString reason = QString::fromUtf8(texts.file_unreadable).arg(rt::from_system_text(options.file));
    return cli::code_of(cli::end_before_any_port(options.ports, options.json, ExitStatus::File, reason));
  }
  const QStringList ports = options.all_links ? cli::ports_with_links(options.ports) : options.ports;
  if (ports.isEmpty() && options.all_links) {
    const QString reason = QString::fromUtf8(texts.no_links);
    return cli::code_of(cli::end_before_any_port(ports, options.json, ExitStatus::Port, reason));
  }
  if (ports.size() <= 1) {
    cli::Options one_port = options;
    one_port.ports = ports;
    return update_one_port(argc, argv, one_port, *file);
  }
  return cli::code_of(cli::run_workshop({language, ports, *file, options.trace, options.json}, texts));
}

int list_ports(int argc, char** argv, const cli::Options& options) {
  const cli::Texts& texts = cli::texts_for(cli::language_of(options));
  return run_in_settings_folder(argc, argv, texts, SettingsFolder::User, {},
                                [&](const cli::PanelUser& user, cli::LiveOutput& output, const cli::KeptFile&) {
                                  return cli::list_ports(user, output, texts);
                                });
}

int check_file(const cli::Options& options) {
  const cli::Texts& texts = cli::texts_for(cli::language_of(options));
  const auto file = readable_firmware(options.file, texts);
  return cli::code_of(file ? cli::check_file(*file, texts) : ExitStatus::File);
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const rt::SignalHandling signal_handling;
  rt::Session session;
  const auto time_scale = time_scale_from_environment();
  if (!time_scale) return refuse_usage(QStringLiteral("KOVOFLASH_TIME_SCALE takes a number from 0.01 to 100"));
  session.time_scale = *time_scale;
  const auto parsed = cli::parse_options(rt::command_line_arguments(argc, argv));
  if (const auto* error = std::get_if<cli::UsageError>(&parsed)) return refuse_usage(error->reason);
  const cli::Options& options = std::get<cli::Options>(parsed);
  switch (options.mode) {
  case cli::Mode::Help: cli::write_line(stdout, help_text()); return cli::code_of(ExitStatus::Success);
  case cli::Mode::Version:
    cli::write_line(stdout, QStringLiteral("%1 %2").arg(QLatin1String(kProgramName), QLatin1String(KOVOFLASH_VERSION)));
    return cli::code_of(ExitStatus::Success);
  case cli::Mode::ListPorts: return list_ports(argc, argv, options);
  case cli::Mode::Check: return check_file(options);
  case cli::Mode::Update: break;
  }
  return update_firmware(argc, argv, options);
}
