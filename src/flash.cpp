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

void offer_programming() {
  SetCtrlAttribute(MAIN_P, PANEL_PROGRAM, ATTR_DIMMED, device_accepted && image_loaded ? 0 : 1);
}

void flash_error() {
  MessagePopup(text_flash_err_1, text_flash_err_2);
  reset_panel();
}

int QUIT_FLASH(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  HidePanel(MAIN_P);
  DisplayPanel(MAIN_P);
  return 0;
}

} // namespace kovo
