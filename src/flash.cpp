#include "flash.h"

#include "24GHz_prog.h"
#include "glob.h"

namespace kovo {

void reset_panel() {
  SetCtrlVal(MAIN_P, PANEL_FLASH_PROGRESS, 0);
  SetCtrlVal(MAIN_P, PANEL_PARAM_PROGRESS, 0);
  SetCtrlVal(MAIN_P, PANEL_LOAD_PROGRESS, 0);
  SetCtrlVal(MAIN_P, PANEL_CONNECT_PROGRESS, 0);
  ResetTextBox(MAIN_P, PANEL_DEVICE_TYPE, "");
  ResetTextBox(MAIN_P, PANEL_BOOT_VERSION, "");
}

int QUIT_FLASH(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  HidePanel(MAIN_P);
  DisplayPanel(MAIN_P);
  return 0;
}

int PROG_FLASH(int, int, int, void*, int, int) { return 0; }

} // namespace kovo
