// The serial lines the program has open, and what the last operation on one
// reported.
#pragma once

#include "idle.h"
#include "line_trace.h"
#include "port_failure.h"
#include "serial_line.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace rt {

constexpr double kDefaultComTimeout = 10.0; // seconds, until SetComTime says otherwise

struct OpenPort {
  std::unique_ptr<SerialLine> line;
  std::string location; // as the port list names it
  int attempt = 1;      // of the exchange under way, for the trace
  Clock::duration timeout =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kDefaultComTimeout));
};

struct SerialLines {
  std::map<int, std::unique_ptr<OpenPort>> open_ports; // by port number
  int last_status = 0;
  PortFailure last_failure = PortFailure::None;
  LineTrace* trace = nullptr; // nullptr: nothing is recorded
};

} // namespace rt
