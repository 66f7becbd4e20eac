#include "update.h"

#include "24GHz_prog.h"
#include "flash.h"
#include "glob.h"
#include "outcome.h"
#include "port_details.h"
#include "port_listing.h"
#include "serial_permission.h"
#include "text.h"
#include "util.h"
#include "utility.h"
#include "written_addresses.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace cli {
namespace {

constexpr int kBytesPerKiB = 1024;

using Clock = std::chrono::steady_clock;

struct Step {
  const PanelUser& user;
  LiveOutput& output;
  const Texts& texts;
  Clock::time_point started;
  bool& writing_began; // set before the first programming frame can go out

  const std::string& shown(int id) const { return user.control(id).text; }

  // Commits the control; what the messages the system showed meanwhile mean.
  ExitStatus press(int id) const {
    const std::size_t first = user.runtime.shown_messages().size();
    user.press(id);
    return status_of_messages(user.runtime.shown_messages(), first);
  }

  // Stopped before programming, the device holds what it held.
  ExitStatus interrupted() const {
    output.complain(writing_began ? texts.interrupted : texts.interrupted_unchanged);
    return ExitStatus::Interrupted;
  }

  // A stop request is why a step fails once one came, whatever it looks like.
  ExitStatus fail(ExitStatus status, const std::string& reason) const {
    if (StopRequested()) return interrupted();
    output.complain(reason);
    return status;
  }

  template <class Work>
  ExitStatus unless_stopped(Work work) const {
    return StopRequested() ? interrupted() : work();
  }
};

// The first of two findings that is a failure.
ExitStatus either(ExitStatus first, ExitStatus second) { return first != ExitStatus::Success ? first : second; }

const std::string& selected_port_label(const Step& step) {
  const rt::PanelControl& ring = step.user.control(PANEL_COMPORT);
  return ring.items[static_cast<std::size_t>(ring.selected)].label;
}

std::string port_problem(const Step& step, rt::PortFailure failure, const std::string& port) {
  using rt::PortFailure;
  switch (failure) {
  case PortFailure::InUse: return format(step.texts.port_in_use, {port});
  case PortFailure::PermissionDenied: {
    const std::string problem = format(step.texts.port_forbidden, {port});
    if (!rt::kDialoutGrantsSerialPorts) return problem;
    return problem + '\n' + step.texts.join_dialout;
  }
  case PortFailure::NotSerial: return format(step.texts.not_serial, {port});
  case PortFailure::LineLost: return format(step.texts.port_lost, {port});
  case PortFailure::Other: return step.texts.port_failed;
  case PortFailure::None:
  case PortFailure::NotFound: break;
  }
  return format(step.texts.port_not_listed, {port});
}

// The ring item that --port names: by label, by number, or by the location
// behind it.
std::optional<int> port_named(const rt::PanelControl& ring, const std::string& wanted) {
  for (const rt::RingItem& item : ring.items) {
    if (names_port(wanted, item.label, item.value, rt::describe_port(item.value).location)) {
      return item.value;
    }
  }
  return std::nullopt;
}

// With no port named and none stored, the first listed port would be a guess
// (a built-in serial port, where no device ever answers): the Kovo-USB-Link
// is taken when it is the only one; otherwise the user is asked to name one.
ExitStatus choose_the_link(const Step& step) {
  const std::vector<int> links = link_ports(step.user);
  if (links.size() == 1) {
    step.user.runtime.choose(step.user.panel, PANEL_COMPORT, links.front());
    return ExitStatus::Success;
  }
  const std::string found = links.empty() ? std::string(step.texts.no_links)
                                          : format(step.texts.several_links, {std::to_string(links.size())});
  std::string lines = found + ' ' + step.texts.name_a_port;
  for (const std::string& line : port_table(step.user, step.texts)) lines += '\n' + line;
  return step.fail(ExitStatus::Port, lines);
}

ExitStatus choose_port(const Step& step, const std::string& wanted, bool port_stored) {
  const rt::PanelControl& ring = step.user.control(PANEL_COMPORT);
  if (!wanted.empty()) {
    const auto value = port_named(ring, wanted);
    if (!value) {
      return step.fail(ExitStatus::Port, port_problem(step, rt::why_not_listed(wanted), wanted));
    }
    step.user.runtime.choose(step.user.panel, PANEL_COMPORT, *value);
  } else if (!port_stored) {
    if (const ExitStatus chosen = choose_the_link(step); chosen != ExitStatus::Success) return chosen;
  }
  if (ring.selected < 0) return step.fail(ExitStatus::Port, step.texts.no_ports);
  step.output.use_port(selected_port_label(step));
  step.output.say(format(step.texts.port, {selected_port_label(step)}));
  return ExitStatus::Success;
}

ExitStatus connect(const Step& step) {
  step.output.follow(Phase::Connecting);
  step.output.say(step.texts.switch_on);
  const ExitStatus told = step.press(PANEL_CONNECT);
  step.output.follow(Phase::Quiet);
  const rt::PortFailure failure = rt::port_failure();
  if (failure != rt::PortFailure::None || told == ExitStatus::Port) {
    return step.fail(ExitStatus::Port, port_problem(step, failure, selected_port_label(step)));
  }
  const ExitStatus connected = either(told, status_of_connect());
  if (connected == ExitStatus::NoDevice) return step.fail(connected, step.texts.no_device);
  std::string type = step.shown(PANEL_DEVICE_TYPE);
  if (type.empty()) type = step.texts.unknown_type;
  step.output.identified(type, step.shown(PANEL_BOOT_VERSION));
  if (connected == ExitStatus::Unsupported) return step.fail(connected, step.texts.unsupported);
  return connected;
}

// The system remembers the file it loaded for the next run; the user's file
// is the one to remember, not the copy.
void remember_users_file(const std::string& file) {
  std::snprintf(kovo::datei_pfad, sizeof kovo::datei_pfad, "%s", file.c_str());
  kovo::ini_datei(1);
}

ExitStatus load(const Step& step, const CheckedFirmware& firmware) {
  step.user.runtime.set_file_choice(firmware.loaded());
  step.output.follow(Phase::Loading);
  const ExitStatus told = step.press(PANEL_LOAD_FILE);
  const ExitStatus loaded = either(told, status_of_load());
  if (loaded != ExitStatus::Success) return step.fail(loaded, step.texts.file_faulty);
  remember_users_file(firmware.file);
  step.output.say(format(step.texts.file_loaded, {firmware.file}));
  return ExitStatus::Success;
}

// The device receives only the start of the image; a file whose data lies
// elsewhere leaves it holding FF where firmware is expected.
void warn_of_data_the_device_misses(const Step& step, const WrittenAddresses& written) {
  const std::size_t programmed = static_cast<std::size_t>(kovo::memory_size) * kovo::kProgrammedBytesPerSize;
  const std::string kib = std::to_string(programmed / kBytesPerKiB);
  if (any_written(written, programmed, written.size())) {
    step.output.complain(format(step.texts.data_beyond, {hex_digits(programmed, 4), kib}));
  }
  if (!any_written(written, 0, programmed)) step.output.complain(format(step.texts.no_data, {kib}));
}

// The file loaded, but the image may not be what its author meant.
void warn_before_programming(const Step& step, const FirmwareImage& image) {
  if (!image.end_record) step.output.complain(step.texts.no_end_record);
  warn_of_data_the_device_misses(step, image.written);
}

// The result line with the time since the run began; events carry the result alone.
void say_programmed(const Step& step) {
  const double seconds = std::chrono::duration<double>(Clock::now() - step.started).count();
  const std::string result = step.texts.programmed;
  std::string decimal = one_decimal(seconds);
  decimal.replace(decimal.find('.'), 1, step.texts.decimal_point);
  step.output.conclude(result, format(step.texts.time_taken, {result, decimal}));
}

ExitStatus program(const Step& step, const FirmwareImage& image) {
  warn_before_programming(step, image);
  step.output.follow(Phase::Programming);
  step.writing_began = true;
  const ExitStatus told = step.press(PANEL_PROGRAM);
  step.output.follow(Phase::Quiet);
  const ExitStatus programmed = either(told, status_of_programming(step.user.control(PANEL_FLASH_PROGRESS).colour));
  if (programmed != ExitStatus::Success) return step.fail(programmed, step.texts.programming_failed);
  say_programmed(step);
  return ExitStatus::Success;
}

bool device_answered(ExitStatus connected) {
  return connected == ExitStatus::Success || connected == ExitStatus::Unsupported;
}

} // namespace

ExitStatus update(const PanelUser& user, const UpdateRequest& request, LiveOutput& output, const Texts& texts,
                  KeptSettings& settings) {
  bool writing_began = false;
  const Step step{user, output, texts, Clock::now(), writing_began};
  user.press(request.language == Language::German ? PANEL_GERMAN : PANEL_ENGLISH);
  ExitStatus status = step.unless_stopped([&] { return choose_port(step, request.port, settings.port_stored()); });
  if (status == ExitStatus::Success) status = step.unless_stopped([&] { return connect(step); });
  if (device_answered(status)) settings.mark_device_answered();
  if (status == ExitStatus::Success) status = step.unless_stopped([&] { return load(step, request.firmware); });
  if (status == ExitStatus::Success)
    status = step.unless_stopped([&] { return program(step, *request.firmware.image); });
  return status;
}

} // namespace cli
