// Copies of the program that each do a part of its work, and how a stop
// request reaches them.
#pragma once

#include <QProcess>

namespace rt {

// Makes the process, not yet started, deaf to the terminal's Ctrl-C: only
// the program that started it passes a stop request on, exactly once, since
// a second one would end it at once (signal_handling.h).
void keep_from_terminal_signals(QProcess& process);

// Asks the running process to stop as Ctrl-C would. On Windows the console
// already delivered Ctrl-C to every process attached to it.
void pass_stop_request(const QProcess& process);

} // namespace rt
