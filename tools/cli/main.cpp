// kovoflash-cli: the firmware update of the window program, from a command
// line, through the same operations on the console run-time.
#include "events.h"
#include "file_check.h"
#include "files.h"
#include "kept_settings.h"
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
#include "trace_file.h"
#include "update.h"
#include "util.h"
#include "workshop.h"
#include "written_addresses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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
             "                default: the port of the last run, else the one listed\n"
             "                Kovo-USB-Link\n"
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
             "The port, the last firmware file and the language are kept in the folder\n"
             "  %2\n"
             "and stored there at the end of a run in which a device answered. Nothing\n"
             "is written to the current folder.\n"
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

// Where the human output goes, and the events if any.
struct Reporting {
  std::FILE* stream = stdout;
  cli::EventStream* events = nullptr;
};

using SettingsWork =
    std::function<ExitStatus(const cli::PanelUser& user, cli::LiveOutput& output, cli::KeptSettings& settings)>;

// The system keeps its settings file in the current folder; under the command
// line it works on a copy in memory (kept_settings.h), so no file appears there.
int run_with_settings(int argc, char** argv, const cli::Texts& texts, cli::SettingsUse use, const Reporting& reporting,
                      const SettingsWork& work) {
  cli::KeptSettings settings(use, texts);
  cli::LiveOutput output(texts, reporting.stream, reporting.events);
  const ExitStatus status =
      cli::run_program(argc, argv, output, [&](const cli::PanelUser& user) { return work(user, output, settings); });
  settings.store();
  return cli::code_of(status);
}

// A trace that cannot be written is refused before any port is touched.
bool start_trace(const QString& path, const std::string& firmware, std::optional<rt::LineTrace>& trace,
                 const cli::Texts& texts) {
  if (path.isEmpty()) return true;
  if (!cli::open_trace(trace, path, firmware, texts)) return false;
  rt::Session::current().serial.trace = &*trace;
  return true;
}

// Said at the end, and as an event for the program that started this one for its port.
void warn_of_incomplete_trace(const std::optional<rt::LineTrace>& trace, const QString& path, cli::EventStream* events,
                              const cli::Texts& texts) {
  const QString warning = trace ? cli::trace_warning(*trace, path, texts) : QString();
  if (warning.isEmpty()) return;
  cli::write_line(stderr, warning);
  if (events) events->warned(warning);
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
  if (!start_trace(options.trace, file, trace, texts)) return cli::code_of(ExitStatus::Usage);
  std::optional<cli::EventStream> events;
  if (options.json) events.emplace(port);
  const Reporting reporting{options.json ? stderr : stdout, events ? &*events : nullptr};
  const cli::UpdateRequest request{language, port, file};
  // One port of a workshop run leaves the user's settings alone.
  const cli::SettingsUse use = options.workshop_child ? cli::SettingsUse::Defaults : cli::SettingsUse::Stored;
  const int status =
      run_with_settings(argc, argv, texts, use, reporting,
                        [&](const cli::PanelUser& user, cli::LiveOutput& output, cli::KeptSettings& settings) {
                          return cli::update(user, request, output, texts, settings);
                        });
  warn_of_incomplete_trace(trace, options.trace, events ? &*events : nullptr, texts);
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
  return run_with_settings(argc, argv, texts, cli::SettingsUse::Defaults, {},
                           [&](const cli::PanelUser& user, cli::LiveOutput& output, cli::KeptSettings&) {
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
    cli::write_line(stdout,
                    QStringLiteral("%1 %2").arg(QLatin1String(kProgramName), QLatin1String(KOVOFLASH_PACKAGE_VERSION)));
    return cli::code_of(ExitStatus::Success);
  case cli::Mode::ListPorts: return list_ports(argc, argv, options);
  case cli::Mode::Check: return check_file(options);
  case cli::Mode::Update: break;
  }
  return update_firmware(argc, argv, options);
}
