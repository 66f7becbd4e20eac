#include "system_text.h"

#include <cstdlib>

namespace rt {

std::vector<std::string> command_line_arguments(int argc, char** argv) { return {argv, argv + argc}; }

std::string environment_variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

} // namespace rt
