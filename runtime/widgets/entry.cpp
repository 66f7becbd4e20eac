// The process entry point of the window program: it sets up the run-time
// layer and hands over to the system's main.
#include "files.h"
#include "quit_on_stop.h"
#include "session.h"
#include "signal_handling.h"
#include "widgets_runtime.h"
#include "window_options.h"

#include "kovoflash_version.h"
#include "main.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
  const rt::WindowOptions options = rt::window_options(argc, argv);
  if (options.version) {
    std::printf("kovoflash %s\n", KOVOFLASH_VERSION); // before Qt: needs no display
    return 0;
  }
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion")); // the indicator colours show on every platform
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setDesktopFileName(QStringLiteral(KOVOFLASH_DESKTOP_ID));
  rt::SignalHandling signal_handling;
  rt::Session session;
  // Started from the menu, the current folder is the home folder: the settings
  // go where the command line keeps them. Without that folder, the current one.
  if (options.user_config) rt::keep_files_in_user_settings_folder();
  rt::WidgetsRuntime runtime;
  rt::QuitOnStop quit_on_stop;
  return kovo::main(argc, argv);
}
