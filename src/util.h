// Serial link, settings file, port list and firmware-file digits.
#pragma once

namespace kovo {

// Fills the port ring with the serial ports found.
void get_com_ports();

// Mode 0 reads the settings file (creating it when missing); any other mode
// writes it. Either way COMGEN and the ring end on the port stored.
void ini_datei(unsigned char mode);

} // namespace kovo
