// One serial line opened by the system's own calls: termios on POSIX, the
// communications functions on Windows. Only the thread that runs the
// callbacks uses it.
#pragma once

#include "idle.h"
#include "port_failure.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace rt {

enum class Parity { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };

struct LineSettings {
  long baud_rate = 38400;
  Parity parity = Parity::None;
  int data_bits = 8;
  int stop_bits = 2;

  // Start, data, parity and stop bits: the line time of one byte.
  int bits_per_byte() const { return 1 + data_bits + (parity == Parity::None ? 0 : 1) + stop_bits; }
};

enum class WriteOutcome { Written, TimedOut, LineLost };

class SerialLine {
public:
  // Opens the line at location for this program alone, in raw mode with the
  // default settings; nullptr with failure set when it cannot be used.
  static std::unique_ptr<SerialLine> open(const std::string& location, PortFailure& failure);

  ~SerialLine();
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // False when the line does not take these settings; the old ones stay.
  bool configure(const LineSettings& settings);
  const LineSettings& settings() const { return settings_; }

  // Blocks until more bytes than are waiting now come or the deadline
  // passes; false once the line is gone (the far end closed, the adapter
  // pulled out).
  bool wait_for_input(Clock::time_point deadline);
  // The bytes that came and are not read yet.
  int bytes_waiting();
  // Takes at most buffer.size() of the waiting bytes without waiting; -1
  // once the line is gone and nothing is left.
  int read_waiting(std::span<unsigned char> buffer);
  WriteOutcome write(std::span<const unsigned char> bytes, Clock::time_point deadline);

  bool flush_input();
  bool flush_output();
  // Modem control; a line without it (a pseudo-terminal) refuses and still works.
  bool set_request_to_send();
  bool clear_data_terminal_ready();

  struct Native; // the platform's handle and state

private:
  explicit SerialLine(std::unique_ptr<Native> native);

  // Moves what the system holds into pending_, so that a wait is for news
  // only; false once the line is gone.
  bool take_in();
  // The system's: what it holds, without waiting (-1: the line is gone), a
  // wait for one byte more, and its input queue emptied.
  int read_now(std::span<unsigned char> buffer);
  bool wait_for_news(Clock::time_point deadline);
  bool purge_input();

  std::unique_ptr<Native> native_;
  LineSettings settings_;
  std::vector<unsigned char> pending_;
};

// Whether a path named as a virtual port is a serial line, told without
// opening it: an open could take it from the program that is opening it now.
bool may_be_serial_line(const std::string& path);

// Where a port number the port list does not know is opened: COMn on
// Windows, nowhere (empty) elsewhere.
std::string unlisted_port_location(int number);

} // namespace rt
