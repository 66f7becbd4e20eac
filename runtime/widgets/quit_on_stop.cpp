#include "quit_on_stop.h"

#include "userint.h"
#include "utility.h"

#include <QApplication>
#include <QDialog>

namespace rt {
namespace {

// A signal handler may only set a flag; the window looks at it this often,
// also while a callback holds the thread (its waits let timers run).
constexpr int kWatchIntervalMs = 50;

void quit_if_stop_requested() {
  if (!StopRequested()) return;
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  QuitUserInterface(0); // while a callback runs: once it has returned
}

} // namespace

QuitOnStop::QuitOnStop() {
  QObject::connect(&watch_, &QTimer::timeout, &quit_if_stop_requested);
  watch_.start(kWatchIntervalMs);
}

} // namespace rt
