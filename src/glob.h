// State shared by the system's modules. Everything lives for the whole run in
// fixed-size storage; nothing is allocated on the device path.
#pragma once

#include "flash_load.h"
#include "userint.h"

#include <array>
#include <cstddef>

namespace kovo {

constexpr std::size_t kMessageTextSize = 100;
constexpr std::size_t kLongMessageTextSize = 105; // the German not-supported text: 102 characters, 104 UTF-8 bytes
constexpr std::size_t kFrameBufferSize = 1000;

extern int MAIN_P;   // handle of the main panel
extern int COMGEN;   // number of the serial port in use
extern int language; // 0 German, 1 English
extern char version[12];

// Message box texts in the current language: odd numbers titles, even numbers texts.
extern char text_port_err_1[kMessageTextSize];
extern char text_port_err_2[kMessageTextSize];
extern char text_flash_err_1[kMessageTextSize];
extern char text_flash_err_2[kMessageTextSize];
extern char text_flash_err_3[kMessageTextSize];
extern char text_flash_err_4[kLongMessageTextSize];
extern char text_flash_err_5[kMessageTextSize];
extern char text_flash_err_6[kMessageTextSize];

extern char datei_pfad[MAX_PATHNAME_LEN]; // last chosen firmware file

extern int rx_typ;      // device type code of the last identification
extern int memory_size; // 1 or 2 (32 KiB units), 0 before any identification
// A valid identification reply, of whatever type code, ended the last connect.
extern bool device_answered;
// Programming is offered only while both hold: a device of a type this version
// updates answered the last connect, and the last load parsed without error.
extern bool device_accepted;
extern bool image_loaded;

extern std::array<unsigned char, kFrameBufferSize> tx_data;   // the request to send
extern std::array<unsigned char, kFrameBufferSize> rx_data;   // echo and reply received
extern std::array<unsigned char, kFlashImageSize> data_flash; // index = device address
extern char data_hex[kHexRows][kHexColumns];                  // firmware file text, a row per line

// Puts every global above back to its value at program load, for a program
// run again in the same process.
void reset_globals();

} // namespace kovo
