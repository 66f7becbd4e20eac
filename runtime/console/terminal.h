// Whether output goes to a person at a terminal or into a file or pipe.
#pragma once

#include <cstdio>

namespace rt {

// True for a terminal that draws the live lines' control sequences; on
// Windows a console, switched to its VT mode (false where it has none, so
// the output stays plain).
bool is_terminal(std::FILE* stream);
// The width of the terminal the stream shows on; 0 when it cannot be told.
int terminal_columns(std::FILE* stream);

} // namespace rt
