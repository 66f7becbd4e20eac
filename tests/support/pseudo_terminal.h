// A bare pseudo-terminal: a serial port for tests that need one to open but no
// device behind it. The test plays the far end through the master side.
#pragma once

#include <string>
#include <vector>

namespace kovo::testing {

class PseudoTerminal {
public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& device_path() const { return device_path_; }
  // The far end: bytes to the program, and what the program sent so far.
  void send(const std::vector<unsigned char>& bytes) const;
  std::vector<unsigned char> received() const;
  // The width the program is told its terminal has.
  void set_columns(std::size_t columns) const;

private:
  int master_ = -1;
  int slave_ = -1; // kept open so the program may close and reopen the port
  std::string device_path_;
};

} // namespace kovo::testing
