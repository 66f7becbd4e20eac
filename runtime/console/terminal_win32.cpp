#include "terminal.h"

#include <io.h>
#include <windows.h>

namespace rt {
namespace {

HANDLE console_of(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

} // namespace

// _isatty is true for any character device, NUL too; only a console has a console mode.
bool is_terminal(std::FILE* stream) {
  const HANDLE console = console_of(stream);
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

int terminal_columns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console_of(stream), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

} // namespace rt
