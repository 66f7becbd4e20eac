// What an update reports to a script, a test bench, or the program that
// started it for one port of many (--json): one JSON object per line on
// standard output for each step and for the result, keys in alphabetical
// order, e.g.
//   {"device":"Kovo RX-07","percent":42,"phase":"programming","port":"ttyUSB0","version":"V 2.3"}
//   {"device":"Kovo RX-07","message":"Firmware programmed.","phase":"result","port":"ttyUSB0","status":0,...}
#pragma once

#include "exit_status.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class EventPhase { Start, Connecting, Device, Loading, Programming, Result };

struct Event {
  EventPhase phase = EventPhase::Start;
  std::string port;
  std::string device;  // once identified
  std::string version; // the bootloader's, once identified
  std::optional<int> percent;
  std::optional<int> status; // the exit status, in a result
  std::string message;       // a line the user was shown
};

// One object on one line, keys in alphabetical order, as every JSON line of the program.
std::string compact_json(const nlohmann::json& object);

// One line, ended by a line feed; keys without a value are left out.
std::string json_line(const Event& event);
// Nothing when the line is no event.
std::optional<Event> event_from_json(std::string_view line);

// One line on standard output, at once.
void write_event(const Event& event);

// Ends a run before any of its ports is touched: the reason on standard
// error and, with events, the result of each port named, or one result
// without a port when none was. Returns status.
ExitStatus end_before_any_port(const std::vector<std::string>& ports, bool events, ExitStatus status,
                               const std::string& reason);

// Follows an update and writes its events as they happen.
class EventStream {
public:
  explicit EventStream(const std::string& port);

  void use_port(const std::string& port);
  void enter(EventPhase phase);
  void identified(const std::string& device, const std::string& version);
  void progress(int percent);
  void said(const std::string& line);
  // A line that tells why a step failed: the result's message if it stays the last.
  void complained(const std::string& line);
  // A warning that changes no result.
  void warned(const std::string& line);
  void result(ExitStatus status);

private:
  void write(std::optional<int> percent, const std::string& message);

  Event current_;
  std::string last_said_;
  std::string last_complaint_;
};

} // namespace cli
