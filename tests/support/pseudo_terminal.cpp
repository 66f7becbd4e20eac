#include "pseudo_terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <cstdlib>
#include <stdexcept>

namespace kovo::testing {

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  device_path_ = ptsname(master_);
  slave_ = open(device_path_.c_str(), O_RDWR | O_NOCTTY);
  termios raw{};
  tcgetattr(slave_, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave_, TCSANOW, &raw);
}

PseudoTerminal::~PseudoTerminal() {
  close(slave_);
  close(master_);
}

void PseudoTerminal::send(const std::vector<unsigned char>& bytes) const {
  if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("pseudo-terminal write failed");
  }
}

void PseudoTerminal::set_columns(std::size_t columns) const {
  winsize size{};
  size.ws_row = 24;
  size.ws_col = static_cast<unsigned short>(columns);
  if (ioctl(master_, TIOCSWINSZ, &size) != 0) throw std::runtime_error("pseudo-terminal size not set");
}

std::vector<unsigned char> PseudoTerminal::received() const {
  std::vector<unsigned char> bytes;
  unsigned char chunk[256];
  for (ssize_t got; (got = read(master_, chunk, sizeof chunk)) > 0;) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

} // namespace kovo::testing
