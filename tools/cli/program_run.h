// The command-line program's work runs as the user of the system's panel,
// inside the system's own start-up and event loop: the same main, the same
// callbacks as the window, on the console run-time.
#pragma once

#include "console_runtime.h"
#include "exit_status.h"
#include "live_output.h"

#include <functional>

namespace cli {

// The system's main panel, seen and worked by its user.
struct PanelUser {
  rt::ConsoleRuntime& runtime;
  int panel;

  // Every control of the main panel exists once it is loaded.
  const rt::PanelControl& control(int id) const { return *runtime.control(panel, id); }
  bool press(int id) const { return runtime.press(panel, id); }
};

using Work = std::function<ExitStatus(const PanelUser& user)>;

// Runs the system's main; once its panel is up, the work acts on it and then
// quits, so the system closes the port as it does at the end of a window run.
ExitStatus run_program(int argc, char** argv, LiveOutput& output, const Work& work);

} // namespace cli
