#include "update.h"

#include "24GHz_prog.h"
#include "system_text.h"
#include "port_details.h"

#include <QDir>
#include <optional>

namespace cli {
namespace {

constexpr int kGreen = 0x00FF00; // the programming indicator's colour after a good run

struct Step {
  const PanelUser& user;
  LiveOutput& output;
  const Texts& texts;

  QString text(const char* utf8) const { return QString::fromUtf8(utf8); }
  QString shown(int id) const { return rt::from_system_text(user.control(id).text); }

  ExitStatus fail(ExitStatus status, const QString& reason) const {
    output.complain(reason);
    return status;
  }
};

// The ring item that --port names: by label, by number, or by the location
// behind it.
std::optional<int> port_named(const rt::ConsoleControl& ring, const QString& wanted) {
  bool is_number = false;
  const int number = wanted.toInt(&is_number);
  for (const rt::RingItem& item : ring.items) {
    if (rt::from_system_text(item.label).compare(wanted, Qt::CaseInsensitive) == 0 ||
        (is_number && item.value == number) ||
        rt::same_location(wanted, rt::describe_port(item.value).location)) {
      return item.value;
    }
  }
  return std::nullopt;
}

ExitStatus choose_port(const Step& step, const QString& wanted) {
  const rt::ConsoleControl& ring = step.user.control(PANEL_COMPORT);
  if (!wanted.isEmpty()) {
    const auto value = port_named(ring, wanted);
    if (!value) return step.fail(ExitStatus::Port, step.text(step.texts.port_not_listed).arg(wanted));
    step.user.runtime.choose(step.user.panel, PANEL_COMPORT, *value);
  }
  if (ring.selected < 0) return step.fail(ExitStatus::Port, step.text(step.texts.no_ports));
  const rt::RingItem& item = ring.items[static_cast<std::size_t>(ring.selected)];
  step.output.say(step.text(step.texts.port).arg(rt::from_system_text(item.label)));
  return ExitStatus::Success;
}

ExitStatus connect(const Step& step) {
  step.output.say(step.text(step.texts.switch_on));
  step.output.follow(Phase::Connecting);
  step.user.press(PANEL_CONNECT);
  step.output.follow(Phase::Quiet);
  if (!step.output.attempts_seen()) return step.fail(ExitStatus::Port, step.text(step.texts.port_failed));
  const QString version = step.shown(PANEL_BOOT_VERSION);
  if (version.isEmpty()) return step.fail(ExitStatus::NoDevice, step.text(step.texts.no_device));
  QString type = step.shown(PANEL_DEVICE_TYPE);
  if (type.isEmpty()) type = step.text(step.texts.unknown_type);
  step.output.say(step.text(step.texts.device).arg(type, version));
  if (step.user.control(PANEL_LOAD_FILE).dimmed) {
    return step.fail(ExitStatus::Unsupported, step.text(step.texts.unsupported));
  }
  return ExitStatus::Success;
}

ExitStatus load(const Step& step, const QString& file) {
  step.user.runtime.set_file_choice(rt::to_system_text(QDir::toNativeSeparators(file)));
  step.user.press(PANEL_LOAD_FILE);
  if (step.user.control(PANEL_PROGRAM).dimmed) {
    return step.fail(ExitStatus::File, step.text(step.texts.file_faulty));
  }
  step.output.say(step.text(step.texts.file_loaded).arg(QDir::toNativeSeparators(file)));
  return ExitStatus::Success;
}

ExitStatus program(const Step& step) {
  step.output.follow(Phase::Programming);
  step.user.press(PANEL_PROGRAM);
  step.output.follow(Phase::Quiet);
  if (step.user.control(PANEL_FLASH_PROGRESS).colour != kGreen) {
    return step.fail(ExitStatus::Programming, step.text(step.texts.programming_failed));
  }
  step.output.say(step.text(step.texts.programmed));
  return ExitStatus::Success;
}

} // namespace

ExitStatus update(const PanelUser& user, const UpdateRequest& request, LiveOutput& output,
                  const Texts& texts) {
  const Step step{user, output, texts};
  user.press(request.language == Language::German ? PANEL_GERMAN : PANEL_ENGLISH);
  ExitStatus status = choose_port(step, request.port);
  if (status == ExitStatus::Success) status = connect(step);
  if (status == ExitStatus::Success) status = load(step, request.file);
  if (status == ExitStatus::Success) status = program(step);
  return status;
}

} // namespace cli
