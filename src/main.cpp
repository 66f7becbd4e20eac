#include "main.h"

#include "24GHz_prog.h"
#include "flash.h"
#include "glob.h"
#include "kovoflash_version.h"
#include "language.h"
#include "rs232.h"
#include "util.h"

#include <cstdio>

namespace kovo {
namespace {

constexpr char kPanelFile[] = "24GHz_prog.uir";
constexpr int kExitPanelUnusable = 1;

constexpr CallbackBinding kCallbacks[] = {
    {"CONNECT_FLASH", CONNECT_FLASH},
    {"LOAD_CRYPT_FILE", LOAD_CRYPT_FILE},
    {"PROG_FLASH", PROG_FLASH},
    {"QUIT_FLASH", QUIT_FLASH},
    {"QUIT_START", QUIT_START},
    {"PORT_TIMER", PORT_TIMER},
    {"PORT", PORT},
    {"SET_LANGUAGE", SET_LANGUAGE},
};

// Before the language is known, so in both.
int panel_unusable(const char* reason) {
  char text[600];
  std::snprintf(text, sizeof text, "Die Oberflächendatei ist unbrauchbar. / The panel file is unusable.\n\n%s", reason);
  MessagePopup(kPanelFile, text);
  return kExitPanelUnusable;
}

int first_missing_control() {
  for (int control : PANEL_CONTROLS) {
    int dimmed = 0;
    if (GetCtrlAttribute(MAIN_P, control, ATTR_DIMMED, &dimmed) < 0) return control;
  }
  return 0;
}

} // namespace

std::span<const CallbackBinding> panel_callbacks() { return kCallbacks; }

int main(int, char**) {
  RegisterCallbacks(panel_callbacks());
  MAIN_P = LoadPanel(0, kPanelFile, PANEL);
  if (MAIN_P < 0) return panel_unusable(GetUILErrorString(MAIN_P));
  if (const int missing = first_missing_control()) {
    char reason[100];
    std::snprintf(reason, sizeof reason, "Control %i is missing.", missing);
    return panel_unusable(reason);
  }
  get_com_ports();
  std::snprintf(version, sizeof version, "%s", KOVOFLASH_VERSION);
  char version_line[100];
  std::snprintf(version_line, sizeof version_line, "Version %s", version);
  SetCtrlVal(MAIN_P, PANEL_VERSION, version_line);
  ini_datei(0);
  set_language(language);
  SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 1);
  SetCtrlAttribute(MAIN_P, PANEL_PROGRAM, ATTR_DIMMED, 1);
  DisplayPanel(MAIN_P);
  RunUserInterface();
  CloseCom(COMGEN);
  return 0;
}

int QUIT_START(int, int, int event, void*, int, int) {
  if (event == EVENT_COMMIT) QuitUserInterface(0);
  return 0;
}

int PORT_TIMER(int, int, int, void*, int, int) { return 0; }

int PORT(int, int, int event, void*, int, int) {
  // An adapter plugged in after start-up shows when the ring is opened.
  if (event == EVENT_RING_OPENING) refresh_com_ports();
  if (event != EVENT_COMMIT) return 0;
  CloseCom(COMGEN);
  ini_datei(1);
  return 0;
}

int SET_LANGUAGE(int, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  if (control == PANEL_GERMAN) language = 0;
  if (control == PANEL_ENGLISH) language = 1;
  set_language(language);
  ini_datei(1);
  return 0;
}

} // namespace kovo
