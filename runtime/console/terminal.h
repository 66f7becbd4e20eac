// Whether output goes to a person at a terminal or into a file or pipe.
#pragma once

#include <cstdio>

namespace rt {

bool is_terminal(std::FILE* stream);
// The width of the terminal the stream shows on; 0 when it cannot be told.
int terminal_columns(std::FILE* stream);

} // namespace rt
