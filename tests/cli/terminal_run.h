// kovoflash-cli with its standard output on a terminal (a pseudo-terminal's
// program side), and what that terminal showed: the live lines a person sees.
#pragma once

#include "pseudo_terminal.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <memory>
#include <string>

namespace kovo::cli_testing {

struct TerminalRun {
  int exit_code = -1;
  std::string shown;
};

// Starts a run and returns at once.
std::unique_ptr<QProcess> start_on_terminal(const testing::PseudoTerminal& terminal, const QStringList& arguments,
                                            const QProcessEnvironment& environment);

// Reads what the terminal receives until the run ends (at most a minute).
TerminalRun shown_until_end(QProcess& process, const testing::PseudoTerminal& terminal);

} // namespace kovo::cli_testing
