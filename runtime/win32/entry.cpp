// The process entry point of kovoflash.exe, the window as a native Windows
// program: it sets up the run-time layer and hands over to the system's main.
#include "files.h"
#include "panel_model.h"
#include "session.h"
#include "wide_text.h"
#include "win32_view.h"
#include "window_options.h"

#include "kovoflash_version.h"
#include "main.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr char kUsage[] =
    "usage: kovoflash [--user-config]\n"
    "       kovoflash --help | --version\n"
    "\n"
    "Opens the window that updates the firmware of Kovo devices.\n"
    "\n"
    "  --user-config  keep the settings in %LOCALAPPDATA%\\KovoFlash\n"
    "                 instead of the current folder\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n";

// The folder of kovoflash.exe, where a panel file beside it overrides the
// built-in one.
std::string program_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return rt::utf8_from_wide(path.substr(0, path.find_last_of(L'\\')));
}

} // namespace

int main(int argc, char** argv) {
  const rt::WindowOptions options = rt::window_options(argc, argv);
  // Started from a console, the answer goes there; from Explorer, nowhere.
  if (options.help || options.version) {
    if (options.help)
      std::fputs(kUsage, stdout);
    else
      std::printf("kovoflash %s\n", KOVOFLASH_PACKAGE_VERSION);
    std::fflush(stdout);
    return 0;
  }
  rt::Session session;
  // From the Start menu the current folder is nobody's choice: the settings
  // go where the command line keeps them. Without that folder, the current one.
  if (options.user_config) rt::keep_files_in_user_settings_folder();
  rt::Win32View view;
  rt::PanelModel model(view);
  view.attach(model);
  model.set_panel_folders({program_folder()});
  return kovo::main(argc, argv);
}
