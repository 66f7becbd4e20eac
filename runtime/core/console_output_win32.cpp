#include "console_output.h"

#include "windows_api.h"

namespace rt {
namespace {

// Escape sequences move the cursor; without VT mode the console prints them.
void enable_escape_sequences(DWORD which) {
  const HANDLE console = GetStdHandle(which);
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return; // a file or a pipe
  SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

} // namespace

// The program writes UTF-8 bytes; the console shows them as such in the
// UTF-8 code page. Files and pipes get the bytes as they are.
void prepare_console_output() {
  SetConsoleOutputCP(CP_UTF8);
  enable_escape_sequences(STD_OUTPUT_HANDLE);
  enable_escape_sequences(STD_ERROR_HANDLE);
}

} // namespace rt
