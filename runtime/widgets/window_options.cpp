#include "window_options.h"

#include <string_view>

namespace rt {

const char kWindowUsage[] =
    "usage: kovoflash [--user-config] [Qt options, such as -platform NAME or -style NAME]\n"
    "       kovoflash --help | --version\n"
    "\n"
    "Opens the window that updates the firmware of Kovo devices.\n"
    "\n"
    "  --user-config  keep the settings in the user's configuration folder\n"
    "                 (~/.config/KovoFlash) instead of the current folder\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n";

WindowOptions window_options(int argc, const char* const* argv) {
  WindowOptions options;
  for (int index = 1; index < argc; ++index) {
    const std::string_view argument = argv[index];
    if (argument == "--help") options.help = true;
    if (argument == "--version") options.version = true;
    if (argument == "--user-config") options.user_config = true;
  }
  return options;
}

} // namespace rt
