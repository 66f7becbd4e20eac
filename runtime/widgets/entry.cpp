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
  // Both before Qt starts: they need no display.
  if (options.help) {
    std::fputs(rt::kWindowUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("kovoflash %s\n", KOVOFLASH_PACKAGE_VERSION);
    return 0;
  }
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion")); // the indicator colours show on every platform
  QApplication::setQuitOnLastWindowClosed(false);
  // The window's class on X11 (WM_CLASS), whatever name started it: the
  // desktop entry's StartupWMClass names it, so the taskbar knows the window.
  QApplication::setApplicationName(QStringLiteral("kovoflash"));
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
