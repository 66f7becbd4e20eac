// Whether output goes to a person at a terminal or into a file or pipe.
#pragma once

#include <cstdio>

namespace rt {

bool is_terminal(std::FILE* stream);

} // namespace rt
