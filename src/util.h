// Serial link, settings file, port list and firmware-file digits.
#pragma once

namespace kovo {

// Fills the port ring with the serial ports found.
void get_com_ports();

// Mode 0 reads the settings file (creating it when missing); any other mode
// writes it. Either way COMGEN and the ring end on the port stored.
void ini_datei(unsigned char mode);

// Firmware-file digits: "1"-"9" and upper-case "A"-"F" count, every other
// character reads as 0.
unsigned char char2_to_uchar(char high, char low);
int char4_to_int(char c1, char c2, char c3, char c4);

} // namespace kovo
