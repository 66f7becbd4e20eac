#include "events.h"

#include "live_output.h"

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>

namespace cli {
namespace {

using Json = nlohmann::json; // keys sorted, as the lines have always had them

const std::array<std::pair<EventPhase, const char*>, 6> kPhaseNames = {{
    {EventPhase::Start, "start"},
    {EventPhase::Connecting, "connecting"},
    {EventPhase::Device, "device"},
    {EventPhase::Loading, "loading"},
    {EventPhase::Programming, "programming"},
    {EventPhase::Result, "result"},
}};

const char* name_of(EventPhase phase) {
  for (const auto& [named, name] : kPhaseNames) {
    if (named == phase) return name;
  }
  return "start";
}

std::optional<EventPhase> phase_named(const std::string& name) {
  for (const auto& [phase, phase_name] : kPhaseNames) {
    if (name == phase_name) return phase;
  }
  return std::nullopt;
}

void put_text(Json& object, const char* key, const std::string& text) {
  if (!text.empty()) object[key] = text;
}

void put_number(Json& object, const char* key, std::optional<int> number) {
  if (number) object[key] = *number;
}

std::optional<int> number_at(const Json& object, const char* key) {
  const auto value = object.find(key);
  if (value == object.end() || !value->is_number()) return std::nullopt;
  return value->is_number_float() ? static_cast<int>(value->get<double>()) : value->get<int>();
}

std::string text_at(const Json& object, const char* key) {
  const auto value = object.find(key);
  return value != object.end() && value->is_string() ? value->get<std::string>() : std::string();
}

} // namespace

std::string compact_json(const nlohmann::json& object) {
  // Bytes that are no UTF-8 (a path's) become U+FFFD, as they always did.
  return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string json_line(const Event& event) {
  Json object = Json::object();
  object["phase"] = name_of(event.phase);
  object["port"] = event.port;
  put_text(object, "device", event.device);
  put_text(object, "version", event.version);
  put_number(object, "percent", event.percent);
  put_number(object, "status", event.status);
  put_text(object, "message", event.message);
  return compact_json(object) + '\n';
}

std::optional<Event> event_from_json(std::string_view line) {
  const Json object = Json::parse(line, nullptr, false);
  if (!object.is_object()) return std::nullopt;
  const auto phase = phase_named(text_at(object, "phase"));
  if (!phase) return std::nullopt;
  return Event{*phase,
               text_at(object, "port"),
               text_at(object, "device"),
               text_at(object, "version"),
               number_at(object, "percent"),
               number_at(object, "status"),
               text_at(object, "message")};
}

void write_event(const Event& event) {
  const std::string line = json_line(event);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

ExitStatus end_before_any_port(const std::vector<std::string>& ports, bool events, ExitStatus status,
                               const std::string& reason) {
  write_line(stderr, reason);
  if (!events) return status;
  for (const std::string& port : ports.empty() ? std::vector<std::string>{std::string()} : ports) {
    write_event({EventPhase::Result, port, {}, {}, std::nullopt, code_of(status), reason});
  }
  return status;
}

EventStream::EventStream(const std::string& port) { current_.port = port; }

void EventStream::use_port(const std::string& port) { current_.port = port; }

void EventStream::enter(EventPhase phase) { current_.phase = phase; }

void EventStream::identified(const std::string& device, const std::string& version) {
  current_.phase = EventPhase::Device;
  current_.device = device;
  current_.version = version;
}

void EventStream::progress(int percent) { write(percent, {}); }

void EventStream::said(const std::string& line) {
  last_said_ = line;
  write(std::nullopt, line);
}

void EventStream::complained(const std::string& line) {
  last_complaint_ = line;
  write(std::nullopt, line);
}

void EventStream::warned(const std::string& line) { write(std::nullopt, line); }

void EventStream::result(ExitStatus status) {
  current_.phase = EventPhase::Result;
  current_.status = code_of(status);
  write(std::nullopt, status == ExitStatus::Success ? last_said_ : last_complaint_);
}

void EventStream::write(std::optional<int> percent, const std::string& message) {
  Event event = current_;
  event.percent = percent;
  event.message = message;
  write_event(event);
}

} // namespace cli
