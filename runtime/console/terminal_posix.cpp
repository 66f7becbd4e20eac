#include "terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace rt {

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

int terminal_columns(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

} // namespace rt
