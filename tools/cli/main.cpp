// kovoflash-cli: the firmware update of the window program, from a command
// line, through the same operations on the console run-time.
#include "checked_firmware.h"
#include "console_output.h"
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
#include "text.h"
#include "texts.h"
#include "time_scale.h"
#include "trace_file.h"
#include "update.h"
#include "util.h"
#include "workshop.h"
#include "written_addresses.h"

#include <filesystem>
#include <optional>

namespace {

using cli::ExitStatus;

constexpr char kProgramName[] = "kovoflash-cli";

// For tests only: a factor on the protocol's waits, so that a silent device
// costs a fraction of its real time. Unset: real time; nothing when out of range.
std::optional<double> time_scale_from_environment() {
  return rt::time_scale_from_text(rt::environment_variable("KOVOFLASH_TIME_SCALE"));
}

int refuse_usage(const cli::Texts& texts, const std::string& reason) {
  const std::string hint = cli::format(texts.usage_try, {kProgramName});
  cli::write_line(stderr, cli::format("%1: %2\n%3", {kProgramName, reason, hint}));
  return cli::code_of(ExitStatus::Usage);
}

std::string help_text(const cli::Texts& texts) {
  return cli::format(texts.help, {kProgramName, rt::user_settings_folder()});
}

bool names_a_path(const std::string& port) { return port.find_first_of("/\\") != std::string::npos; }

// The port's path made absolute, as the system names files.
std::string absolute_port(const std::string& port) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(port, failed);
  return failed ? port : absolute.lexically_normal().string();
}

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
bool start_trace(const std::string& path, const std::string& firmware, std::optional<rt::LineTrace>& trace,
                 const cli::Texts& texts) {
  if (path.empty()) return true;
  if (!cli::open_trace(trace, path, firmware, texts)) return false;
  rt::Session::current().serial.trace = &*trace;
  return true;
}

// Said at the end, and as an event for the program that started this one for its port.
void warn_of_incomplete_trace(const std::optional<rt::LineTrace>& trace, const std::string& path,
                              cli::EventStream* events, const cli::Texts& texts) {
  const std::string warning = trace ? cli::trace_warning(*trace, path, texts) : std::string();
  if (warning.empty()) return;
  cli::write_line(stderr, warning);
  if (events) events->warned(warning);
}

int update_one_port(int argc, char** argv, const cli::Options& options, const cli::CheckedFirmware& firmware) {
  const cli::Language language = cli::language_of(options);
  const cli::Texts& texts = cli::texts_for(language);
  std::string port = options.ports.empty() ? std::string() : options.ports.front();
  if (names_a_path(port)) {
    port = absolute_port(port);
    rt::offer_port(port);
  }
  std::optional<rt::LineTrace> trace;
  if (!start_trace(options.trace, firmware.file, trace, texts)) return cli::code_of(ExitStatus::Usage);
  std::optional<cli::EventStream> events;
  if (options.json) events.emplace(port);
  const Reporting reporting{options.json ? stderr : stdout, events ? &*events : nullptr};
  const cli::UpdateRequest request{language, port, firmware};
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
// The file is checked before any port is looked at.
int update_firmware(int argc, char** argv, const cli::Options& options) {
  const cli::Language language = cli::language_of(options);
  const cli::Texts& texts = cli::texts_for(language);
  if (const auto twice = cli::port_named_twice(options.ports)) {
    return refuse_usage(texts, cli::format(texts.usage_same_port, {twice->first, twice->second}));
  }
  const auto checked = cli::check_firmware(options.file, options.force, texts);
  if (const auto* refusal = std::get_if<cli::FirmwareRefusal>(&checked)) {
    return cli::code_of(cli::end_before_any_port(options.ports, options.json, refusal->status, refusal->reason));
  }
  const cli::CheckedFirmware& firmware = std::get<cli::CheckedFirmware>(checked);
  const std::vector<std::string> ports = options.all_links ? cli::ports_with_links(options.ports) : options.ports;
  if (ports.empty() && options.all_links) {
    return cli::code_of(cli::end_before_any_port(ports, options.json, ExitStatus::Port, texts.no_links));
  }
  if (ports.size() <= 1) {
    cli::Options one_port = options;
    one_port.ports = ports;
    return update_one_port(argc, argv, one_port, firmware);
  }
  return cli::code_of(
      cli::run_workshop({language, ports, firmware, options.trace, options.json, options.force}, texts));
}

int list_ports(int argc, char** argv, const cli::Options& options) {
  const cli::Texts& texts = cli::texts_for(cli::language_of(options));
  return run_with_settings(argc, argv, texts, cli::SettingsUse::Defaults, {},
                           [&](const cli::PanelUser& user, cli::LiveOutput& output, cli::KeptSettings&) {
                             return cli::list_ports(user, output, texts);
                           });
}

int check_file(const cli::Options& options) {
  return cli::code_of(cli::check_file(options.file, cli::texts_for(cli::language_of(options)), options.json));
}

} // namespace

int main(int argc, char** argv) {
  rt::prepare_console_output();
  const rt::SignalHandling signal_handling;
  rt::Session session;
  const auto parsed = cli::parse_options(rt::command_line_arguments(argc, argv));
  if (const auto* error = std::get_if<cli::UsageError>(&parsed)) {
    return refuse_usage(cli::texts_for(error->language), cli::reason_of(*error));
  }
  const cli::Options& options = std::get<cli::Options>(parsed);
  const cli::Texts& texts = cli::texts_for(cli::language_of(options));
  const auto time_scale = time_scale_from_environment();
  if (!time_scale) return refuse_usage(texts, texts.usage_time_scale);
  session.time_scale = *time_scale;
  switch (options.mode) {
  case cli::Mode::Help: cli::write_line(stdout, help_text(texts)); return cli::code_of(ExitStatus::Success);
  case cli::Mode::Version:
    cli::write_line(stdout, cli::format("%1 %2", {kProgramName, KOVOFLASH_PACKAGE_VERSION}));
    return cli::code_of(ExitStatus::Success);
  case cli::Mode::ListPorts: return list_ports(argc, argv, options);
  case cli::Mode::Check: return check_file(options);
  case cli::Mode::Update: break;
  }
  return update_firmware(argc, argv, options);
}
