// Serial link, settings file and port list.
#pragma once

#include <string>
#include <string_view>

namespace kovo {

// The settings file, in the current folder: port, last firmware file, language.
constexpr char kSettingsFile[] = "ini_pckovorecv.dat";
// Far more than three lines of a port number, a path and a language.
constexpr long long kMaxSettingsFileBytes = 64 * 1024;

// Fills the port ring with the serial ports found.
void get_com_ports();

// Fills the port ring afresh, the chosen port still selected while it is listed.
void refresh_com_ports();

// Mode 0 reads the settings file (creating it when missing); any other mode
// writes it. Either way COMGEN and the ring end on the port stored.
void ini_datei(unsigned char mode);

// Opens the port selected in the ring with the bootloader's line settings and
// the given read/write time-out. 0 when open; otherwise the port error
// message has been shown and the open's error is returned.
int opencom(double timeout_seconds);

// Sends tx_data[0..tx_len) and reads rx_len bytes (echo and reply) into
// rx_data, up to three attempts. 0 when a read completed and began with the
// echo of what was sent, 1 when all failed. The reply behind the echo is the
// caller's to judge.
int write_read_com(int tx_len, int rx_len);

// Whether rx_data begins with the tx_len bytes of tx_data. The one-wire line
// echoes every byte, so anything else there (stray bytes, a reply that came
// after its attempt's time-out) would shift the reply onto the echo.
bool echo_received(int tx_len);

// A line of the settings file as UTF-8: as it stands when it is valid UTF-8,
// else taken as the Windows-1252 bytes that earlier versions wrote.
std::string settings_text_as_utf8(std::string_view line);

} // namespace kovo
