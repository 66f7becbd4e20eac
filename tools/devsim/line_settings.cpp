#include "line_settings.h"

#include <termios.h>

#include "posix_fd.h"

namespace kovo::devsim {

void applyDeviceLineSettings(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) throwLastError("tcgetattr");
  ::cfmakeraw(&settings);
  ::cfsetispeed(&settings, B38400);
  ::cfsetospeed(&settings, B38400);
  settings.c_cflag |= CSTOPB | CLOCAL | CREAD;
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) throwLastError("tcsetattr");
}

} // namespace kovo::devsim
