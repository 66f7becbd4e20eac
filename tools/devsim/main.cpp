#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "kovoflash_version.h"
#include "options.h"
#include "pty_line.h"
#include "simulator.h"
#include "stop_signals.h"

namespace {

// Exit status for a command line we cannot use.
constexpr int kUsageExitCode = 2;
// Exit status for a failure while running.
constexpr int kFailureExitCode = 1;

} // namespace

namespace {

// Linux lets a timed wait end up to 50 us late by default; a paced line
// delivers a byte every 286 us and should not drift behind the real one.
void keepWakeUpsPunctual() {
#ifdef __linux__
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

} // namespace

int main(int argc, char** argv) {
  using namespace kovo::devsim;
  try {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const Options options = parseOptions(arguments);
    if (options.helpRequested) {
      std::cout << usageText();
      return 0;
    }
    if (options.versionRequested) {
      std::cout << "kovo-devsim " KOVOFLASH_PACKAGE_VERSION "\n";
      return 0;
    }
    if (options.paced) keepWakeUpsPunctual();
    const StopSignals stopSignals;
    PtyLine line;
    Simulator simulator(options, line, stopSignals.fd());
    std::cout << line.slavePath() << std::endl;
    simulator.run();
    return 0;
  } catch (const UsageError& error) {
    std::cerr << "kovo-devsim: " << error.what() << "\nTry 'kovo-devsim --help'.\n";
    return kUsageExitCode;
  } catch (const std::exception& error) {
    std::cerr << "kovo-devsim: " << error.what() << '\n';
    return kFailureExitCode;
  }
}
