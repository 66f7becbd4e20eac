// The process entry point of the window program: it sets up the run-time
// layer and hands over to the system's main.
#include "quit_on_stop.h"
#include "session.h"
#include "signal_handling.h"
#include "widgets_runtime.h"

#include "main.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion")); // the indicator colours show on every platform
  QApplication::setQuitOnLastWindowClosed(false);
  rt::SignalHandling signal_handling;
  rt::Session session;
  rt::WidgetsRuntime runtime;
  rt::QuitOnStop quit_on_stop;
  return kovo::main(argc, argv);
}
