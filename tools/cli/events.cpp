#include "events.h"

#include "live_output.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <cstdio>
#include <utility>

namespace cli {
namespace {

const std::array<std::pair<EventPhase, QLatin1String>, 6> kPhaseNames = {{
    {EventPhase::Start, QLatin1String("start")},
    {EventPhase::Connecting, QLatin1String("connecting")},
    {EventPhase::Device, QLatin1String("device")},
    {EventPhase::Loading, QLatin1String("loading")},
    {EventPhase::Programming, QLatin1String("programming")},
    {EventPhase::Result, QLatin1String("result")},
}};

QLatin1String name_of(EventPhase phase) {
  for (const auto& [named, name] : kPhaseNames) {
    if (named == phase) return name;
  }
  return QLatin1String("start");
}

std::optional<EventPhase> phase_named(const QString& name) {
  for (const auto& [phase, phase_name] : kPhaseNames) {
    if (name == phase_name) return phase;
  }
  return std::nullopt;
}

void put_text(QJsonObject& object, const char* key, const QString& text) {
  if (!text.isEmpty()) object.insert(QLatin1String(key), text);
}

void put_number(QJsonObject& object, const char* key, std::optional<int> number) {
  if (number) object.insert(QLatin1String(key), *number);
}

std::optional<int> number_at(const QJsonObject& object, const char* key) {
  const QJsonValue value = object.value(QLatin1String(key));
  return value.isDouble() ? std::optional<int>(value.toInt()) : std::nullopt;
}

} // namespace

QByteArray json_line(const Event& event) {
  QJsonObject object;
  object.insert(QLatin1String("phase"), name_of(event.phase));
  object.insert(QLatin1String("port"), event.port);
  put_text(object, "device", event.device);
  put_text(object, "version", event.version);
  put_number(object, "percent", event.percent);
  put_number(object, "status", event.status);
  put_text(object, "message", event.message);
  return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<Event> event_from_json(const QByteArray& line) {
  const QJsonObject object = QJsonDocument::fromJson(line).object();
  const auto phase = phase_named(object.value(QLatin1String("phase")).toString());
  if (!phase) return std::nullopt;
  return Event{*phase,
               object.value(QLatin1String("port")).toString(),
               object.value(QLatin1String("device")).toString(),
               object.value(QLatin1String("version")).toString(),
               number_at(object, "percent"),
               number_at(object, "status"),
               object.value(QLatin1String("message")).toString()};
}

void write_event(const Event& event) {
  const QByteArray line = json_line(event);
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
  std::fflush(stdout);
}

ExitStatus end_before_any_port(const QStringList& ports, bool events, ExitStatus status, const QString& reason) {
  write_line(stderr, reason);
  if (!events) return status;
  for (const QString& port : ports.isEmpty() ? QStringList{QString()} : ports) {
    write_event({EventPhase::Result, port, {}, {}, std::nullopt, code_of(status), reason});
  }
  return status;
}

EventStream::EventStream(const QString& port) { current_.port = port; }

void EventStream::use_port(const QString& port) { current_.port = port; }

void EventStream::enter(EventPhase phase) { current_.phase = phase; }

void EventStream::identified(const QString& device, const QString& version) {
  current_.phase = EventPhase::Device;
  current_.device = device;
  current_.version = version;
}

void EventStream::progress(int percent) { write(percent, {}); }

void EventStream::said(const QString& line) {
  last_said_ = line;
  write(std::nullopt, line);
}

void EventStream::complained(const QString& line) {
  last_complaint_ = line;
  write(std::nullopt, line);
}

void EventStream::warned(const QString& line) { write(std::nullopt, line); }

void EventStream::result(ExitStatus status) {
  current_.phase = EventPhase::Result;
  current_.status = code_of(status);
  write(std::nullopt, status == ExitStatus::Success ? last_said_ : last_complaint_);
}

void EventStream::write(std::optional<int> percent, const QString& message) {
  Event event = current_;
  event.percent = percent;
  event.message = message;
  write_event(event);
}

} // namespace cli
