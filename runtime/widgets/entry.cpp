// The process entry point of the window program: it sets up the run-time
// layer and hands over to the system's main.
#include "widgets_runtime.h"

#include "main.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion")); // the indicator colours show on every platform
  QApplication::setQuitOnLastWindowClosed(false);
  rt::WidgetsRuntime runtime;
  return kovo::main(argc, argv);
}
