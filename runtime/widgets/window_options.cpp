#include "window_options.h"

#include <string_view>

namespace rt {

WindowOptions window_options(int argc, const char* const* argv) {
  WindowOptions options;
  for (int index = 1; index < argc; ++index) {
    const std::string_view argument = argv[index];
    if (argument == "--version") options.version = true;
    if (argument == "--user-config") options.user_config = true;
  }
  return options;
}

} // namespace rt
