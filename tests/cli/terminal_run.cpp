#include "terminal_run.h"

#include <stdexcept>

namespace kovo::cli_testing {

std::unique_ptr<QProcess> start_on_terminal(const testing::PseudoTerminal& terminal, const QStringList& arguments,
                                            const QProcessEnvironment& environment) {
  auto process = std::make_unique<QProcess>();
  process->setProcessEnvironment(environment);
  process->setStandardOutputFile(QString::fromStdString(terminal.device_path()));
  process->start(QStringLiteral(KOVOFLASH_CLI), arguments);
  if (!process->waitForStarted()) throw std::runtime_error("kovoflash-cli did not start");
  return process;
}

TerminalRun shown_until_end(QProcess& process, const testing::PseudoTerminal& terminal) {
  TerminalRun run;
  const auto drain = [&] {
    for (const unsigned char byte : terminal.received()) run.shown += static_cast<char>(byte);
  };
  // Drained while it runs: a full terminal would hold the program up.
  for (int waited = 0; !process.waitForFinished(50) && waited < 60000; waited += 50) drain();
  drain();
  run.exit_code =
      process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  return run;
}

} // namespace kovo::cli_testing
