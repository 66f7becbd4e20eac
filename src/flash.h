// The device work: connect and identify, load the firmware file, program.
#pragma once

namespace kovo {

// PROG_FLASH sends memory_size times this many bytes of the image, from address 0.
constexpr int kProgrammedBytesPerSize = 16384;

// The programming indicator's colours, 0xRRGGBB: how the outcome of a run
// shows, and what a front end reads as that outcome.
constexpr int kProgrammingColour = 0xFFFF00; // yellow: the run is going on
constexpr int kProgrammedColour = 0x00FF00;  // green: every command was acknowledged
constexpr int kFailedColour = 0xFF0000;      // red

int CONNECT_FLASH(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int LOAD_CRYPT_FILE(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int PROG_FLASH(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
// Hides and shows the panel again, which redraws it and brings it to the front.
int QUIT_FLASH(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// Shows the programming error message, then resets the panel.
void flash_error();

// Enables PANEL_PROGRAM only for an accepted device with a loaded image, so
// a device that never identified as updatable is never programmed.
void offer_programming();

// Puts the progress indicators to 0 and empties the device type and version boxes.
void reset_panel();

} // namespace kovo
