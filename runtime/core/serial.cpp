// RS-232 operations over the system's serial lines (serial_line.h). All calls
// come from the one thread that runs the callbacks; waits block on the line
// with a deadline and give the user interface a moment between slices.
#include "idle.h"
#include "port_failure.h"
#include "port_scan.h"
#include "rs232.h"
#include "serial_line.h"
#include "session.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <span>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto kWaitSlice = 20ms;   // longest stretch without a look at the window
constexpr int kWakeMarginBytes = 2; // of a reply still to come when a wait for the rest ends

using rt::OpenPort;

rt::SerialLines& lines() { return rt::Session::current().serial; }

int report(int status) {
  lines().last_status = status;
  return status;
}

int report_failure(rt::PortFailure failure, int status) {
  lines().last_failure = failure;
  return report(status);
}

OpenPort* find_port(int port) {
  const auto& open_ports = lines().open_ports;
  const auto found = open_ports.find(port);
  return found == open_ports.end() ? nullptr : found->second.get();
}

std::string location_for(int port) {
  const std::string location = rt::location_of_port(port);
  return location.empty() && port > 0 ? rt::unlisted_port_location(port) : location;
}

std::optional<rt::LineSettings> settings_from(long baudRate, int parity, int dataBits, int stopBits) {
  if (parity < 0 || parity > 4 || dataBits < 5 || dataBits > 8 || stopBits < 1 || stopBits > 2 || baudRate <= 0) {
    return std::nullopt;
  }
  return rt::LineSettings{baudRate, static_cast<rt::Parity>(parity), dataBits, stopBits};
}

std::span<const unsigned char> bytes_of(const void* buffer, int count) {
  return {static_cast<const unsigned char*>(buffer), static_cast<std::size_t>(count)};
}

// On a real line a reply comes a byte at a time; waking for each byte costs
// more than the exchange itself once many ports are updated at once. Once a
// part has come, the rest cannot come sooner than the line carries it: wait
// for all but its last two bytes, a margin for a late wake-up, so that the
// last one is still met on arrival.
void let_the_rest_arrive(rt::SerialLine& line, int count, rt::Clock::time_point deadline) {
  const int arrived = line.bytes_waiting();
  if (arrived == 0 || arrived + kWakeMarginBytes >= count) return;
  const rt::LineSettings& settings = line.settings();
  const std::chrono::duration<double> line_time(double(count - arrived - kWakeMarginBytes) * settings.bits_per_byte() /
                                                double(settings.baud_rate));
  // A plain sleep: a few milliseconds at most, shorter than a look at the
  // window is ever apart (kWaitSlice).
  std::this_thread::sleep_until(
      std::min(rt::Clock::now() + std::chrono::duration_cast<rt::Clock::duration>(line_time), deadline));
}

// Blocks until the line has news or the slice ends; false when the line is gone.
bool wait_for_input(rt::SerialLine& line, rt::Clock::time_point deadline) {
  const bool line_ok = line.wait_for_input(std::min(deadline, rt::Clock::now() + kWaitSlice));
  rt::keep_alive();
  return line_ok;
}

} // namespace

int OpenComConfig(int port, const char*, long baudRate, int parity, int dataBits, int stopBits, int, int) {
  CloseCom(port);
  const std::string location = location_for(port);
  if (location.empty()) return report_failure(rt::PortFailure::NotFound, kRS_InvalidPortNum);
  auto opened = std::make_unique<OpenPort>();
  opened->location = location;
  rt::PortFailure failure = rt::PortFailure::None;
  opened->line = rt::SerialLine::open(location, failure);
  if (!opened->line) return report_failure(failure, kRS_CannotOpenPort);
  const auto settings = settings_from(baudRate, parity, dataBits, stopBits);
  if (!settings || !opened->line->configure(*settings)) {
    return report_failure(rt::PortFailure::Other, kRS_InvalidParameter);
  }
  lines().open_ports[port] = std::move(opened);
  return report_failure(rt::PortFailure::None, 0);
}

int CloseCom(int port) {
  lines().open_ports.erase(port);
  return report(0);
}

int FlushInQ(int port) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  return report(open->line->flush_input() ? 0 : kRS_IOErr);
}

int FlushOutQ(int port) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  return report(open->line->flush_output() ? 0 : kRS_IOErr);
}

int SetComTime(int port, double timeoutSeconds) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  if (!(timeoutSeconds >= 0.0) || !std::isfinite(timeoutSeconds)) {
    return report(kRS_InvalidParameter);
  }
  open->timeout = rt::scaled_wait(timeoutSeconds);
  return report(0);
}

int ComSetEscape(int port, int code) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  bool done = false;
  switch (code) {
  case SETRTS: done = open->line->set_request_to_send(); break;
  case CLRDTR: done = open->line->clear_data_terminal_ready(); break;
  default: return report(kRS_InvalidParameter);
  }
  // A line without modem control (a pseudo-terminal) refuses; the port still works.
  return report(done ? 0 : kRS_IOErr);
}

int ComWrt(int port, const void* buffer, int count) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  const auto bytes = bytes_of(buffer, count);
  const rt::WriteOutcome outcome = open->line->write(bytes, rt::Clock::now() + open->timeout);
  if (outcome == rt::WriteOutcome::LineLost) return report_failure(rt::PortFailure::LineLost, kRS_IOErr);
  if (rt::LineTrace* trace = lines().trace) trace->sent(open->location, open->attempt, bytes);
  if (outcome == rt::WriteOutcome::TimedOut) return report(kRS_TimeOutErr);
  report(0);
  return count;
}

int ComRd(int port, void* buffer, int count) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  rt::SerialLine& line = *open->line;
  const auto deadline = rt::Clock::now() + open->timeout;
  bool line_ok = true;
  while (line_ok && line.bytes_waiting() < count && rt::Clock::now() < deadline) {
    line_ok = wait_for_input(line, deadline);
    if (line_ok) let_the_rest_arrive(line, count, deadline);
  }
  const int got =
      line.read_waiting({static_cast<unsigned char*>(buffer), static_cast<std::size_t>(std::max(count, 0))});
  if (got < 0) return report_failure(rt::PortFailure::LineLost, kRS_IOErr);
  if (rt::LineTrace* trace = lines().trace) {
    trace->received(open->location, open->attempt, bytes_of(buffer, got), count);
  }
  if (!line_ok) lines().last_failure = rt::PortFailure::LineLost;
  report(got == count ? 0 : line_ok ? kRS_TimeOutErr : kRS_IOErr);
  return got;
}

int GetInQLen(int port) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  report(0);
  return open->line->bytes_waiting();
}

int SetComAttempt(int port, int attempt) {
  OpenPort* open = find_port(port);
  if (!open) return report(kRS_PortNotOpen);
  open->attempt = attempt;
  return report(0);
}

int ReturnRS232Err() { return lines().last_status; }

rt::PortFailure rt::port_failure() { return lines().last_failure; }

rt::PortFailure rt::try_port(const std::string& location) {
  PortFailure failure = PortFailure::None;
  SerialLine::open(location, failure);
  return failure;
}
