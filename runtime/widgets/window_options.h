// The window program's own command-line options. Every other argument is
// left alone, as before: Qt takes its own (-platform, -style), the rest is ignored.
#pragma once

namespace rt {

struct WindowOptions {
  bool help = false;        // --help: print the usage and end, no window
  bool version = false;     // --version: print the version and end, no window
  bool user_config = false; // --user-config: settings in the user's configuration folder
};

WindowOptions window_options(int argc, const char* const* argv);

// What --help prints.
extern const char kWindowUsage[];

} // namespace rt
