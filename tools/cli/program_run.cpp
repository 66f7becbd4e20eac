#include "program_run.h"

#include "24GHz_prog.h"
#include "glob.h"
#include "main.h"

namespace cli {

ExitStatus run_program(int argc, char** argv, LiveOutput& output, const Work& work) {
  rt::ConsoleRuntime runtime(output);
  ExitStatus status = ExitStatus::Internal; // stays so when the panel never came up
  runtime.set_session([&] {
    const PanelUser user{runtime, kovo::MAIN_P};
    status = work(user);
    user.press(PANEL_QUIT);
  });
  kovo::main(argc, argv);
  return status;
}

} // namespace cli
