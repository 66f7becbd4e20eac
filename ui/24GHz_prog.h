// Panel and control ids of the panel file "24GHz_prog.uir".
#pragma once

#include <array>

constexpr int PANEL = 1; // the main panel's resource id

constexpr int PANEL_CONNECT = 2;        // command button, F1
constexpr int PANEL_LOAD_FILE = 3;      // command button, F2
constexpr int PANEL_PROGRAM = 4;        // command button, F3
constexpr int PANEL_QUIT = 5;           // command button, Esc; also the close box
constexpr int PANEL_PARAM_PROGRESS = 6; // progress indicator
constexpr int PANEL_LOAD_PROGRESS = 7;  // progress indicator
constexpr int PANEL_FLASH_PROGRESS = 8; // progress indicator with settable colour
constexpr int PANEL_COMPORT = 9;        // ring of serial ports
constexpr int PANEL_FILENAME = 10;      // text box
constexpr int PANEL_ENGLISH = 11;       // button
constexpr int PANEL_GERMAN = 12;        // button
constexpr int PANEL_STEP_7 = 13;        // instruction texts run against the id order
constexpr int PANEL_STEP_6 = 14;
constexpr int PANEL_STEP_5 = 15;
constexpr int PANEL_STEP_4 = 16;
constexpr int PANEL_STEP_3 = 17;
constexpr int PANEL_STEP_1 = 18;
constexpr int PANEL_STEP_2 = 19;
constexpr int PANEL_VERSION = 20;          // text message
constexpr int PANEL_CONNECT_PROGRESS = 21; // attempt count of a connect
constexpr int PANEL_TIMER = 22;            // timer
constexpr int PANEL_BOOT_VERSION = 23;     // text box
constexpr int PANEL_DEVICE_TYPE = 24;      // text box

// Every control the program addresses; a panel file must hold them all.
inline constexpr std::array PANEL_CONTROLS = {
    PANEL_CONNECT,       PANEL_LOAD_FILE,      PANEL_PROGRAM, PANEL_QUIT,     PANEL_PARAM_PROGRESS,
    PANEL_LOAD_PROGRESS, PANEL_FLASH_PROGRESS, PANEL_COMPORT, PANEL_FILENAME, PANEL_ENGLISH,
    PANEL_GERMAN,        PANEL_STEP_7,         PANEL_STEP_6,  PANEL_STEP_5,   PANEL_STEP_4,
    PANEL_STEP_3,        PANEL_STEP_1,         PANEL_STEP_2,  PANEL_VERSION,  PANEL_CONNECT_PROGRESS,
    PANEL_BOOT_VERSION,  PANEL_DEVICE_TYPE};
