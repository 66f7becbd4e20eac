// The program's console output: UTF-8 text, and the escape sequences that
// redraw a live line in place.
#pragma once

namespace rt {

// Once at start, before anything is written: where the console would show
// UTF-8 in another code page or print escape sequences as they are (Windows),
// it is told not to. Nothing to do on POSIX terminals.
void prepare_console_output();

} // namespace rt
